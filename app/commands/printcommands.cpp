#include "commands/printcommands.h"

#include "commands/actions.h"
#include "commands/datafileconsent.h"
#include "dialogs/printercalibrationdialog.h"
#include "dialogs/printpreviewdialog.h"

#include "documentwindow.h"
#include "guarded.h"
#include "outputs/pdffileoutput.h"
#include "outputs/printer.h"
#include "outputs/printqueueoutput.h"
#include "paginetteerror.h"
#include "run/calibrationpage.h"
#include "run/placements.h"
#include "run/registrationtest.h"
#include "sharedlog/serverwait.h"
#include "sharedlog/sharedlogsetting.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString printCaption = QStringLiteral("Print");
const QString calibrationCaption = QStringLiteral("Printer Calibration");
const QString logCaption = QStringLiteral("Print Log");

QPrinter::DuplexMode qtDuplex(Duplex duplex)
{
    switch (duplex) {
    case Duplex::LongEdge:
        return QPrinter::DuplexLongSide;
    case Duplex::ShortEdge:
        return QPrinter::DuplexShortSide;
    case Duplex::Off:
        break;
    }
    return QPrinter::DuplexNone;
}

// The program's answers to a run's questions: its dialogs, over windows that
// go on drawing while the shared log's server is waited for.
class DialogAnswers : public RunQuestions
{
public:
    DialogAnswers(const PrintDialogs &dialogs, const Feedback &feedback)
        : m_dialogs(dialogs), m_feedback(feedback)
    {
    }

    bool goPast(RunWarning, const QStringList &lines) override
    {
        return confirmed(lines, QStringLiteral("Print anyway?"));
    }
    bool printAgain(const QStringList &lines) override
    {
        return confirmed(lines, QStringLiteral("Print them again?"));
    }
    bool readDataOutside(const QString &document, const QString &dataFile) override
    {
        return askToReadDataOutside(m_feedback, document, dataFile);
    }
    bool printWithoutSharedLog(const QString &why) override
    {
        return m_dialogs.choose &&
               m_dialogs.choose(why + QStringLiteral("\nPrinted without it, the run is logged on "
                                                     "this computer and sent to the shared log "
                                                     "the next time it is reached."),
                                printCaption, QStringLiteral("Print without the shared log"));
    }
    bool waitsForTheTurn() const override { return true; }
    bool stackTurned(const QString &said) override
    {
        return m_dialogs.choose && m_dialogs.choose(said, printCaption, QStringLiteral("Continue"));
    }
    void tell(const QStringList &lines, RunTopic topic) override
    {
        if (topic == RunTopic::Error)
            reportError(lines.join(u'\n'));
        else
            m_feedback.tell(lines.join(u'\n'), topic == RunTopic::Log ? logCaption : printCaption);
    }
    PrintProgress progress(std::int64_t sheets) override
    {
        return m_dialogs.progress ? m_dialogs.progress(static_cast<std::int32_t>(sheets))
                                  : PrintProgress();
    }
    bool stillWanted() override { return true; }
    void waitOnServer(const std::function<void()> &work) override { waitForServer(work); }
    void uninterrupted(const std::function<void()> &work) override { work(); }

private:
    // True unless the user, told the lines, cancels at `question`.
    bool confirmed(const QStringList &lines, const QString &question) const
    {
        if (lines.isEmpty() || !m_dialogs.confirm)
            return true;
        return m_dialogs.confirm(lines.join(u'\n') + u'\n' + question, printCaption);
    }

    const PrintDialogs &m_dialogs;
    const Feedback &m_feedback;
};

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
    exportRunAction = makeAction(parent, "exportRunAction", "E&xport Run...");
    connect(pageSetupAction, &QAction::triggered, this, &PrintCommands::pageSetup);
    connect(printerCalibrationAction, &QAction::triggered, this,
            &PrintCommands::printerCalibration);
    connect(printAction, &QAction::triggered, this, &PrintCommands::print);
    connect(printPreviewAction, &QAction::triggered, this, &PrintCommands::printPreview);
    connect(exportRunAction, &QAction::triggered, this, &PrintCommands::exportRun);
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

