#include "printtool.h"

#include "documentfile.h"
#include "printerjob.h"

#include <QPageLayout>
#include <QPrinter>

#include <optional>

namespace {

// The document with a table as large as it needs, up to the program's
// largest. A file the reader has anything to say about is not printed: a
// run from part of a design is waste.
std::optional<Document> loadForPrinting(const QString &path, const ToolReport &report)
{
    const LoadResult loaded = loadDocument(path, maxObjectCapacity);
    if (loaded.storedObjects > maxObjectCapacity) {
        report.message(QStringLiteral("%1 holds %2 objects; the program allows %3 at most")
                           .arg(path)
                           .arg(loaded.storedObjects)
                           .arg(maxObjectCapacity));
        return std::nullopt;
    }
    for (const FileMessage &message : loaded.messages)
        report.message(QStringLiteral("%1: %2").arg(path, message.detail));
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
        printer.setOutputFileName(request.output);
    }
    preparePrinter(printer);
    return {};
}

} // namespace

int printDocument(const PrintRequest &request, const ToolReport &report)
{
    std::optional<Document> doc = loadForPrinting(request.document, report);
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
        PrinterJob job(printer);
        error = job.open();
        if (error.isEmpty()) {
            const PrintResult result =
                printRun(*doc, printer.resolution(), true, job.sheets(), report.progress);
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
