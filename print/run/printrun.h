#pragma once

#include "document.h"
#include "numbering.h"
#include "pictures/picturedrawing.h"
#include "rendercache.h"
#include "run/printplan.h"

#include <QImage>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class RunPlacements;

// The paged device a print run draws on: a printer, a PDF writer, a preview.
struct PrintSheets
{
    QPaintDevice *device = nullptr;
    // Ends the current sheet and starts the next; false when the device failed.
    std::function<bool()> newSheet;
    // The device's own report of a failure, empty while it is sound.
    std::function<QString()> failure;
    // Called while the job is still open when the run is cancelled or fails,
    // so that the device can drop what it was given.
    std::function<void()> abort;
    // Where the device's painter origin lies on the paper, in points: the
    // corner of the printable area, about which a calibration does not turn.
    QPointF printableOrigin;
    // The paper, in points; empty where the device does not say.
    QSizeF paperSize;
    // Sets the paper of the sheets after the one drawn, in points, with no
    // margins; where it is none, a run background that changes the paper
    // from sheet to sheet keeps the first.
    std::function<void(QSizeF)> setPaperSize;
    // Gives the stand-in for a PDF page of the run's pictures, or a JPEG, for
    // a PDF that carries the picture as it is where the stand-in is drawn;
    // where it is none, PDF pages are drawn as images.
    PdfPagePlacer placePdfPage;
    // The device's units to one of the run's dots: a PNG page at 300 dpi
    // under a run drawn at 360 takes 300/360.
    qreal deviceScale = 1;
    // For an output that is a file a face (PNG or SVG pages): the device
    // face `face` (from 1) of paper `paper` points is drawn on, its origin at
    // the paper's corner. The painter then ends after each face and begins
    // on the next face's device; `device` and `newSheet` are not used.
    std::function<QPaintDevice *(std::int64_t face, QSizeF paper)> faceDevice;
};

// Sheets of a PDF writer or of any other paged device that needs nothing more.
PrintSheets pagedSheets(QPagedPaintDevice &device);

// Told before each sheet is drawn (sheet i of the run's n), and again about
// ten times a second while a sheet takes long; returning false cancels the
// run, within the sheet.
using PrintProgress = std::function<bool(std::int32_t page, std::int32_t pages)>;

enum class PrintOutcome
{
    Printed,
    Cancelled,
    Failed,
};

struct PrintResult
{
    PrintOutcome outcome = PrintOutcome::Printed;
    std::int32_t pagesDrawn = 0; // sheets, copies counted
    QString error;               // why a failed run stopped
    // The page the run stopped before because of what the document holds
    // there (a barcode its symbology refuses); 0 when it did not.
    std::int32_t refusedPage = 0;
};

// Whether the labels of a run on a sheet of labels must be clipped to their
// cells: some object may reach beyond its label. False for pages.
bool labelsNeedClip(const RunTexts &texts, const RunPlacements &placements,
                    std::int32_t dotsPerInch);
// Why a run cannot start at cell `firstCell` of `layout`, or empty.
QString firstCellError(const SheetLayout &layout, int firstCell);

// The message of a run that would print no page, or an empty text when
// there is something to print.
QString nothingToPrint(std::int32_t pagesToPrint);

// Begins `painter` on the device of `sheets`; the failed run's result when
// the device cannot start the job.
std::optional<PrintResult> beginSheets(QPainter &painter, const PrintSheets &sheets);
// Ends `painter`'s job on the device of `sheets` with what `result` drew: a
// job that failed is dropped by the device and its result says why.
PrintResult endSheets(QPainter &painter, const PrintSheets &sheets, PrintResult result);

// Draws the sheets of `plan` in its order, each page's objects with their
// texts for that page of the whole run of `texts` (texts.pages() pages: a
// data run's quantities' sum, else the document's Pages), at scale
// printerResolution div 72, under the plan's calibration; a new sheet
// separates two sheets. The painter is begun and ended here. Without an
// open document the sheets stay blank. With fewer than one page to print the
// device is not touched; nor is it for a plan that does not fit the run,
// which fails.
PrintResult printRun(const RunTexts &texts, std::int32_t printerResolution, bool docOpen,
                     const PrintSheets &sheets, const PrintPlan &plan,
                     const PrintProgress &progress = {});
// The same for a run of the document's Pages, without data.
inline PrintResult printRun(const Document &doc, std::int32_t printerResolution, bool docOpen,
                            const PrintSheets &sheets, const PrintPlan &plan,
                            const PrintProgress &progress = {})
{
    return printRun(RunTexts(doc), printerResolution, docOpen, sheets, plan, progress);
}
// Pages 1 to doc.pagesToPrint, once each, uncalibrated.
inline PrintResult printRun(const Document &doc, std::int32_t printerResolution, bool docOpen,
                            const PrintSheets &sheets, const PrintProgress &progress = {})
{
    return printRun(doc, printerResolution, docOpen, sheets, wholeRun(doc.pagesToPrint), progress);
}

// Face `face` (from 1: a sheet's front, then its back where the run prints
// both) of a run as it comes out on paper at `dotsPerInch` (a multiple of
// 72): each placement drawn as the print run draws it, under its side's
// calibration, and on a sheet of labels the cells' outlines in light grey as
// a guide. What a preview shows.
QImage sheetImage(RenderCache &cache, const RunTexts &texts, const RunPlacements &placements,
                  std::int64_t face, std::int32_t dotsPerInch);
