#pragma once

#include "data/cellgrid.h"
#include "data/datalimits.h"

#include <QString>

class SpreadsheetZip;

// Whether `zip` holds an OpenDocument spreadsheet (.ods).
bool isOdsArchive(const SpreadsheetZip &zip);

// The cells of the sheet named `sheet` (the first when empty) of the
// OpenDocument spreadsheet in `zip`, each as the spreadsheet shows it: the
// text it saved of the cell, its paragraphs joined with line breaks; a date
// as an ISO date. Repeated cells and rows are repeated, except empty ones
// after a row's or the sheet's last value, which are never laid out.
CellGrid readOds(SpreadsheetZip &zip, const QString &sheet, const DataLimits &limits);
