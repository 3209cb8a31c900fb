#include "printrun.h"

#include "pagerenderer.h"

#include <QPagedPaintDevice>
#include <QPainter>

namespace {

QString deviceFailure(const PrintSheets &sheets)
{
    return sheets.failure ? sheets.failure() : QString();
}

} // namespace

PrintSheets pagedSheets(QPagedPaintDevice &device)
{
    PrintSheets sheets;
    sheets.device = &device;
    sheets.newSheet = [&device] {
        return device.newPage();
    };
    sheets.printableOrigin = device.pageLayout().paintRect(QPageLayout::Point).topLeft();
    return sheets;
}

QString nothingToPrint(std::int32_t pagesToPrint)
{
    if (pagesToPrint >= 1)
        return {};
    return QStringLiteral("Nothing to print: Pages is %1").arg(pagesToPrint);
}

PrintResult printRun(const Document &doc, std::int32_t printerResolution, bool docOpen,
                     const PrintSheets &sheets, const PrintPlan &plan,
                     const PrintProgress &progress)
{
    PrintResult result;
    if (doc.pagesToPrint < 1)
        return result;
    result.error = planError(plan, doc.pagesToPrint);
    if (!result.error.isEmpty()) {
        result.outcome = PrintOutcome::Failed;
        return result;
    }
    const auto sheetsToDraw = static_cast<std::int32_t>(sheetCount(plan));

    QPainter painter;
    if (!sheets.device || !painter.begin(sheets.device)) {
        result.outcome = PrintOutcome::Failed;
        result.error = deviceFailure(sheets);
        if (result.error.isEmpty())
            result.error = QStringLiteral("The printer could not start the job.");
        return result;
    }

    const std::int32_t scale = printerScale(printerResolution);
    const RunTexts texts(doc);
    // The run's own: nothing of it is shared with the screen.
    RenderCache cache;
    const QTransform calibrated =
        calibrationTransform(plan.calibration, printerResolution, sheets.printableOrigin);
    for (std::int32_t sheet = 1; sheet <= sheetsToDraw; ++sheet) {
        if (progress && !progress(sheet, sheetsToDraw)) {
            result.outcome = PrintOutcome::Cancelled;
            break;
        }
        if (docOpen) {
            const std::int32_t page = pageOnSheet(plan, sheet);
            // Nothing unscannable is printed: the run stops before such a page.
            const QString unscannable = unscannableOn(texts, page);
            if (!unscannable.isEmpty()) {
                result.outcome = PrintOutcome::Failed;
                result.refusedPage = page;
                result.error = QStringLiteral("Cannot print ") + unscannable;
                break;
            }
            painter.setTransform(calibrated);
            const KeepDrawing keepDrawing = [&progress, sheet, sheetsToDraw] {
                return !progress || progress(sheet, sheetsToDraw);
            };
            if (renderPrintedPage(painter, cache, texts, page, scale, keepDrawing).stopped) {
                result.outcome = PrintOutcome::Cancelled;
                break;
            }
        }
        ++result.pagesDrawn;
        result.error = deviceFailure(sheets);
        if (result.error.isEmpty() && sheet < sheetsToDraw && sheets.newSheet &&
            !sheets.newSheet()) {
            result.error = deviceFailure(sheets);
            if (result.error.isEmpty())
                result.error =
                    QStringLiteral("The printer could not start page %1.").arg(sheet + 1);
        }
        if (!result.error.isEmpty()) {
            result.outcome = PrintOutcome::Failed;
            break;
        }
    }
    if (result.outcome != PrintOutcome::Printed && sheets.abort)
        sheets.abort();
    const bool ended = painter.end();
    if (!ended && result.outcome == PrintOutcome::Printed) {
        result.outcome = PrintOutcome::Failed;
        result.error = deviceFailure(sheets);
        if (result.error.isEmpty())
            result.error = QStringLiteral("The printer could not finish the job.");
    }
    return result;
}

QImage paperImage(RenderCache &cache, const RunTexts &texts, std::int32_t page,
                  const Calibration &calibration, QSizeF paperSize, QPointF printableOrigin,
                  std::int32_t dotsPerInch)
{
    const qreal dotsPerPoint = dotsPerInch / 72.0;
    QImage sheet((paperSize * dotsPerPoint).toSize(), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.translate(printableOrigin * dotsPerPoint);
    painter.setTransform(calibrationTransform(calibration, dotsPerInch, printableOrigin), true);
    renderPrintedPage(painter, cache, texts, page, printerScale(dotsPerInch));
    return sheet;
}
