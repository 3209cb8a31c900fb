#pragma once

#include "documentdiff.h"

#include <QUndoCommand>

#include <cstdint>

class DocumentEditor;

// One step of the undo history: the change an edit made, taken back by undo
// and made again by redo.
class DocumentStep : public QUndoCommand
{
public:
    DocumentStep(DocumentEditor &editor, const DocumentDiff &diff, const QString &label,
                 std::uint64_t mergeKey);

    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand *other) override;

private:
    DocumentEditor &m_editor;
    DocumentDiff m_diff;
    std::uint64_t m_mergeKey;
    // The edit has already been made when the step is pushed.
    bool m_made = true;
};
