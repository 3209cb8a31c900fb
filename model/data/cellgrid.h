#pragma once

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

// The cells a reader found, row by row, before the columns are named: rows
// may differ in length and leave off their empty cells at the end.
struct CellGrid
{
    QList<QStringList> rows;
    // A workbook's sheets, in its order.
    QStringList sheets;
    // A text file's.
    QString separator;
    DataProblem problem;
};
