#pragma once

#include "commands/appcontext.h"
#include "commands/commands.h"

#include <QObject>

class AboutDialog;
class HelpWindow;
class QAction;
class QWidget;

// The Help menu: the read-me and the About box, which also greets the user
// as the program starts.
class HelpCommands : public Commands
{
    Q_OBJECT

public:
    // `parent`, the main window, carries the items and the windows.
    HelpCommands(const Feedback &feedback, const ShellHooks &hooks, QWidget *parent);

    CommandRows rows() const override;

    QAction *helpAction = nullptr;
    QAction *aboutAction = nullptr;

    // The About box, shown modally until it is closed.
    void showAbout();
    // The About box as the program's greeting, which goes by itself.
    void showSplash();

private:
    // Opens the read-me in the desktop's browser, or in a window of the
    // program's own where the desktop has none.
    void showHelp();

    Feedback m_feedback;
    const ShellHooks &m_hooks;
    QWidget *m_parent;
    AboutDialog *m_aboutDialog = nullptr;
    HelpWindow *m_helpWindow = nullptr;
};