std::unique_ptr<RunSession> PrintCommands::startSession(RunQuestions &questions) const
{
    auto session = std::make_unique<RunSession>(questions);
    session->setDocument(m_editor.document(),
                         m_session.docNamed ? m_session.docFileName : QString());
    // The run reads its data once, now; its length is what its rows ask for.
    const QString unread = session->readData(QDateTime::currentDateTime());
    if (!unread.isEmpty())
        throw PaginetteError(unread);
    return session;
}

QList<LoggedRunDate> PrintCommands::loggedRunDates(const RunSession &session) const
{
    QList<LoggedRunDate> runs;
    for (const PrintLogEntry &entry : session.loggedRuns()) {
        if (entry.runDate)
            runs.append({QStringLiteral("%1, pages %2 to %3")
                             .arg(entry.runDate->toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                             .arg(entry.firstPage)
                             .arg(entry.lastPage),
                         *entry.runDate});
    }
    return runs;
}

QString PrintCommands::documentPdfName() const
{
    const QFileInfo document(m_session.docFileName);
    return m_session.docNamed
               ? document.dir().filePath(document.completeBaseName() + QStringLiteral(".pdf"))
               : QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                     .filePath(QStringLiteral("untitled.pdf"));
}

void PrintCommands::offerDestination()
{
    const bool toFile = m_destination ? m_destination->toFile : printsToFile(m_printer);
    const QString queue = m_destination && !m_destination->queue.isEmpty()
                              ? m_destination->queue
                              : m_printer.printerName();
    // Naming a PDF file turns the printer to PDF; on a queue, the file
    // waits for the user to pick Print to File. Qt's dialog chooses the
    // queue the printer names, so a run to a file names none.
    if (toFile)
        m_printer.setPrinterName(QString());
    m_printer.setOutputFileName(
        m_destination && !m_destination->file.isEmpty() ? m_destination->file : documentPdfName());
    if (!toFile) {
        m_printer.setOutputFormat(QPrinter::NativeFormat);
        m_printer.setPrinterName(queue);
    }
}

void PrintCommands::keepDestination(const QString &offeredFile)
{
    PrintDestination chosen;
    chosen.toFile = printsToFile(m_printer);
    if (!chosen.toFile)
        chosen.queue = m_printer.printerName();
    chosen.file = chosen.toFile ? m_printer.outputFileName() : offeredFile;
    m_destination = chosen;
    if (m_session.docNamed)
        m_namedDestinations.insert(m_session.docFileName, chosen);
}

void PrintCommands::documentShown()
{
    m_destination.reset();
    if (m_session.docNamed) {
        const auto kept = m_namedDestinations.constFind(m_session.docFileName);
        if (kept != m_namedDestinations.cend())
            m_destination = *kept;
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
        offerDestination();
        const QString offeredFile = m_printer.outputFileName();
        DialogAnswers answers(m_dialogs, m_feedback);
        const std::unique_ptr<RunSession> session = startSession(answers);
        // The shop's shared log connects while the user chooses.
        useSharedLogSetting(*session);
        const Document &doc = m_editor.document();
        // Qt's printer says what the document says, whatever the printer's default.
        m_printer.setDuplex(qtDuplex(doc.duplex));
        PrintChoices choices{
            doc.sheet ? doc.sheet->cellCount() : 0,  1, doc.duplex, m_frontsThenBacks, m_faceUp,
            {loggedRunDates(*session), std::nullopt}};
        if (!m_dialogs.print(m_printer, session->pages(), choices)) {
            if (toFile)
                m_printer.setOutputFileName(previousFile);
            returnToChosenQueue();
            return;
        }
        if (!printsToFile(m_printer))
            m_chosenQueue = m_printer.printerName();
        keepDestination(offeredFile);
        if (choices.duplex != Duplex::Off) {
            m_frontsThenBacks = choices.frontsThenBacks;
            m_faceUp = choices.faceUp;
        }
        session->setFrontsThenBacks(m_frontsThenBacks, m_faceUp);
        if (choices.runDate.chosen) {
            const QString unread = session->setRunDate(*choices.runDate.chosen);
            if (!unread.isEmpty())
                throw PaginetteError(unread);
        }
        PrintPlan plan = planFor(m_printer, session->pages());
        plan.firstCell = choices.firstCell;
        session->setPlan(plan);
        // A dialog may have changed the resolution; the program prints at its own.
        preparePrinter(m_printer);
        m_render.printerResolution = m_printer.resolution();
        printTo(*session, destinationOf(m_printer));
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
        DialogAnswers answers(m_dialogs, m_feedback);
        const std::unique_ptr<RunSession> session = startSession(answers);
        PrintPreviewDialog preview(RunTexts(session->document(), session->data()),
                                   m_calibrations.load(calibrationName()), m_printer.pageLayout(),
                                   qobject_cast<QWidget *>(parent()));
        m_runModal(preview);
        if (preview.printChosen())
            print();
    });
}

