#include "commands/addoncommands.h"

#include "commands/actions.h"
#include "commands/datafileconsent.h"
#include "commands/printcommands.h"
#include "continuenumbering.h"
#include "creatematrixdialog.h"
#include "dialogs/continuenumberingdialog.h"
#include "dialogs/printlogwindow.h"
#include "guarded.h"
#include "log/sharedlogsession.h"
#include "paginetteerror.h"
#include "rundata.h"
#include "sharedlog/sharedlogreads.h"
#include "sharedlog/sharedlogsetting.h"

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
            refreshPrintLog();
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
        const QString caption = QStringLiteral("Continue Numbering");
        if (firstValues(editor.document()).isEmpty()) {
            m_context.feedback.tell(QStringLiteral("The document has no numbers to move on."),
                                    caption);
            return;
        }
        const Outcome<SharedLogAddress> address = SharedLogSetting().address();
        if (!address.error.isEmpty()) {
            m_context.feedback.tell(address.error, caption);
            return;
        }
        // With a shared log, past every value any machine printed or holds;
        // else on by the document's own run.
        std::map<QString, PrintedExtremes> printed;
        if (address) {
            const QString documentKey = sharedKey();
            if (!documentKey.isEmpty()) {
                const Outcome<QList<SharedRun>> runs = sharedValuesOf(*address, documentKey);
                if (!runs) {
                    m_context.feedback.tell(runs.error, caption);
                    return;
                }
                printed = printedExtremes(*runs);
            }
        }
        // A document that prints from a data file moves on by the run its
        // rows make now, read once.
        std::shared_ptr<const RunData> data;
        if (editor.document().data && !address) {
            const Session &session = m_context.session;
            const QString document = session.docNamed ? session.docFileName : QString();
            DataOverride chosen;
            if (const std::optional<QString> outside =
                    dataFileOutside(editor.document().data, document)) {
                if (!askToReadDataOutside(m_context.feedback, document, *outside))
                    return;
                chosen.file = *outside;
            }
            RunDataRead read =
                readRunData(editor.document(), document, QDateTime::currentDateTime(), chosen);
            if (!read.data)
                throw PaginetteError(read.error);
            data = std::make_shared<const RunData>(std::move(*read.data));
        }
        const auto moveOn = [address, printed, data](Document &doc) {
            if (address)
                return continuePast(doc, printed);
            if (data)
                ::continueNumbering(doc, *data);
            else
                ::continueNumbering(doc);
            return true;
        };
        Document next = editor.document();
        if (!moveOn(next)) {
            m_context.feedback.tell(QStringLiteral("The shared print log holds no value of this "
                                                   "document's numbers: they stay as they are."),
                                    caption);
            return;
        }
        if (!m_continueNumberingDialog)
            m_continueNumberingDialog = new ContinueNumberingDialog(m_parent);
        if (address)
            m_continueNumberingDialog->showValuesPast(firstValues(next), address->shown());
        else
            m_continueNumberingDialog->showValues(
                data ? firstValues(next, *data) : firstValues(next),
                data ? RunTexts(next, *data).pages() : next.pagesToPrint);
        m_continueNumberingDialog->setResult(QDialog::Rejected);
        m_hooks.runModal(*m_continueNumberingDialog);
        if (m_continueNumberingDialog->result() != QDialog::Accepted)
            return;
        editor.edit(caption, moveOn);
    });
}

void AddonCommands::showPrintLog()
{
    if (!m_printLogWindow)
        m_printLogWindow = new PrintLogWindow(m_parent);
    refreshPrintLog();
    m_printLogWindow->show();
    m_printLogWindow->raise();
    m_printLogWindow->activateWindow();
}

void AddonCommands::refreshPrintLog()
{
    const Outcome<SharedLogAddress> address = SharedLogSetting().address();
    const QString path = defaultPrintLogPath();
    if (!address) {
        m_printLogWindow->showLog(path, m_print.printedRuns(), address.error);
        return;
    }
    m_printLogWindow->showSharedLog(*address, sharedKey(), path, m_print.printedRuns());
}

QString AddonCommands::sharedKey() const
{
    const Document &doc = m_context.editor.document();
    const Session &session = m_context.session;
    // An untitled document has no runs of its own until it gets its id.
    if (!session.docOpen || (!session.docNamed && doc.id.isEmpty()))
        return {};
    return sharedDocumentKey(doc, session.docFileName);
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
