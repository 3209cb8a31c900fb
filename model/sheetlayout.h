#pragma once

#include "file/unknownkeys.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <optional>

// The shape of the labels of a sheet, as its maker cuts them.
enum class LabelShape
{
    Rectangle,
    Round,
    Ellipse,
    Cd,
};

// One grid of labels on a sheet: `columns` x `rows` labels, the first one's
// top-left corner at (x0, y0), the next ones dx and dy further on; points.
struct LabelGrid
{
    int columns = 1;
    int rows = 1;
    double x0 = 0;
    double y0 = 0;
    double dx = 0;
    double dy = 0;

    bool operator==(const LabelGrid &) const = default;
};

// In what order a run's labels fill the cells of its sheets.
enum class SheetOrder
{
    AcrossRows,  // row by row, each from left to right
    DownColumns, // column by column, each from top to bottom
    CutAndStack, // cell c of every sheet continues cell c of the sheet before
};

// A sheet of labels: its paper, the shape and size of its labels and where
// they lie, one grid or several, numbered one after the other. A product of
// a maker (`make`, `part`) or a sheet the user measured (both empty).
struct SheetLayout
{
    // The cells a sheet may have, and the sides of paper and labels, in points.
    static constexpr int maxCells = 10000;
    static constexpr double largestSide = 14400;

    QString make;
    QString part;
    QString description;
    QSizeF paper;
    LabelShape shape = LabelShape::Rectangle;
    QSizeF label;            // a round or CD label: its diameter both ways
    double cornerRadius = 0; // of a rectangle
    double holeRadius = 0;   // of a CD
    QList<LabelGrid> grids;
    SheetOrder order = SheetOrder::AcrossRows;
    UnknownKeys unknownKeys; // of its entry in the file, kept as they came

    bool operator==(const SheetLayout &) const = default;

    // "Avery 5160", or "Custom sheet".
    QString title() const;
    int cellCount() const;
    // Cell `cell` (from 0) in the sheet's order: across the rows, or down the
    // columns for DownColumns, grid after grid; empty when there is none.
    QRectF cellRect(int cell) const;
    // Why the layout cannot be used (sizes out of range, no cell), or empty.
    QString problem() const;
};

// The label (from 0) of a run of `labels` labels that cell `cell` of sheet
// `sheet` (both from 0) holds, the run starting at cell `firstCell` (from 1)
// of the first sheet, the cells before it left blank; nothing for a blank
// cell.
std::optional<std::int64_t> labelInCell(const SheetLayout &layout, int firstCell,
                                        std::int64_t sheet, int cell, std::int64_t labels);
// The sheets a run of `labels` labels from cell `firstCell` takes.
std::int64_t sheetsFor(const SheetLayout &layout, int firstCell, std::int64_t labels);

// Distances as the sheet database writes them: a number and a unit (pt,
// in, mm, cm, pc; none means points), in points; no number at all is 0.
// Nothing when unreadable.
std::optional<double> pointsOf(QStringView distance);
