#pragma once

#include "commands/appcontext.h"
#include "commands/commands.h"

#include <QObject>

class ContinueNumberingDialog;
class CreateMatrixDialog;
class PrintCommands;
class PrintLogWindow;
class QAction;
class QWidget;

// The Add-ons menu: Create Matrix, and a run's aftermath, Continue
// Numbering and the Print Log, through the shop's shared print log when one
// is set.
class AddonCommands : public Commands
{
    Q_OBJECT

public:
    // `print` keeps the log and the runs printed; `parent`, the main window,
    // carries the items and the windows.
    AddonCommands(const AppContext &context, const PrintCommands &print, const ShellHooks &hooks,
                  QWidget *parent);

    CommandRows rows() const override;

    QAction *createMatrixAction = nullptr;
    QAction *exportToDbAction = nullptr;
    QAction *continueNumberingAction = nullptr;
    QAction *printLogAction = nullptr;

    // Create Matrix grows from exactly one selected object.
    void updateEnabled() override;

private:
    void createMatrix();
    // Shows the next run's first values and, when the user agrees, moves every
    // number on by the run, as one undo step.
    void continueNumbering();
    // Opens the print log in its window: the shop's shared log when one is
    // set, else this computer's.
    void showPrintLog();
    void refreshPrintLog();
    // The key the shared log knows the open document by; empty for none.
    QString sharedKey() const;

    AppContext m_context;
    const PrintCommands &m_print;
    const ShellHooks &m_hooks;
    QWidget *m_parent;
    CreateMatrixDialog *m_createMatrixDialog = nullptr;
    ContinueNumberingDialog *m_continueNumberingDialog = nullptr;
    PrintLogWindow *m_printLogWindow = nullptr;
};
