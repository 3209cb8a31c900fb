#include "editcommands.h"

#include "editing.h"
#include "pagetool.h"
#include "tform1.h"
#include "tform11.h"
#include "tform6.h"

EditCommands::EditCommands(TForm1 &frame, const AppContext &context)
    : m_frame(frame), m_context(context)
{
}

void EditCommands::clear()
{
    if (m_frame.Form6)
        m_frame.Form6->pageTool->deleteSelection(QStringLiteral("Clear"));
}

void EditCommands::selectAll()
{
    m_context.editor.select([](Document &doc) { ::selectAll(doc); });
}

void EditCommands::duplicate()
{
    DocumentEditor &editor = m_context.editor;
    if (selectedCount(editor.document()) == 0)
        return;
    const bool complete = editor.edit(QStringLiteral("Duplicate"),
                                      [](Document &doc) { return duplicateSelected(doc); });
    // The table filled up before every copy was made.
    if (!complete)
        m_context.feedback.sound();
}

void EditCommands::undo()
{
    m_context.editor.undo();
}

void EditCommands::redo()
{
    m_context.editor.redo();
}

void EditCommands::preferences()
{
    m_frame.runModal(*m_frame.Form11);
}
