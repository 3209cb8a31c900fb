#include "documentstep.h"

#include "documenteditor.h"

namespace {
// The one kind of step that folds: runs of the same nudge.
constexpr int mergingStep = 1;
} // namespace

DocumentStep::DocumentStep(DocumentEditor &editor, const DocumentDiff &diff, const QString &label,
                           std::uint64_t mergeKey)
    : QUndoCommand(label), m_editor(editor), m_diff(diff), m_mergeKey(mergeKey)
{
}

void DocumentStep::undo()
{
    m_diff.undo(m_editor.m_doc);
}

void DocumentStep::redo()
{
    if (m_made) {
        m_made = false;
        return;
    }
    m_diff.redo(m_editor.m_doc);
}

int DocumentStep::id() const
{
    return m_mergeKey != 0 ? mergingStep : -1;
}

bool DocumentStep::mergeWith(const QUndoCommand *other)
{
    const auto *later = static_cast<const DocumentStep *>(other);
    if (later->m_mergeKey != m_mergeKey || !m_diff.absorb(later->m_diff))
        return false;
    // A run that ends where it began leaves no step behind.
    setObsolete(m_diff.isEmpty());
    return true;
}
