#pragma once

#include "data/cellgrid.h"
#include "data/datalimits.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// How a data file is to be read: what the user chose, "auto" or empty where
// the program finds it.
struct DataSourceOptions
{
    // The first row names the columns; else they are A, B, C, ...
    bool header = true;
    // "," ";" "\t" "|" (or another single character); empty: found from the
    // file. A text file's only.
    QString separator;
    // "auto", "UTF-8", "UTF-16LE", "UTF-16BE", "windows-1252", or any name
    // iconv knows (libuchardet's names among them). A text file's only.
    QString encoding = QStringLiteral("auto");
    // A workbook's sheet, by name; empty: the first.
    QString sheet;
};

// A data file read whole: the columns' names and each row's values as the
// spreadsheet shows them.
//
// Every row has one value per column. With a header, the header's names are
// trimmed and each is kept where it is first met; a name met again becomes
// the first of "Name (2)", "Name (3)", ... that no column takes, and an empty
// one its column's letters (made distinct the same way). Without one, the
// columns are A, B, ...
// A row longer than the header keeps its extra values under their columns'
// letters; a shorter row is filled with empty values. Cells left empty at
// the right of every row make no column, and empty rows at the end of the
// file make no row.
struct DataTable
{
    QStringList columns;
    CellRows rows;
    // The sheet's rows above rows[0]: 1 for a header. Every row of the sheet
    // is a row of the table, empty ones inside too.
    qsizetype rowsAbove = 0;
    // A workbook's numeric cells, by sheet row (from 0) as CellGrid holds
    // them: what each holds beside what it shows.
    QList<RowValues> values;
    // What a text file was read with: its separator and its encoding as
    // DataSourceOptions names them. Empty for a workbook.
    QString separator;
    QString encoding;
    // A workbook's sheets, in its order.
    QStringList sheets;
    // What was read other than as asked, for the user to check: "orders.csv:
    // line 3 is not UTF-8 text; it was read as Windows-1252".
    QStringList warnings;

    // The number of `rows[row]` as the spreadsheet shows it, from 1, as
    // every message gives it.
    qsizetype sheetRow(qsizetype row) const;
    // What a quantity or a start reads at rows[row][column]: a numeric
    // cell's value written plainly ("4001", "2.5"), whatever its format
    // shows; else the text shown.
    QString valueText(qsizetype row, qsizetype column) const;
};

// The table, or why not: "orders.csv, row 12: ...", the file named as the
// user knows it, the row and column where they are known.
struct DataRead
{
    std::optional<DataTable> table;
    QString error;
};

// Reads the file at `path`: delimited text, or a workbook (.xlsx or .ods)
// whatever its name, found from its bytes. Reads nothing but that file.
DataRead readDataFile(const QString &path, const DataSourceOptions &options,
                      const DataLimits &limits = {});
// The same for a file's bytes; `fileName` names it in messages and tells a
// .tsv file's tab.
DataRead readData(const QByteArray &bytes, const QString &fileName,
                  const DataSourceOptions &options, const DataLimits &limits = {});
