#include "printtool.h"

#include "documentfile.h"
#include "printerjob.h"
#include "services.h"

#include <QPageLayout>
#include <QPrinter>

#include <optional>

namespace {

// Sends the model's message boxes to the report while it lives, and counts them.
class MessageRoute
{
public:
    explicit MessageRoute(const std::function<void(const QString &)> &message)
        : m_previous(services())
    {
        services().showMessage = [this, message](const QString &text, const QString &) {
            ++m_count;
            if (message)
                message(text);
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
std::optional<DocumentState> loadForPrinting(const QString &path, const ToolReport &report)
{
    const std::optional<std::int32_t> claimed = storedObjectCount(path);
    if (claimed && *claimed > maxObjectCapacity) {
        report.message(QStringLiteral("%1 holds %2 objects; the program allows %3 at most")
                           .arg(path)
                           .arg(*claimed)
                           .arg(maxObjectCapacity));
        return std::nullopt;
    }
    DocumentState doc(claimed.value_or(0));
    const MessageRoute route(report.message);
    if (loadDocument(doc, path) != 0 || route.count() > 0)
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
        printer.setOutputFileName(request.output);
    }
    preparePrinter(printer);
    return {};
}

} // namespace

int printDocument(const PrintRequest &request, const ToolReport &report)
{
    std::optional<DocumentState> doc = loadForPrinting(request.document, report);
    if (!doc)
        return exitFailed;
    if (request.pages)
        doc->pagesToPrint = *request.pages;
    const QString nothing = nothingToPrint(doc->pagesToPrint);
    if (!nothing.isEmpty()) {
        report.message(nothing);
        return exitFailed;
    }

    QPrinter printer(QPrinter::HighResolution);
    QString error = choosePrinter(printer, request);
    if (error.isEmpty()) {
        RenderState state;
        state.printerResolution = printer.resolution();
        PrinterJob job(printer);
        error = job.open();
        if (error.isEmpty()) {
            const PrintResult result = printRun(*doc, state, true, job.sheets(), report.progress);
            if (result.outcome == PrintOutcome::Printed)
                error = job.deliver();
            else if (result.outcome == PrintOutcome::Cancelled)
                error = QStringLiteral("Cancelled; nothing was printed");
            else
                error = result.error;
        }
    }
    if (!error.isEmpty()) {
        report.message(error);
        return exitFailed;
    }
    return exitPrinted;
}
