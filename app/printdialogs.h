#pragma once

#include "printrun.h"

#include <QString>

#include <cstdint>
#include <functional>

class QPrinter;
class QWidget;

// What a progress dialog says the run is doing: printing, or preparing the
// pages of a preview.
enum class ProgressLabel
{
    Printing,
    Preparing,
};

// The dialogs of the print commands; tests put their own in place, so that
// no test waits on a modal window.
struct PrintDialogs
{
    // The print dialog of a run of `pages` pages: printer, properties, page
    // range, copies, print to file. True when confirmed.
    std::function<bool(QPrinter &, std::int32_t pages)> print;
    // The page setup dialog: paper and orientation. True when confirmed.
    std::function<bool(QPrinter &)> pageSetup;
    // The print preview of the printer. It asks `paint` to draw the run on the
    // printer it is given: its own page pictures, or the printer itself when
    // the user prints from it.
    std::function<void(QPrinter &, const std::function<void(QPrinter &)> &paint)> preview;
    // Progress of a run of `sheets` sheets, shown while it is drawn.
    std::function<PrintProgress(std::int32_t sheets, ProgressLabel label)> progress;
    // A warning the user may go past: true for OK, false for Cancel.
    std::function<bool(const QString &text, const QString &caption)> confirm;
};

// Qt's own dialogs, over `parent`.
PrintDialogs standardPrintDialogs(QWidget *parent);

// A progress dialog, "Printing page i of n" (or "Preparing page i of n")
// with Cancel, that shows itself when the run takes longer than about a
// second. It lives as long as the returned function.
PrintProgress printProgressDialog(QWidget *parent, std::int32_t sheets,
                                  ProgressLabel label = ProgressLabel::Printing);
