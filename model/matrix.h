#pragma once

#include "document.h"

#include <cstdint>

// What the Create Matrix dialog asks for.
struct MatrixParameters
{
    std::int32_t matrixRows = 0;
    std::int32_t matrixColumns = 0;
    std::int32_t matrixDX = 0; // from one column's x to the next one's
    std::int32_t matrixDY = 0; // from one row's y to the next one's
    // -1: no link. 1: row by row. 2: row by row, stepping once per row.
    // 3: column by column. 4: column by column, stepping once per column.
    // 5: row by row, each cell stepping over a whole stack of printed pages.
    std::int32_t matrixType = -1;
    std::int32_t pagesToPrint = 1; // the stack height of type 5
};

// What Create Matrix did. When the table has no room for the whole grid
// nothing is made: `needed` objects would be added where the table holds
// `room` more.
struct MatrixResult
{
    bool made = true;
    std::int64_t needed = 0;
    std::int32_t room = 0;

    bool operator==(const MatrixResult &) const = default;
};

// Turns the one selected object into the first cell of a grid of copies and,
// for types 1 to 5, links the cells in the order of the type and propagates
// the links. A type 5 stack holds what the run prints of one cell: each cell
// starts past the values the cell before it prints, its repeat counted. Does
// nothing unless exactly one object is selected, and nothing when the table
// cannot take every cell.
MatrixResult createMatrix(Document &doc, const MatrixParameters &parameters);
