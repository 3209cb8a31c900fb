#pragma once

#include "appcontext.h"

class TForm1;

// The Edit menu's commands.
class EditCommands
{
public:
    EditCommands(TForm1 &frame, const AppContext &context);

    void preferences();

private:
    TForm1 &m_frame;
    AppContext m_context;
};
