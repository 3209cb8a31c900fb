#pragma once

#include "data/cellgrid.h"
#include "data/datalimits.h"

#include <QString>
#include <QStringView>

// The separators a text file's cells are found to be split by, in the
// order that settles a tie: a semicolon or a tab before a comma, which
// values hold more often ("Doe, Jane", a decimal comma).
inline constexpr char16_t csvSeparators[] = {u';', u'\t', u',', u'|'};

// Of csvSeparators that split a row of the first rows of `text`, the one
// that cuts through fewest quoted cells, and of those the one that splits
// the rows most consistently, then into most cells; nothing when none
// splits a row. A comma inside a number ("12,50") between other separators
// or a line's ends is a decimal comma, and splits nothing here.
QChar detectSeparator(QStringView text);

// Reads delimited text as spreadsheets write it: a cell in double quotes may
// hold separators, line breaks (each read as "\n") and doubled quotes (each
// read as one); rows end with CR LF, LF or CR. A first line "sep=X" names
// the separator and is no row. Else `separator` splits the cells, or when it
// is null the one found, or a comma when none is.
CellGrid readCsv(QStringView text, QChar separator, const DataLimits &limits);
