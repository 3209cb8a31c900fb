#pragma once

#include "data/cellrows.h"

#include <QList>
#include <QString>
#include <QStringList>

// A column's name when the file gives none, from its index (0 is A): A, B,
// ..., Z, AA, AB, ...
QString columnLetters(qsizetype index);

// The columns of a read grid and its rows, evened as DataTable says: names
// from the first row when `header`, else letters; each row as wide as the
// names.
struct NamedRows
{
    QStringList columns;
    CellRows rows;
};
NamedRows nameColumns(CellRows rows, bool header);
