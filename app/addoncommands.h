#pragma once

#include "appcontext.h"

class TForm1;

// The Add-ons menu's commands of a run's aftermath: Continue Numbering and
// Print Log.
class AddonCommands
{
public:
    AddonCommands(TForm1 &frame, const AppContext &context);

    // Shows the next run's first values and, when the user agrees, moves every
    // number on by the run, as one undo step.
    void continueNumbering();
    // Opens the print log in its window.
    void showPrintLog();

private:
    TForm1 &m_frame;
    AppContext m_context;
};
