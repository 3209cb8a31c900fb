#include "outputs/printer.h"

#include "run/calibration.h"
#include "run/placements.h"

#include <QPrinter>

QString runTitle()
{
    return QStringLiteral("Paginette 2.0");
}

void preparePrinter(QPrinter &printer)
{
    printer.setResolution(printerDotsPerInch);
    printer.setDocName(runTitle());
}

Bounds32 printableExtent(const QPrinter &printer)
{
    const QRect area = printer.pageLayout().paintRectPixels(printerDotsPerInch);
    return {0, 0, area.width(), area.height()};
}

QRectF paperAroundPage(const QPrinter &printer)
{
    const DevicePaper paper = devicePaper(printer.pageLayout());
    return QRectF(-paper.printableOrigin, paper.size);
}

bool printsToFile(const QPrinter &printer)
{
    // A printer keeps a file name offered in the print dialog while a queue
    // is chosen; the output format tells which of them takes the run.
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

QString calibrationName(const QPrinter &printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return pdfOutputName();
    // The instances of a queue print on the same paper path.
    return printer.printerName().section(QLatin1Char('/'), 0, 0);
}

PrintPlan printerPlan(const QPrinter &printer, std::int32_t pages)
{
    PrintPlan plan = wholeRun(pages);
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        plan.first = printer.fromPage();
        plan.last = printer.toPage();
    }
    plan.copies = printer.copyCount();
    plan.collate = printer.collateCopies();
    plan.lastPageFirst = printer.pageOrder() == QPrinter::LastPageFirst;
    return plan;
}
