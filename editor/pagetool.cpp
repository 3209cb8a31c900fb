#include "pagetool.h"

#include "editing.h"
#include "editorkinds.h"
#include "objecttable.h"
#include "wrapint.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace {

Bounds32 normalised(QPoint a, QPoint b)
{
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
            std::max(a.y(), b.y())};
}

// Names the selection, so that nudges of the same objects fold into one step.
std::uint64_t selectionKey(const Document &doc)
{
    std::vector<int> selected;
    for (int i = 0; i < doc.count(); ++i) {
        if (doc.objects[i].isSelected())
            selected.push_back(i);
    }
    // Never 0, which asks for no folding.
    return (std::uint64_t{qHashRange(selected.begin(), selected.end())} << 1) | 1u;
}

// Names the link a press in Link mode starts or extends, so that a link made
// press by press is one step. Even, where selection keys are odd.
std::uint64_t linkKey(const Document &doc, bool extending)
{
    const bool extendable = extending && doc.isLive(doc.lastLinked);
    const std::int64_t link = extendable ? doc.objects[doc.lastLinked].linkId : doc.linkCount;
    return static_cast<std::uint64_t>(link + 1) << 1;
}

const QString linkedDeletion = QStringLiteral("You delete linked object. Link will be destroyed.");

} // namespace

PageTool::PageTool(const EditorContext &context, const QList<Bounds32> &boxes, QObject *parent)
    : QObject(parent), m_context(context), m_boxes(boxes)
{
}

void PageTool::mousePressed(QPoint point, Qt::KeyboardModifiers modifiers)
{
    Q_EMIT pressed();
    DocumentEditor &editor = m_context.editor;
    dragAnchor = point;
    bandCorner = point;
    movedSincePress = false;
    const int hit = hitTest(editor.document(), m_boxes, point.x(), point.y());
    lastHit = hit;
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);

    switch (m_context.session.editMode) {
    case ModeMain:
        editor.select([hit, shift](Selection &selection) { selectPress(selection, hit, shift); });
        break;
    case ModePlace: {
        const std::int32_t kind = m_context.session.placeKind;
        const EditorKindRow &row = editorKindRow(kind);
        if (row.placedFromFile) {
            const QPoint at = pagePoint(point);
            Q_EMIT fileRequested(kind, at.x(), at.y());
        } else if (!place(kind, point, QString::fromLatin1(row.tool.hint))) {
            m_context.feedback.sound();
        }
        break;
    }
    case ModeLink:
        if (!editor.edit(
                QStringLiteral("Link"),
                [hit, shift](Document &doc) { return linkPress(doc, hit, shift); },
                linkKey(editor.document(), shift)))
            m_context.feedback.sound();
        break;
    case ModeUnlink:
        editor.edit(QStringLiteral("Unlink"), [hit](Document &doc) { unlinkPress(doc, hit); });
        break;
    }
    Q_EMIT pressHandled();
}

void PageTool::mouseMoved(QPoint point, Qt::MouseButtons buttons)
{
    if (m_context.session.editMode != ModeMain)
        return;
    DocumentEditor &editor = m_context.editor;
    const bool leftHeld = buttons.testFlag(Qt::LeftButton);
    // A press on empty page drags a band; it has deselected everything, so
    // nothing is dragged with it.
    if (lastHit == -1 && leftHeld) {
        m_bandRect = normalised(dragAnchor, point);
        bandCorner = point;
        Q_EMIT bandChanged();
    }
    if (selectedCount(editor.document()) != 0 && leftHeld) {
        // Exactly the pointer's travel, one page unit per pixel, no limits.
        const std::int32_t dx = wrapSub(point.x(), dragAnchor.x());
        const std::int32_t dy = wrapSub(point.y(), dragAnchor.y());
        dragAnchor = point;
        editor.gestureChange([dx, dy](Document &doc) { moveSelected(doc, dx, dy); });
    }
    movedSincePress = true;
}

void PageTool::mouseReleased()
{
    DocumentEditor &editor = m_context.editor;
    editor.endGesture(QStringLiteral("Move"));
    const Bounds32 band = m_bandRect;
    if (band.right > band.left && band.bottom > band.top) {
        editor.select(
            [this, band](Selection &selection) { selectInRect(selection, m_boxes, band); });
    }
    m_bandRect = Bounds32{};
    Q_EMIT bandChanged();
}

void PageTool::nudge(std::int32_t dx, std::int32_t dy)
{
    DocumentEditor &editor = m_context.editor;
    if (selectedCount(editor.document()) == 0)
        return;
    editor.edit(
        QStringLiteral("Nudge"), [dx, dy](Document &doc) { moveSelected(doc, dx, dy); },
        selectionKey(editor.document()));
}

void PageTool::deleteSelection(const QString &label)
{
    const Removal removal =
        m_context.editor.edit(label, [](Document &doc) { return deleteSelected(doc); });
    for (int i = 0; i < removal.dissolvedLinks; ++i)
        m_context.feedback.tell(linkedDeletion, QStringLiteral("O-o-ops!"));
}

QPoint PageTool::pagePoint(QPoint point) const
{
    // Window pixels to page units: less the page's offset in the window,
    // which moves up by the scroll offset.
    const QPoint &offset = m_context.render.windowOffset;
    const std::int32_t top = wrapSub(offset.y(), m_context.view.scrollOffset());
    return QPoint(wrapSub(point.x(), offset.x()), wrapSub(point.y(), top));
}

bool PageTool::place(std::int32_t kind, QPoint point, const QString &label)
{
    const QPoint at = pagePoint(point);
    const Side side = shownSide(m_context.editor.document(), m_context.view);
    return m_context.editor.edit(label, [kind, at, side](Document &doc) {
        const std::optional<int> placed = createObject(doc, kind, at.x(), at.y());
        if (placed)
            putOnSide(doc, *placed, side);
        return placed.has_value();
    });
}
