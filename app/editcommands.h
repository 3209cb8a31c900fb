#pragma once

#include "appcontext.h"

class TForm1;

// The Edit menu's commands.
class EditCommands
{
public:
    EditCommands(TForm1 &frame, const AppContext &context);

    // Deletes the selected objects.
    void clear();
    void selectAll();
    // Copies the selection 10 units right of and below itself.
    void duplicate();
    void undo();
    void redo();
    void preferences();

private:
    TForm1 &m_frame;
    AppContext m_context;
};