PrintPlan PrintCommands::planFor(const QPrinter &printer, std::int32_t pages) const
{
    PrintPlan plan = printerPlan(printer, pages);
    plan.calibration = m_calibrations.load(::calibrationName(printer));
    plan.backCalibration = m_calibrations.load(::calibrationName(printer), Side::Back);
    return plan;
}

RunDestination PrintCommands::destinationOf(QPrinter &printer) const
{
    std::unique_ptr<RunOutput> output;
    if (printsToFile(printer))
        output = std::make_unique<PdfFileOutput>(resolveOutput(printer.outputFileName()));
    else
        output = std::make_unique<PrintQueueOutput>(printer);
    return {std::move(output), printer.pageLayout(), ::calibrationName(printer)};
}

void PrintCommands::useSharedLogSetting(RunSession &session)
{
    if (const Outcome<SharedLogAddress> address = SharedLogSetting().address())
        session.useSharedLog(*address);
    else if (!address.error.isEmpty())
        session.sharedLogUnusable(address.error);
}

void PrintCommands::exportRun()
{
    guarded([this] {
        if (!somethingToPrint() || !m_dialogs.exportRun)
            return;
        const QFileInfo document(m_session.docFileName);
        const std::optional<ExportChoice> choice = m_dialogs.exportRun(
            m_session.docNamed ? document.dir().filePath(document.completeBaseName())
                               : QStringLiteral("untitled"));
        if (!choice)
            return;
        DialogAnswers answers(m_dialogs, m_feedback);
        const std::unique_ptr<RunSession> session = startSession(answers);
        useSharedLogSetting(*session);
        Outcome<std::unique_ptr<RunOutput>> output =
            fileOutput(choice->file, {choice->dotsPerInch, std::nullopt});
        if (!output)
            throw PaginetteError(output.error);
        // A file is calibrated as the program's PDF output is.
        PrintPlan plan = wholeRun(session->pages());
        plan.calibration = m_calibrations.load(pdfOutputName());
        plan.backCalibration = m_calibrations.load(pdfOutputName(), Side::Back);
        session->setPlan(plan);
        preparePrinter(m_printer);
        printTo(*session, {std::move(*output), m_printer.pageLayout(), pdfOutputName()});
    });
}

