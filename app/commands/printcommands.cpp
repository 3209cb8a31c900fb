#include "commands/printcommands.h"

#include "commands/actions.h"
#include "dialogs/printercalibrationdialog.h"
#include "dialogs/printpreviewdialog.h"

#include "documentwindow.h"
#include "guarded.h"
#include "outputs/printerjob.h"
#include "paginetteerror.h"
#include "run/calibrationpage.h"
#include "run/placements.h"
#include "run/printablearea.h"
#include "run/registrationtest.h"
#include "run/runcheck.h"
#include "sharedlog/sharedlogrun.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString printCaption = QStringLiteral("Print");
const QString calibrationCaption = QStringLiteral("Printer Calibration");

// A run that was handed over, or the reason it was not; empty when it was
// cancelled.
struct Delivery
{
    bool delivered = false;
    QString error;
};

// Draws a run into the printer's job and hands it over when whole.
template <typename Draw> Delivery deliver(PrinterJob &job, Draw &&draw)
{
    QString error = job.open();
    if (!error.isEmpty())
        return {false, error};
    const PrintResult result = draw(job.sheets());
    if (result.outcome != PrintOutcome::Printed)
        return {false, result.error};
    error = job.deliver();
    return {error.isEmpty(), error};
}

} // namespace

PrintCommands::PrintCommands(DocumentEditor &editor, Session &session, RenderState &render,
                             ViewState &view, const Feedback &feedback, PrintFrameHooks hooks,
                             QWidget *parent)
    : Commands(parent), m_editor(editor), m_session(session), m_render(render), m_view(view),
      m_feedback(feedback), m_hooks(std::move(hooks)), m_dialogs(standardPrintDialogs(parent)),
      m_printer(QPrinter::HighResolution), m_runModal([](QDialog &dialog) { dialog.exec(); })
{
    setObjectName(QStringLiteral("PrintCommands"));
    preparePrinter(m_printer);
    if (!printsToFile(m_printer))
        m_chosenQueue = m_printer.printerName();
    pageSetupAction = makeAction(parent, "pageSetupAction", "Page Set&up", ctrl(Qt::Key_T));
    printerCalibrationAction =
        makeAction(parent, "printerCalibrationAction", "Printer Ca&libration...");
    printAction = makeAction(parent, "printAction", "&Print", ctrl(Qt::Key_P));
    printPreviewAction = makeAction(parent, "printPreviewAction", "Print Pre&view");
    connect(pageSetupAction, &QAction::triggered, this, &PrintCommands::pageSetup);
    connect(printerCalibrationAction, &QAction::triggered, this,
            &PrintCommands::printerCalibration);
    connect(printAction, &QAction::triggered, this, &PrintCommands::print);
    connect(printPreviewAction, &QAction::triggered, this, &PrintCommands::printPreview);
}

void PrintCommands::setModalRunner(std::function<void(QDialog &)> runModal)
{
    m_runModal = std::move(runModal);
}

void PrintCommands::printerCalibration()
{
    if (!m_calibrationDialog) {
        m_calibrationDialog = new PrinterCalibrationDialog(m_calibrations, m_feedback,
                                                           qobject_cast<QWidget *>(parent()));
        m_calibrationDialog->setTestPagePrinter(
            [this](const Calibration &front, const Calibration &back) {
                printTestPage(front, back);
            });
        m_calibrationDialog->setTwoSidedTestPrinter(
            [this](const Calibration &front, const Calibration &back) {
                printTwoSidedTest(front, back);
            });
    }
    m_calibrationDialog->edit(calibrationName());
    m_runModal(*m_calibrationDialog);
}

void PrintCommands::setDialogs(PrintDialogs dialogs)
{
    m_dialogs = std::move(dialogs);
}

Bounds32 PrintCommands::printableExtent() const
{
    return ::printableExtent(m_printer);
}

void PrintCommands::takePrintersPaper()
{
    m_render.pageExtent = printableExtent();
    m_render.paper = paperAroundPage(m_printer);
}

QString PrintCommands::calibrationName() const
{
    return ::calibrationName(m_printer);
}

