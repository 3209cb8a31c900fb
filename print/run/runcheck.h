#pragma once

#include "document.h"
#include "log/printlog.h"
#include "run/printplan.h"

#include <QList>
#include <QRectF>
#include <QStringList>

#include <functional>

// What a run says before it starts, a line for each thing the user may want
// to stop for: the program asks once for each kind, paginette-print writes
// them to standard error.

// "These objects fall outside the printable area of PRINTER: num0, num1."
QString outsideLine(const QString &printer, const QStringList &objects);
// The line naming the objects a run would cut off: beyond the printable area
// of `printer` (`printable`, in points from the paper's corner), or on a
// sheet of labels beyond their label. Empty when there are none.
QString outsideWarning(const RunTexts &texts, const PrintPlan &plan, int dotsPerInch,
                       const QRectF &printable, const QString &printer);

// Why a barcode cannot show what a data row gives it, for the first such
// row the plan prints: "orders.csv, row 7, column Code: EAN-13 takes 12 or
// 13 digits; num0 on page 6 gives letters". Each row is tried on its first
// page in the plan. Empty when every row's text can be shown.
QString rowBarcodeError(const RunTexts &texts, const PrintPlan &plan);

// "num0 grows from 2 to 3 digits on page 6." for every number whose value
// outgrows its width on the plan's pages; the value prints whole.
QStringList growthLines(const RunTexts &texts, const PrintPlan &plan);

// "pic0: logo.png has no page 5." for every picture the document prints that
// cannot be drawn within bounds (a file cut short, a page past its end, a
// PDF locked by a password, one that would take too much to decode): its
// place would be left blank. Each picture is read once; `keepGoing`, asked
// between two, stops the check.
QStringList pictureLines(const Document &doc, const std::function<bool()> &keepGoing = {});

// "num0 printed 0001-0010 on 2026-12-08 14:02." for every number (by name)
// that prints a value again that an earlier run of `earlier`, all of the
// same document, printed; a run of the shared log names its machine ("...
// 14:02 at press-2."), and one that never ended is "(unfinished)".
QStringList reprintLines(const RunTexts &texts, const PrintPlan &plan,
                         const QList<PrintLogEntry> &earlier);
