#pragma once

#include "printrun.h"

#include <cstdint>
#include <functional>

class QPrinter;
class QWidget;

// The dialogs of the print commands; tests put their own in place, so that
// no test waits on a modal window.
struct PrintDialogs
{
    // The print dialog: printer, properties, copies, print to file. True when confirmed.
    std::function<bool(QPrinter &)> print;
    // The page setup dialog: paper and orientation. True when confirmed.
    std::function<bool(QPrinter &)> pageSetup;
    // The print preview of the printer. It asks `paint` to draw the run on the
    // printer it is given: its own page pictures, or the printer itself when
    // the user prints from it.
    std::function<void(QPrinter &, const std::function<void(QPrinter &)> &paint)> preview;
    // Progress of a run of `pages` pages, shown while it is drawn.
    std::function<PrintProgress(std::int32_t pages)> progress;
};

// Qt's own dialogs, over `parent`.
PrintDialogs standardPrintDialogs(QWidget *parent);

// A progress dialog, "Printing page i of n" with Cancel, that shows itself
// when the run takes longer than about a second. It lives as long as the
// returned function.
PrintProgress printProgressDialog(QWidget *parent, std::int32_t pages);