bool PrintCommands::somethingToPrint() const
{
    if (!m_session.docOpen)
        return false;
    const QString nothing = nothingToPrint(m_editor.document().pagesToPrint);
    if (!nothing.isEmpty()) {
        m_feedback.tell(nothing, printCaption);
        return false;
    }
    return true;
}

RunData PrintCommands::runData(const QDateTime &moment) const
{
    RunDataRead read = readRunData(m_editor.document(),
                                   m_session.docNamed ? m_session.docFileName : QString(), moment);
    if (!read.data)
        throw PaginetteError(read.error);
    return std::move(*read.data);
}

RunData PrintCommands::atDate(const RunData &data, const QDateTime &moment) const
{
    const Document &doc = m_editor.document();
    RunDataRead read = data.table() ? runDataOf(doc, doc.data.value_or(DataSourceSettings{}),
                                                *data.table(), data.fileName(), moment)
                                    : readRunData(doc, QString(), moment);
    if (!read.data)
        throw PaginetteError(read.error);
    return std::move(*read.data);
}

QList<LoggedRunDate> PrintCommands::loggedRunDates() const
{
    // An untitled document has no earlier runs.
    if (!m_session.docNamed)
        return {};
    QList<LoggedRunDate> runs;
    for (const PrintLogEntry &entry : m_log.entriesOf(documentPath())) {
        if (entry.runDate)
            runs.append({QStringLiteral("%1, pages %2 to %3")
                             .arg(entry.runDate->toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                             .arg(entry.firstPage)
                             .arg(entry.lastPage),
                         *entry.runDate});
    }
    return runs;
}

void PrintCommands::offerFileName()
{
    const QFileInfo document(m_session.docFileName);
    const QString file =
        m_session.docNamed
            ? document.dir().filePath(document.completeBaseName() + QStringLiteral(".pdf"))
            : QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                  .filePath(QStringLiteral("untitled.pdf"));
    // Naming a PDF file turns the printer to PDF; a chosen queue stays
    // chosen, and the file waits for the user to pick Print to File.
    const bool toQueue = m_printer.outputFormat() == QPrinter::NativeFormat;
    const QString queue = m_printer.printerName();
    m_printer.setOutputFileName(file);
    if (toQueue) {
        m_printer.setOutputFormat(QPrinter::NativeFormat);
        m_printer.setPrinterName(queue);
    }
}

void PrintCommands::print()
{
    guarded([this] {
        if (!somethingToPrint())
            return;
        // Every run starts whole, one copy of each page, whatever the last one chose.
        m_printer.setCopyCount(1);
        m_printer.setPrintRange(QPrinter::AllPages);
        m_printer.setFromTo(0, 0);
        const QString previousFile = m_printer.outputFileName();
        const bool toFile = m_printer.outputFormat() == QPrinter::PdfFormat;
        offerFileName();
        // The shop's shared log connects while the user chooses.
        std::unique_ptr<SharedLogRun> shared = SharedLogRun::start();
        const Document &doc = m_editor.document();
        // The run reads its data once, now; its length is what its rows ask for.
        auto data = std::make_shared<const RunData>(runData(QDateTime::currentDateTime()));
        PrintChoices choices{doc.sheet ? doc.sheet->cellCount() : 0,
                             1,
                             doc.duplex != Duplex::Off,
                             m_frontsThenBacks,
                             m_faceUp,
                             {loggedRunDates(), std::nullopt}};
        if (!m_dialogs.print(m_printer, RunTexts(doc, *data).pages(), choices)) {
            if (toFile)
                m_printer.setOutputFileName(previousFile);
            return;
        }
        if (!printsToFile(m_printer))
            m_chosenQueue = m_printer.printerName();
        m_firstCell = choices.firstCell;
        if (choices.twoSided) {
            m_frontsThenBacks = choices.frontsThenBacks;
            m_faceUp = choices.faceUp;
        }
        if (choices.runDate.chosen)
            data = std::make_shared<const RunData>(atDate(*data, *choices.runDate.chosen));
        printOn(m_printer, std::move(shared), std::move(data));
        m_firstCell = 1;
        returnToChosenQueue();
    });
}

void PrintCommands::returnToChosenQueue()
{
    if (!printsToFile(m_printer) || m_chosenQueue.isEmpty())
        return;
    m_printer.setOutputFileName(QString());
    m_printer.setOutputFormat(QPrinter::NativeFormat);
    m_printer.setPrinterName(m_chosenQueue);
}

void PrintCommands::pageSetup()
{
    guarded([this] {
        if (!m_dialogs.pageSetup(m_printer))
            return;
        takePrintersPaper();
        if (m_hooks.documentWindowHeight)
            m_view.vScrollStep =
                scrollStepFor(m_render.pageExtent.bottom, m_hooks.documentWindowHeight());
        if (m_hooks.redraw)
            m_hooks.redraw();
    });
}

void PrintCommands::printPreview()
{
    guarded([this] {
        if (!somethingToPrint())
            return;
        preparePrinter(m_printer);
        const RunData data = runData(QDateTime::currentDateTime());
        PrintPreviewDialog preview(RunTexts(m_editor.document(), data),
                                   m_calibrations.load(calibrationName()), m_printer.pageLayout(),
                                   qobject_cast<QWidget *>(parent()));
        m_runModal(preview);
        if (preview.printChosen())
            print();
    });
}

PrintPlan PrintCommands::planFor(const QPrinter &printer, const RunTexts &texts) const
{
    PrintPlan plan = printerPlan(printer, texts.pages());
    plan.calibration = m_calibrations.load(::calibrationName(printer));
    plan.backCalibration = m_calibrations.load(::calibrationName(printer), Side::Back);
    plan.firstCell = m_firstCell;
    return plan;
}

bool PrintCommands::outsideAccepted(const QPrinter &printer, const RunTexts &texts,
                                    const PrintPlan &plan) const
{
    const QString outside = outsideWarning(texts, plan, printer.resolution(),
                                           printer.pageLayout().paintRect(QPageLayout::Point),
                                           ::calibrationName(printer));
    return outside.isEmpty() || confirmed({outside}, QStringLiteral("Print anyway?"));
}

bool PrintCommands::confirmed(const QStringList &lines, const QString &question) const
{
    if (lines.isEmpty() || !m_dialogs.confirm)
        return true;
    return m_dialogs.confirm(lines.join(u'\n') + u'\n' + question, printCaption);
}

bool PrintCommands::runAccepted(const QPrinter &printer, const RunTexts &texts,
                                const PrintPlan &plan, bool localReprints) const
{
    if (!m_session.docOpen)
        return true;
    if (!outsideAccepted(printer, texts, plan) ||
        !confirmed(growthLines(texts, plan), QStringLiteral("Print anyway?")) ||
        !confirmed(pictureLines(texts.document()), QStringLiteral("Print anyway?")))
        return false;
    return !localReprints || localReprintsAccepted(texts, plan);
}

bool PrintCommands::localReprintsAccepted(const RunTexts &texts, const PrintPlan &plan) const
{
    // An untitled document has no earlier runs to be told apart from.
    if (!m_session.docNamed)
        return true;
    return confirmed(reprintLines(texts, plan, m_log.entriesOf(documentPath())),
                     QStringLiteral("Print them again?"));
}

bool PrintCommands::printWithoutSharedLog(const QString &error) const
{
    return m_dialogs.choose &&
           m_dialogs.choose(error + QStringLiteral("\nPrinted without it, the run is logged on "
                                                   "this computer and sent to the shared log the "
                                                   "next time it is reached."),
                            printCaption, QStringLiteral("Print without the shared log"));
}

QString PrintCommands::documentPath() const
{
    return m_session.docNamed ? logDocumentKey(m_session.docFileName) : QStringLiteral("untitled");
}

void PrintCommands::printOn(QPrinter &printer, std::unique_ptr<SharedLogRun> shared,
                            std::shared_ptr<const RunData> data)
{
    // A dialog may have changed the resolution; the program prints at its own.
    preparePrinter(printer);
    m_render.printerResolution = printer.resolution();
    const Document &doc = m_editor.document();
    const RunTexts texts(doc, *data);
    const PrintPlan plan = planFor(printer, texts);
    const QString wrong = planError(plan, texts.pages());
    if (!wrong.isEmpty()) {
        m_feedback.tell(wrong, printCaption);
        return;
    }
    const bool sharedLogSet = shared != nullptr;
    if (!sharedLogReady(shared) || !runAccepted(printer, texts, plan, !shared))
        return;
    // A job printed untitled is known by the id it gets now, and keeps it.
    if (sharedLogSet && !m_session.docNamed)
        m_editor.ensureId();
    const QString destination = printsToFile(printer)
                                    ? QFileInfo(printer.outputFileName()).absoluteFilePath()
                                    : printer.printerName();
    PrintLogEntry entry =
        logEntry(texts, plan, documentPath(), destination, QDateTime::currentDateTime());
    const QString documentKey = sharedDocumentKey(doc, m_session.docFileName);
    if (!runReserved(shared, texts, plan, entry, documentKey))
        return;
    entry.notShared = sharedLogSet && !shared;
    const bool printed = printSides(printer, texts, plan);
    if (shared) {
        const QString unheard = shared->finish(printed);
        if (!unheard.isEmpty())
            m_feedback.tell(unheard, QStringLiteral("Print Log"));
    }
    if (!printed)
        return;
    // Without a shared log a run is logged as it ends, as it always was; with
    // one, both logs give it the time it was reserved.
    if (!sharedLogSet)
        entry.when = QDateTime::currentDateTime();
    logRun(entry, plan, entry.notShared ? documentKey : QString(), std::move(data));
}

bool PrintCommands::printSides(QPrinter &printer, const RunTexts &texts, const PrintPlan &plan)
{
    const Document &doc = texts.document();
    const auto pass = [&](const PrintPlan &sides, const std::optional<OutputTarget> &file) {
        const JobResult result =
            printJob(texts, sides, printer, file,
                     progress(static_cast<std::int32_t>(RunPlacements(doc, sides, {}).count())));
        if (!result.error.isEmpty())
            reportError(result.error);
        return result.outcome == PrintOutcome::Printed;
    };
    // A printer that prints one side gets the fronts, then the backs, as if
    // the user had asked for two passes.
    const bool oneSided = !printsBothSides(printer);
    if (doc.duplex == Duplex::Off || (!m_frontsThenBacks && !oneSided))
        return pass(plan, std::nullopt);
    PrintPlan fronts = plan;
    fronts.sides = PrintedSides::Front;
    if (!pass(fronts, std::nullopt))
        return false;
    const QString turn = QStringLiteral("Turn the printed stack over and put it back in the "
                                        "paper tray, then press Continue.");
    const QString said =
        m_frontsThenBacks ? turn
                          : QStringLiteral("%1 prints on one side: the fronts were printed.\n\n%2")
                                .arg(printer.printerName(), turn);
    // The fronts went out whatever the backs do: the run is logged.
    if (!m_dialogs.choose || !m_dialogs.choose(said, printCaption, QStringLiteral("Continue")))
        return true;
    PrintPlan backs = plan;
    backs.sides = PrintedSides::Back;
    backs.backsReversed = m_faceUp;
    // A file would be written over by the second pass: the backs go beside it.
    std::optional<OutputTarget> backsFile;
    if (printsToFile(printer)) {
        const QFileInfo fronts(printer.outputFileName());
        backsFile = resolveOutput(
            fronts.dir().filePath(fronts.completeBaseName() + QStringLiteral("-backs.pdf")));
    }
    pass(backs, backsFile);
    return true;
}

bool PrintCommands::sharedLogReady(std::unique_ptr<SharedLogRun> &shared) const
{
    if (!shared)
        return true;
    QStringList told;
    const QString error = shared->open(told);
    if (!told.isEmpty())
        m_feedback.tell(told.join(u'\n'), QStringLiteral("Print Log"));
    if (error.isEmpty())
        return true;
    // A log that cannot serve never passes silently.
    if (!printWithoutSharedLog(error))
        return false;
    shared.reset();
    return true;
}

bool PrintCommands::runReserved(std::unique_ptr<SharedLogRun> &shared, const RunTexts &texts,
                                const PrintPlan &plan, const PrintLogEntry &entry,
                                const QString &documentKey) const
{
    if (!shared)
        return true;
    QString error;
    const auto askAgain = [this](const QStringList &lines) {
        return confirmed(lines, QStringLiteral("Print them again?"));
    };
    if (shared->reserve(texts.document(), texts.data(), plan, entry, documentKey, askAgain, error))
        return true;
    if (error.isEmpty() || !printWithoutSharedLog(error))
        return false;
    // Without the shared log, the run is checked against this computer's.
    shared.reset();
    return localReprintsAccepted(texts, plan);
}

PrintProgress PrintCommands::progress(std::int32_t sheets) const
{
    return m_dialogs.progress ? m_dialogs.progress(sheets) : PrintProgress();
}

void PrintCommands::logRun(const PrintLogEntry &entry, const PrintPlan &plan,
                           const QString &documentKey, std::shared_ptr<const RunData> data)
{
    m_printedRuns.append({entry, m_editor.document(), plan, std::move(data)});
    const QString error = m_log.append(entry);
    if (!error.isEmpty())
        m_feedback.tell(error, QStringLiteral("Print Log"));
    if (!documentKey.isEmpty()) {
        const QString unkept = SharedLogSession::keepForLater(entry, documentKey);
        if (!unkept.isEmpty())
            m_feedback.tell(unkept, QStringLiteral("Print Log"));
    }
    Q_EMIT runLogged();
}

std::optional<OutputTarget> PrintCommands::testTarget(const QString &fileName) const
{
    if (!printsToFile(m_printer))
        return std::nullopt;
    return resolveOutput(QFileInfo(m_printer.outputFileName()).dir().filePath(fileName));
}

void PrintCommands::deliverTest(PrinterJob &job, const std::optional<OutputTarget> &target,
                                const std::function<PrintResult(const PrintSheets &)> &draw,
                                const QString &what)
{
    const Delivery delivery = deliver(job, draw);
    if (!delivery.error.isEmpty())
        reportError(delivery.error);
    else if (delivery.delivered && target)
        m_feedback.tell(QStringLiteral("%1 was written to %2").arg(what, target->name),
                        calibrationCaption);
}

void PrintCommands::printTestPage(const Calibration &front, const Calibration &back)
{
    preparePrinter(m_printer);
    const std::optional<OutputTarget> target = testTarget(QStringLiteral("calibration-page.pdf"));
    const QPageLayout layout = m_printer.pageLayout();
    const CalibrationPage page{calibrationName(), front, back,
                               layout.fullRect(QPageLayout::Millimeter).size(),
                               layout.paintRect(QPageLayout::Millimeter)};
    PrinterJob job(m_printer, target);
    deliverTest(
        job, target,
        [&](const PrintSheets &sheets) {
            return printCalibrationPage(page, m_printer.resolution(), sheets);
        },
        QStringLiteral("The test page"));
}

void PrintCommands::printTwoSidedTest(const Calibration &front, const Calibration &back)
{
    preparePrinter(m_printer);
    const std::optional<OutputTarget> target = testTarget(QStringLiteral("two-sided-test.pdf"));
    // On the document's flip edge, the long edge for a one-sided document.
    const Duplex documentFlip = m_editor.document().duplex;
    const RegistrationTest test{m_printer.pageLayout().fullRect(QPageLayout::Millimeter).size(),
                                documentFlip == Duplex::Off ? Duplex::LongEdge : documentFlip,
                                front, back};
    PrinterJob job(m_printer, target);
    job.printOnBothSides(test.flip);
    deliverTest(
        job, target,
        [&](const PrintSheets &sheets) {
            return printRegistrationTest(test, m_printer.resolution(), sheets);
        },
        QStringLiteral("The two-sided test"));
}

CommandRows PrintCommands::rows() const
{
    // Sheet Layout stands after Page Setup.
    return {{{Menu::File, 3, 1, pageSetupAction},
             {Menu::File, 3, 3, printerCalibrationAction},
             {Menu::File, 3, 4, printAction},
             {Menu::File, 3, 5, printPreviewAction}},
            {},
            {}};
}
