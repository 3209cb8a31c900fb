#include "sheetlayout.h"

#include <algorithm>
#include <cmath>

namespace {

struct Unit
{
    QLatin1StringView suffix;
    double points;
};

constexpr Unit units[] = {
    {QLatin1StringView("pt"), 1},         {QLatin1StringView("in"), 72},
    {QLatin1StringView("mm"), 72 / 25.4}, {QLatin1StringView("cm"), 72 / 2.54},
    {QLatin1StringView("pc"), 12},
};

bool sideInRange(double side)
{
    return side > 0 && side <= SheetLayout::largestSide;
}

} // namespace

QString SheetLayout::title() const
{
    if (make.isEmpty() && part.isEmpty())
        return QStringLiteral("Custom sheet");
    return (make + QLatin1Char(' ') + part).trimmed();
}

int SheetLayout::cellCount() const
{
    std::int64_t cells = 0;
    for (const LabelGrid &grid : grids)
        cells += std::int64_t{grid.columns} * grid.rows;
    return static_cast<int>(std::min<std::int64_t>(cells, maxCells + 1));
}

QRectF SheetLayout::cellRect(int cell) const
{
    if (cell < 0)
        return {};
    for (const LabelGrid &grid : grids) {
        const int inGrid = grid.columns * grid.rows;
        if (cell >= inGrid) {
            cell -= inGrid;
            continue;
        }
        const bool down = order == SheetOrder::DownColumns;
        const int column = down ? cell / grid.rows : cell % grid.columns;
        const int row = down ? cell % grid.rows : cell / grid.columns;
        return QRectF(QPointF(grid.x0 + column * grid.dx, grid.y0 + row * grid.dy), label);
    }
    return {};
}

QString SheetLayout::problem() const
{
    if (!sideInRange(paper.width()) || !sideInRange(paper.height()))
        return QStringLiteral("The paper must be from 1 point to 200 inches a side.");
    if (!sideInRange(label.width()) || !sideInRange(label.height()))
        return QStringLiteral("A label must be from 1 point to 200 inches a side.");
    if (grids.isEmpty())
        return QStringLiteral("The sheet has no labels.");
    for (const LabelGrid &grid : grids) {
        if (grid.columns < 1 || grid.rows < 1 || grid.columns > maxCells || grid.rows > maxCells)
            return QStringLiteral("Columns and rows must be at least 1.");
        for (const double distance : {grid.x0, grid.y0, grid.dx, grid.dy}) {
            if (!std::isfinite(distance) || std::abs(distance) > largestSide)
                return QStringLiteral("A distance is out of range.");
        }
    }
    if (cellCount() > maxCells)
        return QStringLiteral("A sheet may hold at most %1 labels.").arg(maxCells);
    if (cornerRadius < 0 || holeRadius < 0 || !std::isfinite(cornerRadius) ||
        !std::isfinite(holeRadius))
        return QStringLiteral("A radius is out of range.");
    return {};
}

std::optional<std::int64_t> labelInCell(const SheetLayout &layout, int firstCell,
                                        std::int64_t sheet, int cell, std::int64_t labels)
{
    const std::int64_t cells = std::max(layout.cellCount(), 1);
    const std::int64_t blank = std::clamp<std::int64_t>(firstCell, 1, cells) - 1;
    std::int64_t label = 0;
    if (layout.order != SheetOrder::CutAndStack) {
        label = sheet * cells + cell - blank;
    } else {
        const std::int64_t sheets = sheetsFor(layout, firstCell, labels);
        if (sheet >= sheets || (sheet == 0 && cell < blank))
            return std::nullopt;
        label = cell < blank ? cell * (sheets - 1) + sheet - 1
                             : blank * (sheets - 1) + (cell - blank) * sheets + sheet;
    }
    if (label < 0 || label >= labels)
        return std::nullopt;
    return label;
}

std::int64_t sheetsFor(const SheetLayout &layout, int firstCell, std::int64_t labels)
{
    const std::int64_t cells = std::max(layout.cellCount(), 1);
    const std::int64_t blank = std::clamp<std::int64_t>(firstCell, 1, cells) - 1;
    return labels < 1 ? 0 : (blank + labels + cells - 1) / cells;
}

std::optional<double> pointsOf(QStringView distance)
{
    QStringView number = distance.trimmed();
    double scale = 1;
    for (const Unit &unit : units) {
        if (number.endsWith(unit.suffix)) {
            number = number.chopped(unit.suffix.size()).trimmed();
            scale = unit.points;
            break;
        }
    }
    // No number at all is nought, as the database's own reader takes it
    // ("", "in"): a few products write their corners and origins so.
    if (number.isEmpty())
        return 0.0;
    bool ok = false;
    const double value = number.toDouble(&ok) * scale;
    return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
}
