#include "printrun.h"

#include "labelshape.h"
#include "pagerenderer.h"
#include "picturedrawing.h"
#include "printablearea.h"
#include "runheap.h"
#include "symbolprefetch.h"

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
    const QPageLayout layout = device.pageLayout();
    sheets.printableOrigin = layout.paintRect(QPageLayout::Point).topLeft();
    sheets.paperSize = layout.fullRect(QPageLayout::Point).size();
    sheets.setPaperSize = [&device](QSizeF size) {
        device.setPageLayout(
            QPageLayout(QPageSize(size, QPageSize::Point), QPageLayout::Portrait, QMarginsF()));
    };
    return sheets;
}

QSizeF backgroundPaper(const PrintPlan &plan, std::int64_t sheet)
{
    return plan.background ? plan.background->paperFor(pageOnSheet(plan, sheet)) : QSizeF();
}

bool labelsNeedClip(const Document &doc, const PrintPlan &plan, std::int32_t dotsPerInch)
{
    const bool pictures =
        std::any_of(doc.objects.begin(), doc.objects.end(), [](const PageObject &object) {
            return object.picture && !object.picture->background;
        });
    return pictures ||
           !objectsOutside(doc, plan, dotsPerInch, QRectF(QPointF(0, 0), doc.sheet->label))
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

PrintResult printRun(const Document &doc, std::int32_t printerResolution, bool docOpen,
                     const PrintSheets &sheets, const PrintPlan &plan,
                     const PrintProgress &progress)
{
    PrintResult result;
    if (doc.pagesToPrint < 1)
        return result;
    result.error = planError(plan, doc.pagesToPrint);
    if (result.error.isEmpty() && doc.sheet)
        result.error = firstCellError(*doc.sheet, plan.firstCell);
    if (!result.error.isEmpty()) {
        result.outcome = PrintOutcome::Failed;
        return result;
    }
    const auto items = static_cast<std::int32_t>(sheetCount(plan));
    const std::optional<SheetLayout> &labels = doc.sheet;
    const std::int64_t paperSheets = labels ? sheetsFor(*labels, plan.firstCell, items) : items;
    // A sheet of labels is the maker's paper, measured from its corner.
    if (labels && sheets.setPaperSize)
        sheets.setPaperSize(labels->paper);

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
    const QTransform calibrated = calibrationTransform(plan.calibration, printerResolution,
                                                       labels ? QPointF() : sheets.printableOrigin);
    std::int32_t sheet = 1;
    const PdfPagePlacer placePdfPage = [&](const QString &id, std::int32_t page) {
        return sheets.placePdfPage(sheet, id, page);
    };
    // The heap the run grows is kept until it ends, and the barcodes of the
    // next page are encoded on a second core.
    const RunHeap heap;
    SymbolPrefetch symbols(texts);
    PaperSheet paper;
    paper.placePdfPage = sheets.placePdfPage ? &placePdfPage : nullptr;
    paper.symbols = &symbols;
    // A label is clipped to its cell only where something would reach the
    // next one: the clip costs a path on every label.
    const bool clipLabels = labels && labelsNeedClip(doc, plan, printerResolution);
    std::int32_t item = 0;
    // Draws item `item` of the plan (a page, or a label in `cell`); false
    // when the run ends there.
    const auto drawItem = [&](const QRectF &cell) {
        if (progress && !progress(item, items)) {
            result.outcome = PrintOutcome::Cancelled;
            return false;
        }
        if (!docOpen) {
            ++result.pagesDrawn;
            return true;
        }
        const std::int32_t page = pageOnSheet(plan, item);
        // Nothing unscannable is printed: the run stops before such a page.
        const QString unscannable = unscannableOn(texts, page);
        if (!unscannable.isEmpty()) {
            result.outcome = PrintOutcome::Failed;
            result.refusedPage = page;
            result.error = QStringLiteral("Cannot print ") + unscannable;
            return false;
        }
        // A label is drawn at its cell's corner, in whole dots, with the
        // painter's transform left alone: changing it on every label costs
        // Qt's PDF engine more than the label does.
        if (painter.transform() != calibrated)
            painter.setTransform(calibrated);
        if (labels) {
            paper.origin = (cell.topLeft() * scale).toPoint();
            if (clipLabels)
                painter.setClipRect(QRectF(paper.origin, cell.size() * scale));
            paper.paper = QRectF(QPointF(0, 0), cell.size());
        }
        if (plan.background) {
            const QRectF onDevice(paper.paper.topLeft() * scale + paper.origin,
                                  paper.paper.size() * scale);
            drawRunBackground(painter, cache, *plan.background, page, onDevice, paper.placePdfPage);
        }
        const KeepDrawing keepDrawing =
            progress ? KeepDrawing([&progress, item, items] { return progress(item, items); })
                     : KeepDrawing();
        const bool stopped =
            renderPrintedPage(painter, cache, texts, page, scale, paper, keepDrawing).stopped;
        painter.setClipping(false);
        if (stopped) {
            result.outcome = PrintOutcome::Cancelled;
            return false;
        }
        ++result.pagesDrawn;
        return true;
    };
    // The items of paper sheet `on`, each with its cell on a sheet of labels.
    const auto itemsOn = [&](std::int64_t on) {
        std::vector<std::pair<int, std::int32_t>> found;
        if (!labels) {
            if (on <= items)
                found.emplace_back(-1, static_cast<std::int32_t>(on));
            return found;
        }
        for (int cell = 0; cell < labels->cellCount(); ++cell) {
            if (const auto label = labelInCell(*labels, plan.firstCell, on - 1, cell, items))
                found.emplace_back(cell, static_cast<std::int32_t>(*label + 1));
        }
        return found;
    };
    std::vector<std::pair<int, std::int32_t>> onSheet = itemsOn(1);
    for (; sheet <= paperSheets; ++sheet) {
        if (!labels) {
            const QSizeF backgroundSize = backgroundPaper(plan, sheet);
            const QPointF origin = backgroundSize.isEmpty() ? sheets.printableOrigin : QPointF();
            paper.paper =
                QRectF(-origin, backgroundSize.isEmpty() ? sheets.paperSize : backgroundSize);
        }
        std::vector<std::pair<int, std::int32_t>> onNextSheet = itemsOn(sheet + 1);
        bool ended = false;
        for (std::size_t k = 0; k < onSheet.size() && !ended; ++k) {
            item = onSheet[k].second;
            // The worker goes on to the page drawn after this one.
            const std::int32_t next = k + 1 < onSheet.size() ? onSheet[k + 1].second
                                      : onNextSheet.empty()  ? 0
                                                             : onNextSheet.front().second;
            symbols.startPage(pageOnSheet(plan, item), next ? pageOnSheet(plan, next) : 0);
            ended = !drawItem(labels ? labels->cellRect(onSheet[k].first) : QRectF());
        }
        if (ended)
            break;
        onSheet = std::move(onNextSheet);
        result.error = deviceFailure(sheets);
        if (result.error.isEmpty() && sheet < paperSheets && sheets.newSheet) {
            // The paper changes only where the background's pages differ.
            const QSizeF next = labels ? QSizeF() : backgroundPaper(plan, sheet + 1);
            if (!next.isEmpty() && next != backgroundPaper(plan, sheet) && sheets.setPaperSize)
                sheets.setPaperSize(next);
            if (!sheets.newSheet()) {
                result.error = deviceFailure(sheets);
                if (result.error.isEmpty())
                    result.error =
                        QStringLiteral("The printer could not start page %1.").arg(sheet + 1);
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
    renderPrintedPage(painter, cache, texts, page, printerScale(dotsPerInch),
                      PaperSheet{QRectF(-printableOrigin, paperSize)});
    return sheet;
}

QImage labelSheetImage(RenderCache &cache, const RunTexts &texts, const PrintPlan &plan,
                       std::int64_t sheet, std::int32_t dotsPerInch)
{
    const Document &doc = texts.document();
    if (!doc.sheet)
        return {};
    const SheetLayout &layout = *doc.sheet;
    const qreal dotsPerPoint = dotsPerInch / 72.0;
    QImage paper((layout.paper * dotsPerPoint).toSize(), QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter painter(&paper);
    const QTransform calibrated = calibrationTransform(plan.calibration, dotsPerInch, QPointF());
    const std::int32_t scale = printerScale(dotsPerInch);
    const auto labels = static_cast<std::int32_t>(sheetCount(plan));
    painter.setTransform(calibrated);
    for (int cell = 0; cell < layout.cellCount(); ++cell) {
        const QRectF rect = layout.cellRect(cell);
        // Where the labels are, as a guide: the paper shows no such line.
        painter.setPen(QPen(QColor(200, 200, 200), 0));
        painter.drawPath(labelOutline(layout, QRectF(rect.topLeft() * scale, rect.size() * scale)));
        const std::optional<std::int64_t> label =
            labelInCell(layout, plan.firstCell, sheet - 1, cell, labels);
        if (!label)
            continue;
        // As the print run places it: at its cell's corner, clipped to it.
        PaperSheet cellSheet;
        cellSheet.paper = QRectF(QPointF(0, 0), rect.size());
        cellSheet.origin = (rect.topLeft() * scale).toPoint();
        painter.setClipRect(QRectF(cellSheet.origin, rect.size() * scale));
        renderPrintedPage(painter, cache, texts, pageOnSheet(plan, *label + 1), scale, cellSheet);
        painter.setClipping(false);
    }
    return paper;
}
