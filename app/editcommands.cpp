#include "editcommands.h"

#include "tform1.h"
#include "tform11.h"

EditCommands::EditCommands(TForm1 &frame, const AppContext &context)
    : m_frame(frame), m_context(context)
{
}

void EditCommands::preferences()
{
    m_frame.runModal(*m_frame.Form11);
}
