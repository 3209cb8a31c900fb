#include "matrix.h"

#include "file/recordcodec.h"
#include "kinds.h"
#include "numbering.h"
#include "objecttable.h"
#include "wrapint.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

bool makesLink(std::int32_t type)
{
    return type >= 1 && type <= 5;
}

bool columnByColumn(std::int32_t type)
{
    return type == 3 || type == 4;
}

// Types 2 and 4 step only from the last cell of a row (column) to the next.
bool stepsPerLine(std::int32_t type)
{
    return type == 2 || type == 4;
}

// A copy of the source in the next free slot, at (row, column) of the grid.
void appendCopy(Document &doc, int source, const MatrixParameters &parameters, std::int32_t row,
                std::int32_t column)
{
    const int m = doc.count();
    const PageObject &from = doc.objects[source];
    PageObject copy = copyOf(from, m);
    // Cells have always carried only the reserved words copies take, and
    // stored matrices keep their bytes.
    copy.reserved = reservedOfCopies(from.reserved);
    copy.x = wrapAdd(from.x, wrapMul(parameters.matrixDX, column));
    copy.y = wrapAdd(from.y, wrapMul(parameters.matrixDY, row));
    doc.objects.append(copy);
    doc.drawOrder.append(m);
}

// Visits the cells in the order of the type, copying the source into every
// cell but the first; the cells in visiting order. The table has room for
// them all.
std::vector<int> fillGrid(Document &doc, int source, const MatrixParameters &parameters)
{
    const std::int32_t rows = parameters.matrixRows;
    const std::int32_t columns = parameters.matrixColumns;
    const bool byColumn = columnByColumn(parameters.matrixType);
    const std::int32_t outer = byColumn ? columns : rows;
    const std::int32_t inner = byColumn ? rows : columns;
    std::vector<int> cells;
    for (std::int32_t a = 0; a < outer; ++a) {
        for (std::int32_t b = 0; b < inner; ++b) {
            if (cells.empty()) {
                cells.push_back(source);
                continue;
            }
            cells.push_back(doc.count());
            appendCopy(doc, source, parameters, byColumn ? b : a, byColumn ? a : b);
        }
    }
    return cells;
}

// Chains the cells in visiting order into a new link.
void linkCells(Document &doc, const std::vector<int> &cells, const MatrixParameters &parameters)
{
    const int source = cells.front();
    // A source already in a link leaves it first, as deleting it would.
    if (doc.objects[source].isLinked())
        destroyLink(doc, doc.objects[source].linkId);

    const std::int32_t type = parameters.matrixType;
    const std::int32_t line =
        columnByColumn(type) ? parameters.matrixRows : parameters.matrixColumns;
    const PageObject &head = doc.objects[source];
    const std::int32_t stackStep =
        wrapMul(valuesInRun(parameters.pagesToPrint, head.format.repeat), head.stepPage);
    const std::size_t count = cells.size();
    for (std::size_t i = 0; i < count; ++i) {
        PageObject &cell = doc.objects[cells[i]];
        cell.linkId = doc.linkCount;
        cell.linkPrev = i == 0 ? -1 : cells[i - 1];
        cell.linkNext = i + 1 == count ? -1 : cells[i + 1];
        if (stepsPerLine(type))
            cell.stepLink = (i + 1) % static_cast<std::size_t>(line) == 0 ? 1 : 0;
        else if (type == 5)
            cell.stepLink = stackStep;
    }
    ++doc.linkCount;
}

} // namespace

MatrixResult createMatrix(Document &doc, const MatrixParameters &parameters)
{
    const int source = soleSelected(doc);
    if (source < 0)
        return {};
    const bool anyCell = parameters.matrixRows >= 1 && parameters.matrixColumns >= 1;
    const std::int64_t needed =
        anyCell ? std::int64_t{parameters.matrixRows} * parameters.matrixColumns - 1 : 0;
    const std::int32_t room = std::max(doc.capacity - doc.count(), 0);
    if (needed > room)
        return {false, needed, room};
    const std::vector<int> cells = anyCell ? fillGrid(doc, source, parameters) : std::vector<int>();
    // A link needs a new link number; only a damaged document has none left.
    if (!cells.empty() && makesLink(parameters.matrixType) && doc.linkCount >= 0 &&
        doc.linkCount < std::numeric_limits<std::int32_t>::max())
        linkCells(doc, cells, parameters);
    propagateLinks(doc);
    return {};
}
