#include "printtool.h"

#include "documentinput.h"
#include "outputs/printer.h"
#include "outputs/printqueueoutput.h"
#include "run/runsession.h"
#include "sheetoptions.h"
#include "stopsignals.h"
#include "toolanswers.h"

#include <QPrinter>

#include <optional>

namespace {

// Why the request cannot be printed of `doc`, named `name`, as it stands;
// empty when it can.
QString requestError(const Document &doc, const QString &name, const PrintRequest &request)
{
    const bool dataFile = doc.data || !request.dataFile.isEmpty();
    if (request.quantityColumn && !dataFile)
        return QStringLiteral("--quantity-column needs a data file (--data)");
    if (request.pages && dataFile)
        return QStringLiteral("--pages: a run from a data file prints the pages its rows ask for");
    const QString about = name + QStringLiteral(": ");
    if (request.firstCell != 1 && !doc.sheet)
        return about + QStringLiteral("--first-cell needs a sheet of labels (--sheet)");
    if (request.sides != PrintedSides::Both && doc.duplex == Duplex::Off)
        return about + QStringLiteral("--sides front or back needs a two-sided document "
                                      "(--duplex long or short)");
    if (request.backsReversed && request.sides != PrintedSides::Back)
        return about + QStringLiteral("--backs-reversed is for the pass that prints the backs "
                                      "(--sides back)");
    return {};
}

// Where the request sends the run, on `printer`'s paper; an error text, and
// whether it is a usage error, when it cannot go there.
std::optional<RunDestination> requestDestination(const PrintRequest &request,
                                                 const DocumentInput &input, QPrinter &printer,
                                                 QString &error, bool &usage)
{
    usage = false;
    if (!request.queue.isEmpty()) {
        printer.setPrinterName(request.queue);
        if (printer.outputFormat() != QPrinter::NativeFormat ||
            printer.printerName() != request.queue) {
            error = QStringLiteral("There is no print queue named %1").arg(request.queue);
            return std::nullopt;
        }
        preparePrinter(printer);
        return RunDestination{std::make_unique<PrintQueueOutput>(printer), printer.pageLayout(),
                              calibrationName(printer)};
    }
    // The paper of the default printer, as the program's page shows it.
    const QPageLayout layout = printer.pageLayout();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageLayout(layout);
    Outcome<std::unique_ptr<RunOutput>> output =
        fileOutput(request.output, {request.dotsPerInch, input.identity});
    usage = !output;
    if (!output) {
        error = output.error;
        return std::nullopt;
    }
    return RunDestination{std::move(*output), layout, calibrationName(printer)};
}

// The manifest's target; an error text when it cannot be one.
std::optional<OutputTarget> manifestTarget(const PrintRequest &request, const DocumentInput &input,
                                           QString &error)
{
    const OutputTarget manifest = resolveOutput(request.manifest, input.identity);
    if (manifest.kind == OutputKind::Document)
        error = manifest.refusal;
    else if (!request.output.isEmpty() && manifest.kind != OutputKind::Refused &&
             sameFile(manifest, resolveOutput(request.output, input.identity)))
        error = QStringLiteral("%1: the manifest and the run cannot go to one file")
                    .arg(request.manifest);
    return error.isEmpty() ? std::optional(manifest) : std::nullopt;
}

// How the tool ends a run that ended so.
int exitStatus(const RunResult &result, const PrintRequest &request, const ToolReport &report)
{
    // Whatever else went wrong, a run a signal stopped ends as the signal says.
    const int signal = stopSignal();
    const QString name = documentName(request.document);
    switch (result.ending) {
    case RunResult::Ending::Printed:
        if (result.frontsAlone)
            report.message(QStringLiteral("%1 prints on one side: the fronts were printed. Turn "
                                          "the printed stack over, put it back in the paper tray "
                                          "and print the backs with --sides back (and "
                                          "--backs-reversed if the printer stacks its output "
                                          "face up)")
                               .arg(request.queue));
        return signal                                                        ? exitStopped(signal)
               : result.manifestError.isEmpty() && result.logError.isEmpty() ? exitPrinted
                                                                             : exitFailed;
    case RunResult::Ending::Declined:
        return exitFailed;
    case RunResult::Ending::Unusable:
        report.message(name + QStringLiteral(": ") + result.error);
        return exitUsage;
    case RunResult::Ending::Unshared:
        if (!result.error.isEmpty())
            report.message(result.error);
        return exitUnshared;
    case RunResult::Ending::Cancelled:
    case RunResult::Ending::Failed:
        break;
    }
    if (signal)
        return exitStopped(signal);
    // The document's fault is told with its name, as the output's is with its.
    report.message(result.ending == RunResult::Ending::Cancelled
                       ? QStringLiteral("Cancelled; nothing was printed")
                   : result.documentFault ? name + QStringLiteral(": ") + result.error
                                          : result.error);
    return exitFailed;
}

} // namespace

