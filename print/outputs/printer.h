#pragma once

#include "pageobject.h"
#include "run/printplan.h"

#include <QRectF>
#include <QString>

#include <cstdint>

class QPrinter;

// The resolution the program's printer works at, whatever a dialog chose.
inline constexpr int printerDotsPerInch = 360;
// The title a run's job and PDF carry.
QString runTitle();

// Puts the program's resolution and job title on the printer; run after
// every dialog that may have changed them.
void preparePrinter(QPrinter &printer);
// (0, 0, printable width, printable height) in dots at the program's resolution.
Bounds32 printableExtent(const QPrinter &printer);
// The printer's paper in page units from the corner of its printable area,
// where the page's origin lies on paper as on screen.
QRectF paperAroundPage(const QPrinter &printer);
// Whether a run on the printer goes to its output file rather than a queue.
bool printsToFile(const QPrinter &printer);
// The name the printer's calibration is stored under: its queue, or the
// entry of PDF output.
QString calibrationName(const QPrinter &printer);
// What the printer's settings ask of a run of `pages` pages: the page range
// the print dialog gave, its copies, collation and page order; the
// calibration is the caller's to add.
PrintPlan printerPlan(const QPrinter &printer, std::int32_t pages);
