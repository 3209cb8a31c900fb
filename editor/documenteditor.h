#pragma once

#include "document.h"
#include "documentdiff.h"
#include "selection.h"
#include "session.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <type_traits>

class QUndoStack;

// The one door through which the document changes. Every edit becomes one
// step of the undo history; the session's modified state follows the
// history, here alone: modified unless the history stands where the document
// was last saved. Every change, edit or not, is announced by `changed()`,
// which the main window answers with the layout, the menu state and a redraw.
class DocumentEditor : public QObject
{
    Q_OBJECT

public:
    explicit DocumentEditor(Session &session, QObject *parent = nullptr);
    ~DocumentEditor() override;

    const Document &document() const { return m_doc; }
    QUndoStack &undoStack() const { return *m_stack; }

    // Runs `change` on the document as one undo step called `label` and
    // returns what it returns. A change that alters nothing records nothing.
    // If `change` throws, what it had changed stays and is recorded. Steps
    // with the same non-zero `mergeKey` made one after another fold into one.
    template <typename Change>
    auto edit(const QString &label, Change &&change, std::uint64_t mergeKey = 0)
    {
        openStep();
        using Result = std::invoke_result_t<Change, Document &>;
        try {
            if constexpr (std::is_void_v<Result>) {
                change(m_doc);
                closeStep(label, mergeKey);
            } else {
                Result result = change(m_doc);
                closeStep(label, mergeKey);
                return result;
            }
        } catch (...) {
            closeStep(label, mergeKey);
            throw;
        }
    }

    // Changes that are not edits: the selection marks, and nothing else.
    template <typename Change> void select(Change &&change)
    {
        Selection selection(m_doc);
        change(selection);
        Q_EMIT changed();
    }
    // The page the document window shows, a view value kept in the file.
    void setPageShown(std::int32_t page);
    // Gives a document without an id a new one, a UUID: which job it is.
    // Not an edit, so that no undo takes it back.
    void ensureId();
    // Sets the document's id: a copy saved as a new job gets a new one. Not
    // an edit.
    void setId(const QString &id);

    // A gesture, such as a drag from press to release, is one step however
    // many changes it makes on the way.
    void beginGesture();
    template <typename Change> void gestureChange(Change &&change)
    {
        beginGesture();
        change(m_doc);
        Q_EMIT changed();
    }
    void endGesture(const QString &label);

    // A new or opened document: its history starts here, with nothing unsaved.
    void replace(const Document &doc);
    // Saved: the history's clean point is here and nothing is unsaved.
    void markSaved();

    void undo();
    void redo();

Q_SIGNALS:
    // Objects, their order, the document values, the selection or the page
    // shown changed.
    void changed();
    // docModified may have changed.
    void modifiedChanged();

private:
    friend class DocumentStep;

    void openStep();
    void closeStep(const QString &label, std::uint64_t mergeKey);
    void record(const Document &before, const QString &label, std::uint64_t mergeKey);
    // Undo or redo has changed the document.
    void stepApplied();
    // The history stands at its clean point, or has left it.
    void cleanChanged(bool clean);

    Session &m_session;
    Document m_doc;
    QUndoStack *m_stack = nullptr;
    // The document before the outermost open edit, and how deep edits nest.
    Document m_stepBase;
    int m_depth = 0;
    // The document before the gesture in progress.
    std::optional<Document> m_gestureBase;
};
