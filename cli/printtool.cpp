#include "printtool.h"

#include "documentinput.h"
#include "file/documentfile.h"
#include "filenames.h"
#include "log/manifest.h"
#include "log/printlog.h"
#include "log/sharedlogsession.h"
#include "outputs/outputfile.h"
#include "outputs/outputtarget.h"
#include "outputs/printerjob.h"
#include "run/placements.h"
#include "run/printablearea.h"
#include "run/runcheck.h"
#include "rundata.h"
#include "stopsignals.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrinter>

#include <memory>
#include <optional>

namespace {

// The document with room for as many objects as the program allows. A file
// the reader has anything to say about is not printed: a run from part of a
// design is waste.
std::optional<Document> loadForPrinting(const QByteArray &bytes, const QString &name,
                                        const ToolReport &report)
{
    const LoadResult loaded = readDocument(bytes, maxObjectCapacity);
    if (loaded.storedObjects > maxObjectCapacity) {
        report.message(QStringLiteral("%1 holds %2 objects; the program allows %3 at most")
                           .arg(name)
                           .arg(loaded.storedObjects)
                           .arg(maxObjectCapacity));
        return std::nullopt;
    }
    for (const FileMessage &message : loaded.messages)
        report.message(QStringLiteral("%1: %2").arg(name, message.detail));
    if (!loaded.messages.isEmpty())
        return std::nullopt;
    return loaded.document;
}

// The printer for the request, or an error text.
QString choosePrinter(QPrinter &printer, const PrintRequest &request)
{
    if (!request.queue.isEmpty()) {
        printer.setPrinterName(request.queue);
        if (printer.outputFormat() != QPrinter::NativeFormat ||
            printer.printerName() != request.queue)
            return QStringLiteral("There is no print queue named %1").arg(request.queue);
    } else {
        // The paper of the default printer, as the program's page shows it.
        const QPageLayout layout = printer.pageLayout();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageLayout(layout);
    }
    preparePrinter(printer);
    return {};
}

// Whether no signal has asked the tool to stop.
bool stillWanted()
{
    return stopSignal() == 0;
}

// Puts the file `path` under every page of the plan. A PDF background gives
// the printer the paper of the run's first sheet, so that a queue is asked
// for it; the numbers keep the printer's margins, as on plain paper. An
// error text when the file cannot be used.
QString addBackground(const QString &path, const Document &doc, PrintPlan &plan, QPrinter &printer)
{
    QFile file;
    const QString unread = openForReading(file, path);
    if (!unread.isEmpty())
        return QStringLiteral("%1: %2").arg(path, unread);
    if (file.size() > maxPictureBytes)
        return QStringLiteral("%1: a background takes at most 16 MB").arg(path);
    QString why;
    plan.background = runBackground(file.readAll(), plan.first, plan.last, &why, stillWanted);
    if (!plan.background)
        return QStringLiteral("%1 %2").arg(path, why);
    const QPageLayout layout = printer.pageLayout();
    const RunPlacements placements(doc, plan, devicePaper(layout));
    if (placements.bringsPaper() && placements.sheetCount() > 0)
        printer.setPageLayout(QPageLayout(QPageSize(placements.paperOf(1), QPageSize::Point),
                                          QPageLayout::Portrait, layout.margins(QPageLayout::Point),
                                          QPageLayout::Point));
    return {};
}

// The pages, copies and calibration the request asks for.
PrintPlan requestPlan(const PrintRequest &request, const QPrinter &printer, std::int32_t pages)
{
    PrintPlan plan = wholeRun(pages);
    if (request.range) {
        plan.first = request.range->first;
        plan.last = request.range->last;
    }
    plan.copies = request.copies;
    plan.collate = request.collate;
    plan.lastPageFirst = request.reverse;
    plan.firstCell = request.firstCell;
    plan.sides = request.sides;
    plan.backsReversed = request.backsReversed;
    if (request.printerProfile) {
        const CalibrationStore store;
        const QString name = calibrationName(printer);
        plan.calibration = store.load(name);
        plan.backCalibration = store.load(name, Side::Back);
    }
    // What the command line says of the print holds for both sides.
    for (Calibration *calibration : {&plan.calibration, &plan.backCalibration}) {
        if (request.offset) {
            calibration->offsetX = request.offset->x();
            calibration->offsetY = request.offset->y();
        }
        if (request.scale) {
            calibration->scaleX = request.scale->x();
            calibration->scaleY = request.scale->y();
        }
    }
    return plan;
}

// How the log names where the run went.
QString logPrinter(const PrintRequest &request)
{
    if (!request.queue.isEmpty())
        return request.queue;
    if (request.output == QLatin1String("-"))
        return QStringLiteral("standard output");
    return QFileInfo(request.output).absoluteFilePath();
}

QString logDocument(const PrintRequest &request)
{
    return request.document == QLatin1String("-") ? documentName(request.document)
                                                  : logDocumentKey(request.document);
}

// Tells what the user may want to stop the run for, as the program asks
// before a run. False when a picture cannot be read.
bool warnedBeforeRun(const RunTexts &texts, const PrintPlan &plan, const QPrinter &printer,
                     const ToolReport &report)
{
    const QString outside = outsideWarning(texts, plan, printer.resolution(),
                                           printer.pageLayout().paintRect(QPageLayout::Point),
                                           calibrationName(printer));
    if (!outside.isEmpty())
        report.message(outside);
    for (const QString &line : growthLines(texts, plan))
        report.message(line);
    const QStringList unreadable = pictureLines(texts.document(), stillWanted);
    for (const QString &line : unreadable)
        report.message(line);
    if (unreadable.isEmpty())
        return true;
    report.message(QStringLiteral("pictures that cannot be read: nothing was printed"));
    return false;
}

// Names the values the local print log holds printed already. False when
// the request refuses a run that prints values again.
bool checkedAgainstLog(const RunTexts &texts, const PrintRequest &request, const PrintPlan &plan,
                       const PrintLog &log, const ToolReport &report)
{
    // A stream has no name to find its earlier runs by.
    if (request.document == QLatin1String("-"))
        return true;
    QString logTrouble;
    const QList<PrintLogEntry> earlier = log.entriesOf(logDocument(request), &logTrouble);
    if (!logTrouble.isEmpty())
        report.message(logTrouble);
    const QStringList again = reprintLines(texts, plan, earlier);
    for (const QString &line : again)
        report.message(line);
    if (again.isEmpty() || !request.freshOnly)
        return true;
    report.message(QStringLiteral("--fresh-only: nothing was printed"));
    return false;
}

// Why the sides asked for cannot be printed of `doc`; empty when they can.
QString sidesError(const Document &doc, const PrintRequest &request)
{
    if (request.sides != PrintedSides::Both && doc.duplex == Duplex::Off)
        return QStringLiteral("--sides front or back needs a two-sided document (--duplex long "
                              "or short)");
    if (request.backsReversed && request.sides != PrintedSides::Back)
        return QStringLiteral("--backs-reversed is for the pass that prints the backs (--sides "
                              "back)");
    return {};
}

QString noSheetDatabase()
{
    return QStringLiteral("the sheet database is not installed; install the glabels-data "
                          "package (apt install glabels-data)");
}

// "Avery 5160: Address Labels; 30 labels of 66.7 x 25.4 mm on 215.9 x 279.4 mm"
QString sheetLine(const SheetLayout &layout)
{
    const auto mm = [](double points) {
        return QString::number(points * 25.4 / 72, 'f', 1);
    };
    return QStringLiteral("%1: %2; %3 labels of %4 x %5 mm on %6 x %7 mm")
        .arg(layout.title(), layout.description)
        .arg(layout.cellCount())
        .arg(mm(layout.label.width()), mm(layout.label.height()), mm(layout.paper.width()),
             mm(layout.paper.height()));
}

// Gives `doc` the layout of the product --sheet names, in the order of the
// sheet it had, reading only the files of the database that mention it.
// False when there is no database (told through `report`) or no such product
// (`unknown` says so).
bool useSheet(const PrintRequest &request, Document &doc, const ToolReport &report,
              QString &unknown)
{
    QStringList skipped;
    bool installed = false;
    std::optional<SheetLayout> layout =
        SheetDatabase::lookUp(request.sheetFolder, request.sheet, &installed, &skipped);
    for (const QString &skip : skipped)
        report.message(skip);
    if (!installed) {
        report.message(noSheetDatabase());
        return false;
    }
    if (!layout) {
        unknown = QStringLiteral("--sheet: no product \"%1\"; paginette-print --list-sheets "
                                 "TEXT lists the products that match")
                      .arg(request.sheet);
        return false;
    }
    if (doc.sheet)
        layout->order = doc.sheet->order;
    doc.sheet = layout;
    return true;
}

// The document printed to the request's output; an error text when it was
// not.
QString printRequest(const RunTexts &texts, const PrintRequest &request, const PrintPlan &plan,
                     QPrinter &printer, const std::optional<OutputTarget> &target,
                     const ToolReport &report)
{
    const JobResult result = printJob(texts, plan, printer, target, report.progress);
    if (result.outcome == PrintOutcome::Cancelled)
        return QStringLiteral("Cancelled; nothing was printed");
    // The document's fault is told with its name, as the output's is with its.
    if (result.outcome == PrintOutcome::Failed && result.refusedPage != 0)
        return documentName(request.document) + QStringLiteral(": ") + result.error;
    if (result.outcome == PrintOutcome::Failed)
        return result.error;
    if (result.rewroteInPlace)
        report.message(QStringLiteral("%1: its folder is not writable; the file was rewritten "
                                      "in place")
                           .arg(request.output));
    return {};
}

// The shop's shared print log the run goes through, when one is named: a
// session that starts connecting at once, while the run gets ready. Not 0 in
// `refusal` (an exit status) when the request will not do.
std::unique_ptr<SharedLogSession> startSharedLog(const PrintRequest &request,
                                                 const ToolReport &report, int &refusal)
{
    const QString uri = request.sharedLog.isEmpty() ? qEnvironmentVariable("PAGINETTE_SHARED_LOG")
                                                    : request.sharedLog;
    if (uri.isEmpty()) {
        if (request.continuing) {
            report.message(QStringLiteral("--continue needs a shared print log (--shared-log)"));
            refusal = exitUsage;
        }
        return nullptr;
    }
    QString why;
    const std::optional<SharedLogAddress> address = parseSharedLogUri(uri, &why);
    if (!address) {
        report.message(QStringLiteral("--shared-log: ") + why);
        refusal = exitUsage;
        return nullptr;
    }
    return std::make_unique<SharedLogSession>(*address);
}

// Waits for the shared log to answer and for the runs that waited to be
// sent. Without an answer the session goes, and with --offline-ok the run
// prints without it (`unshared`); else `refusal` says how the tool ends.
void awaitSharedLog(const PrintRequest &request, const Document &doc,
                    std::unique_ptr<SharedLogSession> &shared, const ToolReport &report,
                    bool &unshared, int &refusal)
{
    QStringList told;
    const QString error = shared->open(told);
    for (const QString &line : told)
        report.message(line);
    // A stream without an id has no name the log could know it by.
    if (error.isEmpty() && request.document == QLatin1String("-") && doc.id.isEmpty()) {
        report.message(QStringLiteral("a document read from a stream is known to the shared "
                                      "print log by its id, and it has none; nothing was "
                                      "printed"));
        refusal = exitUnshared;
        return;
    }
    if (error.isEmpty())
        return;
    shared.reset();
    if (!request.offlineOk) {
        report.message(error + QStringLiteral("; nothing was printed (--offline-ok prints "
                                              "without it)"));
        refusal = exitUnshared;
        return;
    }
    report.message(error + QStringLiteral("; printing without it: the run is sent the next "
                                          "time it is reached"));
    unshared = true;
}

// The run's data, read once before anything prints: the document's data
// file or the one the request names, and the run's date. Not 0 in
// `refusal` when the data or the request cannot be used.
std::optional<RunData> readRequestData(const Document &doc, const PrintRequest &request,
                                       const ToolReport &report, int &refusal)
{
    const bool dataFile = doc.data || !request.dataFile.isEmpty();
    const QString unusable =
        request.quantityColumn && !dataFile
            ? QStringLiteral("--quantity-column needs a data file (--data)")
        : request.pages && dataFile
            ? QStringLiteral("--pages: a run from a data file prints the pages its rows ask for")
            : QString();
    if (!unusable.isEmpty()) {
        report.message(unusable);
        refusal = exitUsage;
        return std::nullopt;
    }
    const QString documentPath =
        request.document == QLatin1String("-") ? QString() : request.document;
    RunDataRead read =
        readRunData(doc, documentPath, request.date.value_or(QDateTime::currentDateTime()),
                    {request.dataFile, request.quantityColumn});
    if (!read.data) {
        report.message(read.error + QStringLiteral("; nothing was printed"));
        refusal = exitUsage;
    }
    return std::move(read.data);
}

} // namespace

