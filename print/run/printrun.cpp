#include "run/printrun.h"

#include "labelshape.h"
#include "pagerenderer.h"
#include "pictures/picturedrawing.h"
#include "run/placements.h"
#include "run/printablearea.h"
#include "run/runheap.h"
#include "symbolprefetch.h"

#include <QPagedPaintDevice>
#include <QPainter>

namespace {

QString deviceFailure(const PrintSheets &sheets)
{
    return sheets.failure ? sheets.failure() : QString();
}

} // namespace

std::optional<PrintResult> beginSheets(QPainter &painter, const PrintSheets &sheets)
{
    if (sheets.device && painter.begin(sheets.device))
        return std::nullopt;
    PrintResult failed;
    failed.outcome = PrintOutcome::Failed;
    failed.error = deviceFailure(sheets);
    if (failed.error.isEmpty())
        failed.error = QStringLiteral("The printer could not start the job.");
    return failed;
}

PrintResult endSheets(QPainter &painter, const PrintSheets &sheets, PrintResult result)
{
    if (!result.error.isEmpty() && sheets.abort)
        sheets.abort();
    if (!painter.end() && result.error.isEmpty())
        result.error = QStringLiteral("The printer could not finish the job.");
    if (!result.error.isEmpty())
        result.outcome = PrintOutcome::Failed;
    return result;
}

PrintSheets pagedSheets(QPagedPaintDevice &device)
{
    PrintSheets sheets;
    sheets.device = &device;
    sheets.newSheet = [&device] {
        return device.newPage();
    };
    const DevicePaper paper = devicePaper(device.pageLayout());
    sheets.printableOrigin = paper.printableOrigin;
    sheets.paperSize = paper.size;
    sheets.setPaperSize = [&device](QSizeF size) {
        device.setPageLayout(
            QPageLayout(QPageSize(size, QPageSize::Point), QPageLayout::Portrait, QMarginsF()));
    };
    return sheets;
}

bool labelsNeedClip(const RunTexts &texts, const RunPlacements &placements,
                    std::int32_t dotsPerInch)
{
    const Document &doc = texts.document();
    const std::optional<QSizeF> label = placements.labelSize();
    if (!label)
        return false;
    const bool pictures =
        std::any_of(doc.objects.begin(), doc.objects.end(), [](const PageObject &object) {
            return object.picture && !object.picture->background;
        });
    return pictures ||
           !objectsOutside(texts, placements.plan(), dotsPerInch, QRectF(QPointF(0, 0), *label))
                .isEmpty();
}

QString firstCellError(const SheetLayout &layout, int firstCell)
{
    if (firstCell >= 1 && firstCell <= layout.cellCount())
        return {};
    return QStringLiteral("The first cell must be from 1 to %1").arg(layout.cellCount());
}

QString nothingToPrint(std::int32_t pagesToPrint)
{
    if (pagesToPrint >= 1)
        return {};
    return QStringLiteral("Nothing to print: Pages is %1").arg(pagesToPrint);
}

