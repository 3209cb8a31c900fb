#include "sheetcommands.h"

#include "guarded.h"
#include "sheetlayoutdialog.h"

#include <QAction>

#include <cstdio>

SheetCommands::SheetCommands(const AppContext &context, const ShellHooks &hooks, QWidget *parent)
    : Commands(parent), m_context(context), m_hooks(hooks), m_parent(parent)
{
    sheetLayoutAction = new QAction(QStringLiteral("S&heet Layout..."), parent);
    sheetLayoutAction->setObjectName(QStringLiteral("sheetLayoutAction"));
    connect(sheetLayoutAction, &QAction::triggered, this, &SheetCommands::chooseSheetLayout);
}

void SheetCommands::chooseSheetLayout()
{
    guarded([this] {
        if (!m_context.session.docOpen)
            return;
        if (!m_database) {
            QStringList skipped;
            m_database = SheetDatabase::read(m_context.sheetFolder, &skipped);
            // A product file that cannot be read is named, once, where a
            // terminal shows it; the rest of the database is offered.
            for (const QString &line : skipped)
                std::fprintf(stderr, "paginette: %s\n", qPrintable(line));
        }
        if (!m_dialog)
            m_dialog = new SheetLayoutDialog(&*m_database, m_parent);
        DocumentEditor &editor = m_context.editor;
        m_dialog->showLayout(editor.document().sheet);
        m_dialog->setResult(QDialog::Rejected);
        m_hooks.runModal(*m_dialog);
        if (m_dialog->result() != QDialog::Accepted)
            return;
        const std::optional<SheetLayout> chosen = m_dialog->chosenLayout();
        if (chosen == editor.document().sheet)
            return;
        editor.edit(QStringLiteral("Sheet Layout"),
                    [&chosen](Document &doc) { doc.sheet = chosen; });
    });
}

CommandRows SheetCommands::rows() const
{
    return {{{Menu::File, 3, 2, sheetLayoutAction}}, {}, {}};
}
