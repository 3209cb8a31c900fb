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

// Draws the placements of a run's faces as the paper shows them: the one
// drawing of a placement, for the print run, its preview and the sheet
// image alike.
class PlacementPainter
{
public:
    PlacementPainter(QPainter &painter, RenderCache &cache, const RunTexts &texts,
                     const PrintPlan &plan, std::int32_t dotsPerInch, bool clipLabels)
        : m_painter(painter), m_cache(cache), m_texts(texts), m_plan(plan),
          m_dotsPerInch(dotsPerInch), m_scale(printerScale(dotsPerInch)), m_clipLabels(clipLabels)
    {
    }

    // Sets the face's calibration: the device's painter origin lies
    // `deviceOrigin` points from the corner of paper of `paper` points, and
    // a unit of the device is `deviceScale` of the run's dots.
    void beginFace(Side side, QPointF deviceOrigin, QSizeF paper, qreal deviceScale = 1)
    {
        m_deviceOrigin = deviceOrigin;
        const QTransform calibrated =
            calibrationTransform(side == Side::Back ? m_plan.backCalibration : m_plan.calibration,
                                 m_dotsPerInch, deviceOrigin, paper) *
            QTransform::fromScale(deviceScale, deviceScale);
        // Changing the transform costs Qt's PDF engine more than a label does:
        // it is set only where it differs.
        if (m_painter.transform() != calibrated)
            m_painter.setTransform(calibrated);
    }

