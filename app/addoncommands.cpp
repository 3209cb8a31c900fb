#include "addoncommands.h"

#include "actions.h"
#include "continuenumbering.h"
#include "continuenumberingdialog.h"
#include "creatematrixdialog.h"
#include "guarded.h"
#include "printcommands.h"
#include "printlogwindow.h"

AddonCommands::AddonCommands(const AppContext &context, const PrintCommands &print,
                             const ShellHooks &hooks, QWidget *parent)
    : Commands(parent), m_context(context), m_print(print), m_hooks(hooks), m_parent(parent)
{
    createMatrixAction =
        makeAction(parent, "createMatrixAction", "Create &Matrix", ctrl(Qt::Key_M));
    // No database in this program.
    exportToDbAction =
        makeAction(parent, "exportToDbAction", "&Export to DB", ctrl(Qt::Key_E), false);
    continueNumberingAction =
        makeAction(parent, "continueNumberingAction", "&Continue Numbering...");
    printLogAction = makeAction(parent, "printLogAction", "&Print Log");
    connect(createMatrixAction, &QAction::triggered, this, &AddonCommands::createMatrix);
    connect(continueNumberingAction, &QAction::triggered, this, &AddonCommands::continueNumbering);
    connect(printLogAction, &QAction::triggered, this, &AddonCommands::showPrintLog);
    // An open Print Log shows each run as it is printed, with its manifest.
    connect(&print, &PrintCommands::runLogged, this, [this] {
        if (m_printLogWindow && m_printLogWindow->isVisible())
            m_printLogWindow->showLog(m_print.printLog().path(), m_print.printedRuns());
    });
}

void AddonCommands::updateEnabled()
{
    createMatrixAction->setEnabled(selectedCount(m_context.editor.document()) == 1);
}

void AddonCommands::createMatrix()
{
    // A matrix grows from exactly one selected object.
    if (selectedCount(m_context.editor.document()) != 1)
        return;
    if (!m_createMatrixDialog)
        m_createMatrixDialog = new CreateMatrixDialog(m_context.editorContext(), m_parent);
    m_hooks.runModal(*m_createMatrixDialog);
}

void AddonCommands::continueNumbering()
{
    guarded([this] {
        if (!m_context.session.docOpen)
            return;
        DocumentEditor &editor = m_context.editor;
        Document next = editor.document();
        ::continueNumbering(next);
        const QList<NextFirstValue> values = firstValues(next);
        if (values.isEmpty()) {
            m_context.feedback.tell(QStringLiteral("The document has no numbers to move on."),
                                    QStringLiteral("Continue Numbering"));
            return;
        }
        if (!m_continueNumberingDialog)
            m_continueNumberingDialog = new ContinueNumberingDialog(m_parent);
        m_continueNumberingDialog->showValues(values, next.pagesToPrint);
        m_continueNumberingDialog->setResult(QDialog::Rejected);
        m_hooks.runModal(*m_continueNumberingDialog);
        if (m_continueNumberingDialog->result() != QDialog::Accepted)
            return;
        editor.edit(QStringLiteral("Continue Numbering"),
                    [](Document &doc) { ::continueNumbering(doc); });
    });
}

void AddonCommands::showPrintLog()
{
    if (!m_printLogWindow)
        m_printLogWindow = new PrintLogWindow(m_parent);
    m_printLogWindow->showLog(m_print.printLog().path(), m_print.printedRuns());
    m_printLogWindow->show();
    m_printLogWindow->raise();
    m_printLogWindow->activateWindow();
}

CommandRows AddonCommands::rows() const
{
    return {{{Menu::Addons, 1, 1, createMatrixAction},
             {Menu::Addons, 1, 2, exportToDbAction},
             {Menu::Addons, 2, 1, continueNumberingAction},
             {Menu::Addons, 2, 2, printLogAction}},
            {},
            {}};
}
