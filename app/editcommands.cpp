#include "editcommands.h"

#include "editing.h"
#include "pagetool.h"
#include "services.h"
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
        m_frame.Form6->pageTool->deleteSelection();
}

void EditCommands::selectAll()
{
    ::selectAll(m_context.doc);
    m_frame.selectionChanged();
    m_frame.renderScreen();
}

void EditCommands::duplicate()
{
    DocumentState &doc = m_context.doc;
    if (doc.selectedCount == 0)
        return;
    if (!duplicateSelected(doc))
        beep();
    m_context.shell.docModified = 1;
    m_frame.selectionChanged();
    m_frame.renderScreen();
}

void EditCommands::preferences()
{
    m_frame.runModal(*m_frame.Form11);
}