PrintResult printRun(const RunTexts &texts, std::int32_t printerResolution, bool docOpen,
                     const PrintSheets &sheets, const PrintPlan &plan,
                     const PrintProgress &progress)
{
    const Document &doc = texts.document();
    PrintResult result;
    if (texts.pages() < 1)
        return result;
    result.error = planError(plan, texts.pages());
    if (result.error.isEmpty() && doc.sheet)
        result.error = firstCellError(*doc.sheet, plan.firstCell);
    if (!result.error.isEmpty()) {
        result.outcome = PrintOutcome::Failed;
        return result;
    }
    const RunPlacements placements(doc, plan, {sheets.paperSize, sheets.printableOrigin});
    // A label's front and back count as they are drawn.
    const auto items =
        static_cast<std::int32_t>(placements.count() * placements.faceCount() /
                                  std::max<std::int64_t>(placements.sheetCount(), 1));
    // The device's painter origin: its printable area's corner until the run
    // sets a paper of its own, which has no margins.
    QPointF deviceOrigin = sheets.printableOrigin;
    QSizeF paperSet; // none yet
    const auto usePaperOf = [&](std::int64_t sheet) {
        const QSizeF paper = placements.paperOf(sheet);
        if (!placements.bringsPaper() || paper == paperSet || !sheets.setPaperSize)
            return;
        sheets.setPaperSize(paper);
        paperSet = paper;
        deviceOrigin = QPointF();
    };
    usePaperOf(1);

    QPainter painter;
    if (std::optional<PrintResult> failed = beginSheets(painter, sheets))
        return *failed;

    const std::int32_t scale = printerScale(printerResolution);
    // The run's own: nothing of it is shared with the screen.
    RenderCache cache;
    std::int64_t faceIndex = 1;
    // The heap the run grows is kept until it ends, and the barcodes of the
    // next page are encoded on a second core.
    const RunHeap heap;
    SymbolPrefetch symbols(texts);
    PaperSheet paper;
    paper.placePdfPage = sheets.placePdfPage ? &sheets.placePdfPage : nullptr;
    paper.symbols = &symbols;
    // A label is clipped to its cell only where something would reach the
    // next one: the clip costs a path on every label.
    const bool clipCells = labelsNeedClip(texts, placements, printerResolution);
    std::int32_t drawn = 0;
    // Draws one placement; false when the run ends there.
    const auto draw = [&](const Placement &placed) {
        if (progress && !progress(drawn + 1, items)) {
            result.outcome = PrintOutcome::Cancelled;
            return false;
        }
        if (!docOpen) {
            ++result.pagesDrawn;
            ++drawn;
            return true;
        }
        // Nothing unscannable is printed: the run stops before such a page.
        const QString unscannable = unscannableOn(texts, placed.page);
        if (!unscannable.isEmpty()) {
            result.outcome = PrintOutcome::Failed;
            result.refusedPage = placed.page;
            result.error = QStringLiteral("Cannot print ") + unscannable;
            return false;
        }
        // The page is drawn at its origin in whole dots through the drawing's
        // offset, the painter's transform left alone: changing it on every
        // label costs Qt's PDF engine more than the label does.
        const QTransform calibrated = calibrationTransform(
            placed.side == Side::Back ? plan.backCalibration : plan.calibration, printerResolution,
            deviceOrigin, paperSet.isValid() ? paperSet : sheets.paperSize);
        if (painter.transform() != calibrated)
            painter.setTransform(calibrated);
        paper.origin = ((placed.origin - deviceOrigin) * scale).toPoint();
        paper.paper = placed.cell.translated(-placed.origin);
        paper.side = placed.side;
        if (clipCells)
            painter.setClipRect(QRectF(paper.origin, placed.cell.size() * scale));
        if (plan.background) {
            const QRectF onDevice(paper.paper.topLeft() * scale + paper.origin,
                                  paper.paper.size() * scale);
            drawRunBackground(painter, cache, *plan.background, placed.page, onDevice,
                              paper.placePdfPage);
        }
        const std::int32_t counted = drawn + 1;
        const KeepDrawing keepDrawing =
            progress ? KeepDrawing([&progress, counted, items] { return progress(counted, items); })
                     : KeepDrawing();
        const bool stopped =
            renderPrintedPage(painter, cache, texts, placed.page, scale, paper, keepDrawing)
                .stopped;
        painter.setClipping(false);
        if (stopped) {
            result.outcome = PrintOutcome::Cancelled;
            return false;
        }
        ++result.pagesDrawn;
        ++drawn;
        return true;
    };
    const std::int64_t faces = placements.faceCount();
    QList<Placement> onFace =
        faces > 0 ? placements.onFace(placements.face(1)) : QList<Placement>();
    for (; faceIndex <= faces; ++faceIndex) {
        QList<Placement> onNextFace = faceIndex < faces
                                          ? placements.onFace(placements.face(faceIndex + 1))
                                          : QList<Placement>();
        bool ended = false;
        for (qsizetype k = 0; k < onFace.size() && !ended; ++k) {
            // The worker goes on to the page drawn after this one.
            const std::int32_t next = k + 1 < onFace.size()  ? onFace[k + 1].page
                                      : onNextFace.isEmpty() ? 0
                                                             : onNextFace.constFirst().page;
            symbols.startPage(onFace[k].page, next);
            ended = !draw(onFace[k]);
        }
        if (ended)
            break;
        onFace = std::move(onNextFace);
        result.error = deviceFailure(sheets);
        if (result.error.isEmpty() && faceIndex < faces && sheets.newSheet) {
            // The paper changes only where the background's pages differ.
            usePaperOf(placements.face(faceIndex + 1).sheet);
            if (!sheets.newSheet()) {
                result.error = deviceFailure(sheets);
                if (result.error.isEmpty())
                    result.error =
                        QStringLiteral("The printer could not start page %1.").arg(faceIndex + 1);
            }
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

QImage sheetImage(RenderCache &cache, const RunTexts &texts, const RunPlacements &placements,
                  std::int64_t faceIndex, std::int32_t dotsPerInch)
{
    const Face face = placements.face(faceIndex);
    const QSizeF paperSize = placements.paperOf(face.sheet);
    const qreal dotsPerPoint = dotsPerInch / 72.0;
    QImage image((paperSize * dotsPerPoint).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const PrintPlan &plan = placements.plan();
    painter.setTransform(
        calibrationTransform(face.side == Side::Back ? plan.backCalibration : plan.calibration,
                             dotsPerInch, QPointF(), paperSize));
    const std::int32_t scale = printerScale(dotsPerInch);
    // Where the labels are, as a guide: the paper shows no such line.
    if (const SheetLayout *layout = placements.sheetLayout()) {
        painter.setPen(QPen(QColor(200, 200, 200), 0));
        for (const QRectF &rect : placements.cellsOn(face))
            painter.drawPath(
                labelOutline(*layout, QRectF(rect.topLeft() * scale, rect.size() * scale)));
    }
    const bool labels = placements.labelSize().has_value();
    for (const Placement &placed : placements.onFace(face)) {
        // As the print run places it: at its origin, a label clipped to its cell.
        PaperSheet paper;
        paper.paper = placed.cell.translated(-placed.origin);
        paper.origin = (placed.origin * scale).toPoint();
        paper.side = placed.side;
        if (labels)
            painter.setClipRect(QRectF(placed.cell.topLeft() * scale, placed.cell.size() * scale));
        if (plan.background)
            drawRunBackground(painter, cache, *plan.background, placed.page,
                              QRectF(placed.cell.topLeft() * scale, placed.cell.size() * scale),
                              nullptr);
        renderPrintedPage(painter, cache, texts, placed.page, scale, paper);
        painter.setClipping(false);
    }
    return image;
}
