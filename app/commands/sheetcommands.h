#pragma once

#include "commands/appcontext.h"
#include "commands/commands.h"
#include "sheetdatabase.h"

#include <QObject>

#include <optional>

class QAction;
class QWidget;
class SheetLayoutDialog;

// File > Sheet Layout: the sheet of labels the document prints on, chosen
// from the sheet database, read the first time it is needed.
class SheetCommands : public Commands
{
    Q_OBJECT

public:
    SheetCommands(const AppContext &context, const ShellHooks &hooks, QWidget *parent);

    CommandRows rows() const override;

    QAction *sheetLayoutAction = nullptr;

private:
    // Shows the dialog and, on OK, stores what was chosen, as one undo step.
    void chooseSheetLayout();
    // Turning two-sided off while the back holds objects asks first; true
    // to go on.
    bool confirmOneSided() const;

    AppContext m_context;
    const ShellHooks &m_hooks;
    QWidget *m_parent;
    std::optional<SheetDatabase> m_database;
    SheetLayoutDialog *m_dialog = nullptr;
};