    // Draws `placed`: its background, then its page's objects at its
    // origin in whole dots, a label clipped to its cell where asked.
    RenderReport draw(const Placement &placed, const PdfPagePlacer *placePdfPage,
                      SymbolPrefetch *symbols, const KeepDrawing &keepDrawing = {})
    {
        PaperSheet paper;
        paper.origin = ((placed.origin - m_deviceOrigin) * m_scale).toPoint();
        paper.paper = placed.cell.translated(-placed.origin);
        paper.side = placed.side;
        paper.placePdfPage = placePdfPage;
        paper.symbols = symbols;
        const QRectF cell((placed.cell.topLeft() - m_deviceOrigin) * m_scale,
                          placed.cell.size() * m_scale);
        if (m_clipLabels)
            m_painter.setClipRect(cell);
        if (m_plan.background)
            drawRunBackground(m_painter, m_cache, *m_plan.background, placed.page, cell,
                              placePdfPage);
        const RenderReport report = renderPrintedPage(m_painter, m_cache, m_texts, placed.page,
                                                      m_scale, paper, keepDrawing);
        if (m_clipLabels)
            m_painter.setClipping(false);
        return report;
    }

private:
    QPainter &m_painter;
    RenderCache &m_cache;
    const RunTexts &m_texts;
    const PrintPlan &m_plan;
    const std::int32_t m_dotsPerInch;
    const std::int32_t m_scale;
    const bool m_clipLabels;
    QPointF m_deviceOrigin;
};

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
    const bool faceDevices = static_cast<bool>(sheets.faceDevice);
    const RunPlacements placements(doc, plan, {sheets.paperSize, sheets.printableOrigin});
    // A label's front and back count as they are drawn.
    const auto items =
        static_cast<std::int32_t>(placements.count() * placements.faceCount() /
                                  std::max<std::int64_t>(placements.sheetCount(), 1));
    // The device's painter origin: its printable area's corner until the run
    // sets a paper of its own, which has no margins; a device of one face
    // has its origin at the paper's corner.
    QPointF deviceOrigin = faceDevices ? QPointF() : sheets.printableOrigin;
    QSizeF paperSet; // none yet
    const auto usePaperOf = [&](std::int64_t sheet) {
        const QSizeF paper = placements.paperOf(sheet);
        if (!placements.bringsPaper() || paper == paperSet || !sheets.setPaperSize)
            return;
        sheets.setPaperSize(paper);
        paperSet = paper;
        deviceOrigin = QPointF();
    };
    const auto paperOfFace = [&](std::int64_t sheet) {
        return faceDevices || paperSet.isValid() ? placements.paperOf(sheet) : sheets.paperSize;
    };

    QPainter painter;
    if (!faceDevices) {
        usePaperOf(1);
        if (std::optional<PrintResult> failed = beginSheets(painter, sheets))
            return *failed;
    }

    // The run's own: nothing of it is shared with the screen.
    RenderCache cache;
    std::int64_t faceIndex = 1;
    // The heap the run grows is kept until it ends, and the barcodes of the
    // next page are encoded on a second core.
    const RunHeap heap;
    SymbolPrefetch symbols(texts);
    // A label is clipped to its cell only where something would reach the
    // next one: the clip costs a path on every label.
    PlacementPainter placing(painter, cache, texts, plan, printerResolution,
                             labelsNeedClip(texts, placements, printerResolution));
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
        const std::int32_t counted = drawn + 1;
        const KeepDrawing keepDrawing =
            progress ? KeepDrawing([&progress, counted, items] { return progress(counted, items); })
                     : KeepDrawing();
        if (placing
                .draw(placed, sheets.placePdfPage ? &sheets.placePdfPage : nullptr, &symbols,
                      keepDrawing)
                .stopped) {
            result.outcome = PrintOutcome::Cancelled;
            return false;
        }
        ++result.pagesDrawn;
        ++drawn;
        return true;
    };
    // Starts face `index` on the device; false when the device failed.
    const auto startFace = [&](std::int64_t index) {
        const Face face = placements.face(index);
        if (faceDevices) {
            QPaintDevice *device = sheets.faceDevice(index, placements.paperOf(face.sheet));
            if (!device || !painter.begin(device)) {
                result.error = deviceFailure(sheets);
                return false;
            }
        } else if (index > 1) {
            // The paper changes only where the background's pages differ.
            usePaperOf(face.sheet);
            if (!sheets.newSheet || !sheets.newSheet()) {
                result.error = deviceFailure(sheets);
                if (result.error.isEmpty())
                    result.error =
                        QStringLiteral("The printer could not start page %1.").arg(index);
                return false;
            }
        }
        placing.beginFace(face.side, deviceOrigin, paperOfFace(face.sheet), sheets.deviceScale);
        return true;
    };
    const std::int64_t faces = placements.faceCount();
    QList<Placement> onFace =
        faces > 0 ? placements.onFace(placements.face(1)) : QList<Placement>();
    for (; faceIndex <= faces; ++faceIndex) {
        if (!startFace(faceIndex)) {
            if (result.error.isEmpty())
                result.error =
                    QStringLiteral("The printer could not start page %1.").arg(faceIndex);
            result.outcome = PrintOutcome::Failed;
            break;
        }
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
        if (faceDevices && painter.isActive() && !painter.end() && !ended)
            result.error = deviceFailure(sheets);
        if (ended)
            break;
        onFace = std::move(onNextFace);
        if (result.error.isEmpty())
            result.error = deviceFailure(sheets);
        if (!result.error.isEmpty()) {
            result.outcome = PrintOutcome::Failed;
            break;
        }
    }
    if (result.outcome != PrintOutcome::Printed && sheets.abort)
        sheets.abort();
    const bool ended = !painter.isActive() || painter.end();
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
    PlacementPainter placing(painter, cache, texts, placements.plan(), dotsPerInch,
                             placements.labelSize().has_value());
    placing.beginFace(face.side, QPointF(), paperSize);
    const std::int32_t scale = printerScale(dotsPerInch);
    // Where the labels are, as a guide: the paper shows no such line.
    if (const SheetLayout *layout = placements.sheetLayout()) {
        painter.setPen(QPen(QColor(200, 200, 200), 0));
        for (const QRectF &rect : placements.cellsOn(face))
            painter.drawPath(
                labelOutline(*layout, QRectF(rect.topLeft() * scale, rect.size() * scale)));
    }
    for (const Placement &placed : placements.onFace(face))
        placing.draw(placed, nullptr, nullptr);
    return image;
}