int listSheets(const QString &text, const QString &folder,
               const std::function<void(const QString &)> &line, const ToolReport &report)
{
    QStringList skipped;
    const SheetDatabase database = SheetDatabase::read(folder, &skipped);
    for (const QString &skip : skipped)
        report.message(skip);
    if (database.isEmpty()) {
        report.message(noSheetDatabase());
        return exitFailed;
    }
    for (const int index : database.matching(text))
        line(sheetLine(database.products()[index]));
    return exitPrinted;
}

int printDocument(const PrintRequest &request, const ToolReport &report)
{
    // Whatever else went wrong, a run a signal stopped ends as the signal says.
    const auto failed = [&report](const QString &error) {
        if (const int signal = stopSignal())
            return exitStopped(signal);
        report.message(error);
        return exitFailed;
    };

    int refusal = 0;
    std::unique_ptr<SharedLogSession> shared = startSharedLog(request, report, refusal);
    if (refusal != 0)
        return refusal;
    const DocumentInput input = readDocumentInput(request.document);
    if (!input.error.isEmpty())
        return failed(input.error);
    const QString name = documentName(request.document);
    std::optional<Document> doc = loadForPrinting(input.bytes, name, report);
    if (!doc)
        return exitFailed;
    if (request.pages)
        doc->pagesToPrint = *request.pages;
    const QString nothing = nothingToPrint(doc->pagesToPrint);
    if (!nothing.isEmpty() && !doc->data && request.dataFile.isEmpty())
        return failed(name + QStringLiteral(": ") + nothing);
    if (!request.sheet.isEmpty()) {
        QString unknown;
        if (!useSheet(request, *doc, report, unknown)) {
            report.message(unknown);
            return unknown.isEmpty() ? exitFailed : exitUsage;
        }
    }
    if (request.firstCell != 1 || doc->sheet) {
        const QString cellError =
            doc->sheet ? firstCellError(*doc->sheet, request.firstCell)
                       : QStringLiteral("--first-cell needs a sheet of labels (--sheet)");
        if (!cellError.isEmpty()) {
            report.message(name + QStringLiteral(": ") + cellError);
            return exitUsage;
        }
    }
    // The document is as the run prints it: its data are read once, now.
    const std::optional<RunData> data = readRequestData(*doc, request, report, refusal);
    if (!data)
        return refusal;
    // Made again when the shared log moves the numbers on.
    std::optional<RunTexts> texts(std::in_place, *doc, *data);

    if (request.duplex)
        doc->duplex = *request.duplex;
    const QString sides = sidesError(*doc, request);
    if (!sides.isEmpty()) {
        report.message(name + QStringLiteral(": ") + sides);
        return exitUsage;
    }

    std::optional<OutputTarget> target;
    if (!request.output.isEmpty()) {
        target = resolveOutput(request.output, input.identity);
        if (target->kind == OutputKind::Document) {
            report.message(target->refusal);
            return exitUsage;
        }
    }
    std::optional<OutputTarget> manifestTarget;
    if (!request.manifest.isEmpty()) {
        manifestTarget = resolveOutput(request.manifest, input.identity);
        if (manifestTarget->kind == OutputKind::Document) {
            report.message(manifestTarget->refusal);
            return exitUsage;
        }
        if (target && manifestTarget->kind != OutputKind::Refused &&
            sameFile(*manifestTarget, *target)) {
            report.message(QStringLiteral("%1: the manifest and the run cannot go to one file")
                               .arg(request.manifest));
            return exitUsage;
        }
    }
    QPrinter printer(QPrinter::HighResolution);
    QString error = choosePrinter(printer, request);
    if (!error.isEmpty())
        return failed(error);
    PrintPlan plan = requestPlan(request, printer, texts->pages());
    // A queue that prints one side gets the fronts; the backs are a second
    // pass the user starts once the stack is turned over.
    const bool frontsAlone =
        doc->duplex != Duplex::Off && plan.sides == PrintedSides::Both && !printsBothSides(printer);
    if (frontsAlone)
        plan.sides = PrintedSides::Front;
    if (!request.background.isEmpty()) {
        error = addBackground(request.background, *doc, plan, printer);
        if (!error.isEmpty())
            return failed(error);
    }
    error = planError(plan, texts->pages());
    if (!error.isEmpty()) {
        report.message(name + QStringLiteral(": ") + error);
        return exitUsage;
    }
    if (!warnedBeforeRun(*texts, plan, printer, report))
        return exitFailed;
    PrintLog log;
    bool unshared = false;
    // The log opened while the run got ready; a shared log checks the run
    // when it reserves it.
    if (shared)
        awaitSharedLog(request, *doc, shared, report, unshared, refusal);
    if (refusal != 0)
        return refusal;
    if (!shared && !checkedAgainstLog(*texts, request, plan, log, report))
        return exitFailed;
    const QString documentKey = sharedDocumentKey(*doc, request.document);
    if (shared) {
        bool refused = false;
        const auto goAhead = [&](const QStringList &again) {
            for (const QString &line : again)
                report.message(line);
            refused = request.freshOnly && !again.isEmpty();
            return !refused;
        };
        const PrintLogEntry reserved = logEntry(*texts, plan, logDocument(request),
                                                logPrinter(request), QDateTime::currentDateTime());
        texts.reset();
        const bool reservedRun = shared->reserve(*doc, &*data, plan, reserved, documentKey,
                                                 request.continuing, goAhead, error);
        texts.emplace(*doc, *data);
        if (!reservedRun) {
            report.message(refused ? QStringLiteral("--fresh-only: nothing was printed")
                                   : error + QStringLiteral("; nothing was printed"));
            return refused ? exitFailed : exitUnshared;
        }
    }
    // The manifest is made whole beside the run and put in place with it.
    std::optional<OutputFile> manifest;
    if (manifestTarget) {
        manifest.emplace(*manifestTarget);
        error = manifest->open();
        if (error.isEmpty() && !writeManifest(manifest->device(), *texts, plan))
            error = manifest->failure();
        if (!error.isEmpty())
            return failed(error);
    }
    error = printRequest(*texts, request, plan, printer, target, report);
    if (!error.isEmpty()) {
        if (shared) {
            const QString unheard = shared->finish(false);
            if (!unheard.isEmpty())
                report.message(unheard);
        }
        return failed(error);
    }
    // The run is delivered: its log line and manifest follow it whatever comes,
    // a stop signal waiting until they are in place. A log another program
    // holds takes the line later, from its side file.
    QString logError;
    QString manifestError;
    QString sharedError;
    {
        const HeldStopSignals held;
        PrintLogEntry entry = logEntry(*texts, plan, logDocument(request), logPrinter(request),
                                       QDateTime::currentDateTime());
        entry.notShared = unshared;
        logError = log.append(entry, [] { return !stopAsked(); });
        if (manifest)
            manifestError = manifest->commit();
        if (shared)
            sharedError = shared->finish(true);
        else if (unshared)
            sharedError = SharedLogSession::keepForLater(entry, documentKey);
    }
    for (const QString &told : {logError, manifestError, sharedError}) {
        if (!told.isEmpty())
            report.message(told);
    }
    if (frontsAlone)
        report.message(QStringLiteral("%1 prints on one side: the fronts were printed. Turn the "
                                      "printed stack over, put it back in the paper tray and "
                                      "print the backs with --sides back (and --backs-reversed "
                                      "if the printer stacks its output face up)")
                           .arg(request.queue));
    if (const int signal = stopSignal())
        return exitStopped(signal);
    return manifestError.isEmpty() ? exitPrinted : exitFailed;
}