void PrintCommands::printTo(RunSession &session, RunDestination destination)
{
    // A job printed untitled through the shared log is known by the id it
    // gets now, and keeps it.
    if (!m_session.docNamed && SharedLogSetting().address()) {
        m_editor.ensureId();
        session.setDocument(m_editor.document(), QString());
    }
    session.setDestination(std::move(destination));
    const RunResult result = session.run();
    switch (result.ending) {
    case RunResult::Ending::Printed:
        m_printedRuns.append(*result.printed);
        Q_EMIT runLogged();
        return;
    case RunResult::Ending::Unusable:
        m_feedback.tell(result.error, printCaption);
        return;
    case RunResult::Ending::Failed:
        reportError(result.error);
        return;
    case RunResult::Ending::Unshared:
        // A shared log that refused the run, which no choice mends.
        if (!result.error.isEmpty())
            m_feedback.tell(result.error, printCaption);
        return;
    case RunResult::Ending::Declined:
    case RunResult::Ending::Cancelled:
        return;
    }
}

std::unique_ptr<RunOutput> PrintCommands::testOutput(const QString &fileName) const
{
    if (!printsToFile(m_printer))
        return std::make_unique<PrintQueueOutput>(const_cast<QPrinter &>(m_printer));
    return std::make_unique<PdfFileOutput>(
        resolveOutput(QFileInfo(m_printer.outputFileName()).dir().filePath(fileName)));
}

void PrintCommands::deliverTest(const std::function<PrintResult(const PrintSheets &)> &draw,
                                std::int64_t faces, Duplex duplex, const QString &fileName,
                                const QString &what)
{
    preparePrinter(m_printer);
    const std::unique_ptr<RunOutput> output = testOutput(fileName);
    OutputPass pass;
    pass.layout = m_printer.pageLayout();
    pass.dotsPerInch = m_printer.resolution();
    pass.duplex = duplex;
    pass.faces = faces;
    pass.title = runTitle();
    QString error = output->open(pass);
    if (error.isEmpty()) {
        const PrintResult result = draw(output->sheets());
        if (result.outcome != PrintOutcome::Printed)
            error = result.error;
        else
            error = output->deliver();
        // A test page is not logged: nothing goes before its place.
        if (error.isEmpty())
            error = output->putInPlace();
    }
    if (!error.isEmpty())
        reportError(error);
    else if (printsToFile(m_printer))
        m_feedback.tell(QStringLiteral("%1 was written to %2").arg(what, output->name()),
                        calibrationCaption);
}

void PrintCommands::printTestPage(const Calibration &front, const Calibration &back)
{
    const QPageLayout layout = m_printer.pageLayout();
    const CalibrationPage page{calibrationName(), front, back,
                               layout.fullRect(QPageLayout::Millimeter).size(),
                               layout.paintRect(QPageLayout::Millimeter)};
    deliverTest(
        [&](const PrintSheets &sheets) {
            return printCalibrationPage(page, printerDotsPerInch, sheets);
        },
        1, Duplex::Off, QStringLiteral("calibration-page.pdf"), QStringLiteral("The test page"));
}

void PrintCommands::printTwoSidedTest(const Calibration &front, const Calibration &back)
{
    // On the document's flip edge, the long edge for a one-sided document.
    const Duplex documentFlip = m_editor.document().duplex;
    const RegistrationTest test{m_printer.pageLayout().fullRect(QPageLayout::Millimeter).size(),
                                documentFlip == Duplex::Off ? Duplex::LongEdge : documentFlip,
                                front, back};
    deliverTest(
        [&](const PrintSheets &sheets) {
            return printRegistrationTest(test, printerDotsPerInch, sheets);
        },
        2 * registrationSheets, test.flip, QStringLiteral("two-sided-test.pdf"),
        QStringLiteral("The two-sided test"));
}

CommandRows PrintCommands::rows() const
{
    // Sheet Layout stands after Page Setup.
    return {{{Menu::File, 3, 1, pageSetupAction},
             {Menu::File, 3, 3, printerCalibrationAction},
             {Menu::File, 3, 4, printAction},
             {Menu::File, 3, 5, printPreviewAction},
             {Menu::File, 3, 6, exportRunAction}},
            {},
            {}};
}
