#include "printtool.h"

#include "documentfile.h"
#include "documentinput.h"
#include "outputtarget.h"
#include "printerjob.h"
#include "services.h"
#include "stopsignals.h"

#include <QPageLayout>
#include <QPrinter>

#include <optional>

namespace {

// Sends the model's message boxes to the report while it lives, naming the
// document, and counts them.
class MessageRoute
{
public:
    MessageRoute(const std::function<void(const QString &)> &message, const QString &document)
        : m_previous(services())
    {
        services().showMessage = [this, message, document](const QString &text, const QString &) {
            ++m_count;
            if (message)
                message(document + QStringLiteral(": ") + text);
        };
        services().beep = {};
    }
    ~MessageRoute() { services() = m_previous; }
    MessageRoute(const MessageRoute &) = delete;
    MessageRoute &operator=(const MessageRoute &) = delete;

    int count() const { return m_count; }

private:
    Services m_previous;
    int m_count = 0;
};

// The document with a table as large as it needs, up to the program's
// largest. A file the reader has anything to say about is not printed: a
// run from part of a design is waste.
std::optional<DocumentState> loadForPrinting(const QByteArray &bytes, const QString &name,
                                             const ToolReport &report)
{
    const std::optional<std::int32_t> claimed = storedObjectCount(bytes);
    if (claimed && *claimed > maxObjectCapacity) {
        report.message(QStringLiteral("%1 holds %2 objects; the program allows %3 at most")
                           .arg(name)
                           .arg(*claimed)
                           .arg(maxObjectCapacity));
        return std::nullopt;
    }
    DocumentState doc(claimed.value_or(0));
    const MessageRoute route(report.message, name);
    if (loadDocument(doc, bytes) != 0 || route.count() > 0)
        return std::nullopt;
    return doc;
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

// The document printed to the request's output; an error text when it was
// not.
QString printRequest(DocumentState &doc, const PrintRequest &request,
                     const std::optional<OutputTarget> &target, const ToolReport &report)
{
    QPrinter printer(QPrinter::HighResolution);
    QString error = choosePrinter(printer, request);
    if (!error.isEmpty())
        return error;
    RenderState state;
    state.printerResolution = printer.resolution();
    PrinterJob job(printer, target);
    error = job.open();
    if (!error.isEmpty())
        return error;
    const PrintResult result = printRun(doc, state, true, job.sheets(), report.progress);
    if (result.outcome == PrintOutcome::Cancelled)
        return QStringLiteral("Cancelled; nothing was printed");
    if (result.outcome == PrintOutcome::Failed)
        return result.error;
    error = job.deliver();
    if (error.isEmpty() && job.rewroteInPlace())
        report.message(QStringLiteral("%1: its folder is not writable; the file was rewritten "
                                      "in place")
                           .arg(request.output));
    return error;
}

} // namespace

int printDocument(const PrintRequest &request, const ToolReport &report)
{
    // Whatever else went wrong, a run a signal stopped ends as the signal says.
    const auto failed = [&report](const QString &error) {
        if (const int signal = stopSignal())
            return exitStopped(signal);
        report.message(error);
        return exitFailed;
    };

    const DocumentInput input = readDocument(request.document);
    if (!input.error.isEmpty())
        return failed(input.error);
    const QString name = documentName(request.document);
    std::optional<DocumentState> doc = loadForPrinting(input.bytes, name, report);
    if (!doc)
        return exitFailed;
    if (request.pages)
        doc->pagesToPrint = *request.pages;
    const QString nothing = nothingToPrint(doc->pagesToPrint);
    if (!nothing.isEmpty())
        return failed(name + QStringLiteral(": ") + nothing);

    std::optional<OutputTarget> target;
    if (!request.output.isEmpty()) {
        target = resolveOutput(request.output, input.identity);
        if (target->kind == OutputKind::Document) {
            report.message(target->refusal);
            return exitUsage;
        }
    }
    const QString error = printRequest(*doc, request, target, report);
    return error.isEmpty() ? exitPrinted : failed(error);
}
