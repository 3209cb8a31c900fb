#pragma once

#include "commands/appcontext.h"
#include "commands/commands.h"

#include <QObject>

class DataSourceDialog;
class QAction;
class QWidget;

// File > Data Source: the data file whose rows the document's runs print,
// how it is read and how each number counts across its rows.
class DataSourceCommands : public Commands
{
    Q_OBJECT

public:
    DataSourceCommands(const AppContext &context, const ShellHooks &hooks, QWidget *parent);

    CommandRows rows() const override;

    QAction *dataSourceAction = nullptr;

private:
    // Shows the dialog and, on OK, stores what was chosen, as one undo step.
    void chooseDataSource();

    AppContext m_context;
    const ShellHooks &m_hooks;
    QWidget *m_parent;
    DataSourceDialog *m_dialog = nullptr;
};
