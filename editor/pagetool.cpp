#include "pagetool.h"

#include "editing.h"
#include "objecttable.h"
#include "services.h"
#include "wrapint.h"

#include <algorithm>

namespace {

Bounds32 normalised(QPoint a, QPoint b)
{
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
            std::max(a.y(), b.y())};
}

} // namespace

PageTool::PageTool(const EditorContext &context, QObject *parent)
    : QObject(parent), m_context(context)
{
}

void PageTool::mousePressed(QPoint point, Qt::KeyboardModifiers modifiers)
{
    DocumentState &doc = m_context.doc;
    dragAnchor = point;
    bandCorner = point;
    movedSincePress = false;
    const int hit = hitTest(doc, point.x(), point.y());
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);

    switch (m_context.shell.editMode) {
    case ModeMain:
        selectPress(doc, hit, shift);
        break;
    case ModePlaceNumber:
        place(KindNumber, point);
        setModified();
        break;
    case ModePlaceText:
        place(KindText, point);
        setModified();
        break;
    case ModePlacePicture:
        // The release marks the document modified.
        place(KindPicture, point);
        break;
    case ModeLink:
        if (linkPress(doc, hit, shift))
            setModified();
        else
            beep();
        break;
    case ModeUnlink:
        if (unlinkPress(doc, hit))
            setModified();
        break;
    }

    refreshSelection(doc);
    Q_EMIT pressed();
    // Drawn after every press, so the selection frames follow a click even
    // on a document without changes.
    Q_EMIT redrawRequested();
}

void PageTool::mouseMoved(QPoint point, Qt::MouseButtons buttons)
{
    if (m_context.shell.editMode != ModeMain)
        return;
    DocumentState &doc = m_context.doc;
    const bool leftHeld = buttons.testFlag(Qt::LeftButton);
    // A press on empty page drags a band; it has deselected everything, so
    // nothing is dragged with it.
    if (doc.lastHit == -1 && leftHeld) {
        m_bandRect = normalised(dragAnchor, point);
        bandCorner = point;
        Q_EMIT bandChanged();
    }
    refreshSelection(doc);
    if (doc.selectedCount != 0 && leftHeld) {
        // Exactly the pointer's travel, one page unit per pixel, no limits.
        moveSelected(doc, wrapSub(point.x(), dragAnchor.x()), wrapSub(point.y(), dragAnchor.y()));
        dragAnchor = point;
        runLayout(doc);
        Q_EMIT redrawRequested();
        Q_EMIT objectsMoved();
    }
    movedSincePress = true;
    setModified();
}

void PageTool::mouseReleased()
{
    DocumentState &doc = m_context.doc;
    selectInRect(doc, m_bandRect);
    refreshSelection(doc);
    Q_EMIT selectionChanged();
    if (movedSincePress)
        Q_EMIT redrawRequested();
    m_bandRect = Bounds32{};
    Q_EMIT bandChanged();
    setModified();
}

void PageTool::nudge(std::int32_t dx, std::int32_t dy)
{
    DocumentState &doc = m_context.doc;
    if (doc.selectedCount != 0) {
        moveSelected(doc, dx, dy);
        setModified();
    }
    Q_EMIT redrawRequested();
}

void PageTool::deleteSelection()
{
    DocumentState &doc = m_context.doc;
    const std::int32_t before = doc.objectCount;
    deleteSelected(doc);
    if (doc.objectCount != before)
        setModified();
    Q_EMIT selectionChanged();
    Q_EMIT redrawRequested();
}

void PageTool::place(std::int32_t kind, QPoint point)
{
    // Window pixels to page units: less the page's offset in the window,
    // which moves up by the scroll offset.
    const QPoint &offset = m_context.render.windowOffset;
    const std::int32_t top = wrapSub(offset.y(), m_context.view.scrollOffset());
    createObject(m_context.doc, kind, wrapSub(point.x(), offset.x()), wrapSub(point.y(), top));
}

void PageTool::setModified()
{
    m_context.shell.docModified = 1;
    Q_EMIT documentModified();
}
