#pragma once

#include "shellstate.h"

struct MainFrameUi;
class TForm1;

// The editing modes, chosen from the tool bar's mode buttons or the Tools
// menu; each writes its status text into the mode label.
class ModeCommands
{
public:
    ModeCommands(TForm1 &frame, MainFrameUi &ui, ShellState &shell);

    // A mode button: the mode is set and the page redrawn, so the link
    // overlay follows at once.
    void chooseFromButton(EditMode mode);
    // A Tools item: its button goes down and the mode is set, without a redraw.
    void chooseFromMenu(EditMode mode);

private:
    TForm1 &m_frame;
    MainFrameUi &m_ui;
    ShellState &m_shell;
};
