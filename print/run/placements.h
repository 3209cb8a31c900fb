#pragma once

#include "document.h"
#include "run/printplan.h"

#include <QList>
#include <QPageLayout>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <cstdint>
#include <optional>

// One page or label of a run put on paper.
struct Placement
{
    // The paper sheet, counted from 1 in the order the run prints them.
    std::int64_t sheet = 1;
    Side side = Side::Front;
    // Where it lies on its paper, in points from the paper's corner: a
    // label's cell, or the whole sheet for a page.
    QRectF cell;
    // Where the page's origin lies, likewise: a label's corner, or the
    // corner of the printable area, where the screen shows the page's.
    QPointF origin;
    // The page of the document's run (on labels, the label) whose values it shows.
    std::int32_t page = 1;
    // Counted from 1: the n-th time the run prints this page.
    int copy = 1;

    bool operator==(const Placement &) const = default;
};

// One side of one paper sheet: a page of the device the run goes to.
struct Face
{
    std::int64_t sheet = 1;
    Side side = Side::Front;

    bool operator==(const Face &) const = default;
};

// The paper of the device a run goes to, in points.
struct DevicePaper
{
    QSizeF size;
    QPointF printableOrigin; // the corner of its printable area
};

// The paper a page layout describes.
DevicePaper devicePaper(const QPageLayout &layout);

// Where what lies at `onFront` on the front of paper of size `paper` lies on
// its back, seen from the back, the paper turned about the edge `flip` names
// (Off is taken as the long edge): the long edge is the side of a sheet
// taller than wide and the top of one wider than tall, as a printer and the
// PDF's duplex entry both mean it. Any unit, as long as both agree.
QRectF mirroredOnBack(const QRectF &onFront, QSizeF paper, Duplex flip);
inline QPointF mirroredOnBack(QPointF onFront, QSizeF paper, Duplex flip)
{
    return mirroredOnBack(QRectF(onFront, QSizeF(0, 0)), paper, flip).topLeft();
}

// Where everything of a run goes: the plan's pages, one a sheet, or its
// labels in the cells of the document's sheet from the plan's first cell,
// sheet after sheet in the order the paper comes out. Reverse prints the
// last sheet first; a label keeps its cell. A two-sided document gives each
// sheet a back, each front's cell mirrored about the edge the paper turns
// on, its content upright on its own page. The print loop, its preview,
// the manifest, the check before a run and the print log read this list:
// nothing else places anything.
class RunPlacements
{
public:
    RunPlacements(const Document &doc, const PrintPlan &plan, const DevicePaper &device);

    const PrintPlan &plan() const { return m_plan; }
    // The pages or labels the run prints, copies counted.
    std::int64_t count() const { return m_items; }
    std::int64_t sheetCount() const { return m_sheets; }
    // Sheet `sheet` of the printing order as the finished stack numbers it,
    // from 1: the same paper has the same number in every pass, forwards or
    // backwards.
    std::int64_t paperSheet(std::int64_t sheet) const;
    // The sides the device prints, one after the other: a sheet's front,
    // then its back where the run prints both.
    std::int64_t faceCount() const;
    // Face `index` (from 1) in the order the device prints them.
    Face face(std::int64_t index) const;
    // What face `face` carries, in the order it is drawn.
    QList<Placement> onFace(const Face &face) const;
    // The paper of sheet `sheet`, in points.
    QSizeF paperOf(std::int64_t sheet) const;
    // Whether the run brings its own paper, with no margins (a sheet of
    // labels, the pages of a PDF background), rather than the device's.
    bool bringsPaper() const;
    // What sheet `sheet` (from 1) carries, the front first, in the order
    // it is drawn.
    QList<Placement> onSheet(std::int64_t sheet) const;
    // The size of the labels where the run is on a sheet of labels, whose
    // cells are smaller than the paper; none for pages.
    std::optional<QSizeF> labelSize() const;
    // The sheet of labels the run fills, for a preview's guides; null for pages.
    const SheetLayout *sheetLayout() const { return m_layout ? &*m_layout : nullptr; }
    // Where every cell of the sheet of labels lies on face `face`, as a
    // guide; none for pages.
    QList<QRectF> cellsOn(const Face &face) const;

private:
    // The sides the run prints, in the order it prints them.
    QList<Side> sides() const;
    // The fronts of sheet `sheet`.
    QList<Placement> frontsOn(std::int64_t sheet) const;
    // The back of `front`, on paper of `paper`: its cell mirrored about
    // the edge the paper turns on.
    Placement backOf(const Placement &front, const QSizeF &paper) const;
    // Which sheet of the run's forward order (from 0) sheet `sheet` is; on
    // plain paper, also the item it carries.
    std::int64_t laidOut(std::int64_t sheet) const;
    // The page, and which copy of it, that item `item` of the run in its
    // forward order (from 0) is.
    std::pair<std::int32_t, int> itemPage(std::int64_t item) const;
    Placement placed(std::int64_t sheet, std::int64_t item, const QRectF &cell,
                     const QPointF &origin) const;

    PrintPlan m_plan;
    std::optional<SheetLayout> m_layout;
    Duplex m_duplex = Duplex::Off;
    DevicePaper m_device;
    std::int64_t m_items = 0;
    std::int64_t m_sheets = 0;
};
