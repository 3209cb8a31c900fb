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

// Turns the one selected object into the first cell of a grid of copies and,
// for types 1 to 5, links the cells in the order of the type and propagates
// the links. Does nothing unless exactly one object is selected. False when
// the table filled up before the last cell: the copies made so far stay,
// unlinked.
bool createMatrix(Document &doc, const MatrixParameters &parameters);
