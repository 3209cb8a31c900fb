#include "commands/sheetcommands.h"

#include "dialogs/sheetlayoutdialog.h"
#include "guarded.h"
#include "objecttable.h"

#include <QAction>

#include <algorithm>
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
        m_dialog->showDuplex(editor.document().duplex);
        m_dialog->setResult(QDialog::Rejected);
        m_hooks.runModal(*m_dialog);
        if (m_dialog->result() != QDialog::Accepted)
            return;
        const std::optional<SheetLayout> chosen = m_dialog->chosenLayout();
        const Duplex duplex = m_dialog->chosenDuplex();
        const Document &doc = editor.document();
        if (chosen == doc.sheet && duplex == doc.duplex)
            return;
        if (duplex == Duplex::Off && !confirmOneSided())
            return;
        editor.edit(QStringLiteral("Sheet Layout"), [&chosen, duplex](Document &doc) {
            doc.sheet = chosen;
            // A one-sided document prints every object on its one side: the
            // back's would land on the front.
            if (duplex == Duplex::Off && doc.duplex != Duplex::Off) {
                for (int i = doc.count() - 1; i >= 0; --i) {
                    if (doc.objects[i].side == Side::Back)
                        deleteObject(doc, i);
                }
            }
            doc.duplex = duplex;
        });
    });
}

bool SheetCommands::confirmOneSided() const
{
    const Document &doc = m_context.editor.document();
    if (doc.duplex == Duplex::Off)
        return true;
    const auto onBack = std::count_if(doc.objects.begin(), doc.objects.end(),
                                      [](const PageObject &o) { return o.side == Side::Back; });
    if (onBack == 0)
        return true;
    const QString held =
        onBack == 1 ? QStringLiteral("1 object") : QStringLiteral("%1 objects").arg(onBack);
    return m_context.feedback.confirm(
        QStringLiteral("The back holds %1, which will not print: a one-sided document "
                       "has no back, and they are removed. Turn two-sided off?")
            .arg(held),
        QStringLiteral("Sheet Layout"));
}

CommandRows SheetCommands::rows() const
{
    return {{{Menu::File, 3, 2, sheetLayoutAction}}, {}, {}};
}
