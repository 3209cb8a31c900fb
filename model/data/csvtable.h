#pragma once

#include "data/cellgrid.h"
#include "data/datalimits.h"

#include <QString>
#include <QStringView>

// The separators a text file's cells are found to be split by, in the
// order that settles a tie.
inline constexpr char16_t csvSeparators[] = {u',', u';', u'\t', u'|'};

// Of csvSeparators that split a row of the first rows of `text`, the one
// that cuts through fewest quoted cells, and of those the one that splits
// the rows most consistently, then into most cells; nothing when none
// splits a row.
QChar detectSeparator(QStringView text);

// Reads delimited text as spreadsheets write it: a cell in double quotes may
// hold separators, line breaks (each read as "\n") and doubled quotes (each
// read as one); rows end with CR LF, LF or CR. A first line "sep=X" names
// the separator and is no row. Else `separator` splits the cells, or when it
// is null the one found, or `fallback` when none is.
CellGrid readCsv(QStringView text, QChar separator, QChar fallback, const DataLimits &limits);