int printDocument(const PrintRequest &request, const ToolReport &report)
{
    ToolAnswers answers(request, report);
    RunSession session(answers);
    // The shared log connects while the run gets ready.
    const QString uri = request.sharedLog.isEmpty() ? qEnvironmentVariable("PAGINETTE_SHARED_LOG")
                                                    : request.sharedLog;
    if (uri.isEmpty() && request.continuing) {
        report.message(QStringLiteral("--continue needs a shared print log (--shared-log)"));
        return exitUsage;
    }
    if (!uri.isEmpty()) {
        const Outcome<SharedLogAddress> address = parseSharedLogUri(uri);
        if (!address) {
            report.message(QStringLiteral("--shared-log: ") + address.error);
            return exitUsage;
        }
        session.useSharedLog(*address, request.continuing);
    }

    const DocumentInput input = readDocumentInput(request.document);
    const int signal = stopSignal();
    if (!input.error.isEmpty())
        return signal ? exitStopped(signal) : (report.message(input.error), exitFailed);
    const QString name = documentName(request.document);
    std::optional<Document> doc = documentToPrint(input.bytes, name, report.message);
    if (!doc)
        return exitFailed;
    if (request.pages)
        doc->pagesToPrint = *request.pages;
    const QString nothing = nothingToPrint(doc->pagesToPrint);
    if (!nothing.isEmpty() && !doc->data && request.dataFile.isEmpty()) {
        report.message(name + QStringLiteral(": ") + nothing);
        return exitFailed;
    }
    if (!request.sheet.isEmpty()) {
        const int sheet = useSheet(request, *doc, report.message);
        if (sheet != exitPrinted)
            return sheet;
    }
    if (request.duplex)
        doc->duplex = *request.duplex;
    const QString wrong = requestError(*doc, name, request);
    if (!wrong.isEmpty()) {
        report.message(wrong);
        return exitUsage;
    }
    session.setDocument(std::move(*doc), request.document);
    // The document is as the run prints it: its data are read once, now.
    const QString unread = session.readData(request.date.value_or(QDateTime::currentDateTime()),
                                            {request.dataFile, request.quantityColumn});
    if (!unread.isEmpty()) {
        if (const int stopped = stopSignal())
            return exitStopped(stopped);
        report.message(unread + QStringLiteral("; nothing was printed"));
        return exitUsage;
    }
    // What the file was read with other than as asked: the run goes on.
    if (const DataTable *table = session.data().table()) {
        for (const QString &warning : table->warnings)
            report.message(warning);
    }

    QPrinter printer(QPrinter::HighResolution);
    QString error;
    bool usage = false;
    std::optional<RunDestination> destination =
        requestDestination(request, input, printer, error, usage);
    if (!destination) {
        report.message(error);
        return usage ? exitUsage : exitFailed;
    }
    if (!request.manifest.isEmpty()) {
        const std::optional<OutputTarget> manifest = manifestTarget(request, input, error);
        if (!manifest) {
            report.message(error);
            return exitUsage;
        }
        session.setManifest(*manifest);
    }
    session.setPlan(runPlan(request, session.pages(), destination->calibrationName));
    session.setBackground(request.background);
    session.setDestination(std::move(*destination));
    return exitStatus(session.run(), request, report);
}
