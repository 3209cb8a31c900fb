#include "commands/datasourcecommands.h"

#include "commands/actions.h"
#include "commands/datafileconsent.h"
#include "dialogs/datasourcedialog.h"
#include "guarded.h"

DataSourceCommands::DataSourceCommands(const AppContext &context, const ShellHooks &hooks,
                                       QWidget *parent)
    : Commands(parent), m_context(context), m_hooks(hooks), m_parent(parent)
{
    dataSourceAction = makeAction(parent, "dataSourceAction", "&Data Source...");
    connect(dataSourceAction, &QAction::triggered, this, &DataSourceCommands::chooseDataSource);
}

void DataSourceCommands::chooseDataSource()
{
    guarded([this] {
        if (!m_context.session.docOpen)
            return;
        if (!m_dialog)
            m_dialog = new DataSourceDialog(m_parent);
        DocumentEditor &editor = m_context.editor;
        // An untitled document's file is relative to the current folder.
        const QString documentPath =
            m_context.session.docNamed ? m_context.session.docFileName : QString();
        m_dialog->showSource(editor.document(), documentPath);
        m_dialog->setResult(QDialog::Rejected);
        m_hooks.runModal(*m_dialog);
        if (m_dialog->result() != QDialog::Accepted)
            return;
        const std::optional<DataSourceSettings> chosen = m_dialog->chosenSource();
        if (chosen == editor.document().data)
            return;
        // A file chosen here is the user's own, wherever it lies.
        if (const std::optional<QString> outside = dataFileOutside(chosen, documentPath)) {
            const QString unkept = DataFileConsent().give(documentPath, *outside);
            if (!unkept.isEmpty())
                reportError(unkept);
        }
        editor.edit(QStringLiteral("Data Source"), [&chosen](Document &doc) { doc.data = chosen; });
    });
}

CommandRows DataSourceCommands::rows() const
{
    // Beside Sheet Layout: what the run prints from and on.
    return {{{Menu::File, 3, 2, dataSourceAction}}, {}, {}};
}
