#pragma once

#include "data/cellrows.h"

#include <QList>
#include <QString>
#include <QStringList>

// What stops a data file from being read, and where when that is known.
struct DataProblem
{
    QString text;
    // As the spreadsheet numbers rows, from 1; 0 when not known.
    qsizetype row = 0;
    // From 0; -1 when not known.
    qsizetype column = -1;

    bool isEmpty() const { return text.isEmpty(); }
};

// A workbook's numeric cell: its column and the value it holds, which its
// format may show otherwise ("4,001", "2.00").
struct CellValue
{
    qsizetype column = 0;
    double value = 0;
};
// A row's numeric cells, in no order.
using RowValues = QList<CellValue>;

// The cells a reader found, row by row, before the columns are named: rows
// may differ in length and leave off their empty cells at the end.
struct CellGrid
{
    CellRows rows;
    // A workbook's numeric cells, row by row as `rows`; it ends at the last
    // row that has any.
    QList<RowValues> values;
    // A workbook's sheets, in its order.
    QStringList sheets;
    // A text file's.
    QString separator;
    DataProblem problem;
};
