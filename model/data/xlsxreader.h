#pragma once

#include "data/cellgrid.h"
#include "data/datalimits.h"

#include <QString>

class SpreadsheetZip;

// Whether `zip` holds an Office Open XML workbook (.xlsx).
bool isXlsxArchive(const SpreadsheetZip &zip);

// The cells of the sheet named `sheet` (the first when empty) of the Office
// Open XML workbook in `zip`, each as the spreadsheet shows it: shared and
// inline strings, TRUE and FALSE, a formula's last value, numbers under
// their cells' number formats. Only the workbook's own parts are read; a
// link to anything outside it is never followed.
CellGrid readXlsx(SpreadsheetZip &zip, const QString &sheet, const DataLimits &limits);
