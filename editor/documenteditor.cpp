#include "documenteditor.h"

#include "documentstep.h"

#include <QUndoStack>
#include <QUuid>

DocumentEditor::DocumentEditor(Session &session, QObject *parent)
    : QObject(parent), m_session(session), m_stack(new QUndoStack(this))
{
    connect(m_stack, &QUndoStack::cleanChanged, this, &DocumentEditor::cleanChanged);
}

DocumentEditor::~DocumentEditor() = default;

void DocumentEditor::setPageShown(std::int32_t page)
{
    m_doc.pageShown = page;
    Q_EMIT changed();
}

void DocumentEditor::ensureId()
{
    if (m_doc.id.isEmpty())
        m_doc.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
}

void DocumentEditor::setId(const QString &id)
{
    m_doc.id = id;
}

void DocumentEditor::beginGesture()
{
    if (!m_gestureBase)
        m_gestureBase = m_doc;
}

void DocumentEditor::endGesture(const QString &label)
{
    if (!m_gestureBase)
        return;
    const Document before = *m_gestureBase;
    m_gestureBase.reset();
    record(before, label, 0);
}

void DocumentEditor::replace(const Document &doc)
{
    m_gestureBase.reset();
    m_doc = doc;
    m_stack->clear();
    m_stack->setClean();
    cleanChanged(true);
    Q_EMIT changed();
}

void DocumentEditor::markSaved()
{
    m_stack->setClean();
    cleanChanged(true);
}

void DocumentEditor::cleanChanged(bool clean)
{
    m_session.docModified = !clean;
    Q_EMIT modifiedChanged();
}

void DocumentEditor::undo()
{
    endGesture(QStringLiteral("Move"));
    if (!m_stack->canUndo())
        return;
    m_stack->undo();
    stepApplied();
}

void DocumentEditor::redo()
{
    endGesture(QStringLiteral("Move"));
    if (!m_stack->canRedo())
        return;
    m_stack->redo();
    stepApplied();
}

void DocumentEditor::openStep()
{
    if (m_depth++ > 0)
        return;
    // An edit in the middle of a drag ends the drag first.
    endGesture(QStringLiteral("Move"));
    m_stepBase = m_doc;
}

void DocumentEditor::closeStep(const QString &label, std::uint64_t mergeKey)
{
    if (--m_depth > 0)
        return;
    const Document before = m_stepBase;
    m_stepBase = Document();
    record(before, label, mergeKey);
}

void DocumentEditor::record(const Document &before, const QString &label, std::uint64_t mergeKey)
{
    const DocumentDiff diff = DocumentDiff::between(before, m_doc);
    if (diff.isEmpty())
        return;
    m_stack->push(new DocumentStep(*this, diff, label, mergeKey));
    // A step folded into one made before the save leaves the history where
    // it was, and the document is modified all the same.
    if (m_stack->isClean())
        m_stack->resetClean();
    cleanChanged(false);
    Q_EMIT changed();
}

void DocumentEditor::stepApplied()
{
    cleanChanged(m_stack->isClean());
    Q_EMIT changed();
}
