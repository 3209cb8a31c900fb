#pragma once

#include "run/printrun.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QPrinter;
class QWidget;

// The dialogs of the print commands; tests put their own in place, so that
// no test waits on a modal window.
// A run of the document the print log holds, whose date a reprint may show
// again: how the dialog names it, and its date.
struct LoggedRunDate
{
    QString title;
    QDateTime date;
};

// The earlier runs a reprint may take its date from, and the one chosen;
// none: the run's own date, taken now.
struct RunDateChoice
{
    QList<LoggedRunDate> runs;
    std::optional<QDateTime> chosen;
};

// What the print dialog asks beyond Qt's own: where a run on a sheet of
// `cells` labels starts (none on plain paper), and for a two-sided run
// whether it goes through a printer that prints one side, and where the log
// holds earlier runs, whether the run shows the date of one of them.
struct PrintChoices
{
    int cells = 0;
    int firstCell = 1;
    Duplex duplex = Duplex::Off;  // the document's, which the dialog shows and leaves alone
    bool frontsThenBacks = false; // every front, then every back on a second pass
    bool faceUp = false;          // the printer stacks its output face up
    RunDateChoice runDate;
};

// Where File > Export Run writes a run: a file of one of the kinds a run
// can be written to, and the resolution of raster pages.
struct ExportChoice
{
    QString file;
    std::int32_t dotsPerInch = 300;
};

struct PrintDialogs
{
    // File > Export Run's dialog, offering `suggested` (a file name without
    // its suffix) in each kind of file; none when cancelled.
    std::function<std::optional<ExportChoice>(const QString &suggested)> exportRun;
    // The print dialog of a run of `pages` pages: printer, properties, page
    // range, copies, print to file, and `choices`. True when confirmed.
    std::function<bool(QPrinter &, std::int32_t pages, PrintChoices &choices)> print;
    // The page setup dialog: paper and orientation. True when confirmed.
    std::function<bool(QPrinter &)> pageSetup;
    // Progress of a run of `sheets` sheets, shown while it is drawn.
    std::function<PrintProgress(std::int32_t sheets)> progress;
    // A warning the user may go past: true for OK, false for Cancel.
    std::function<bool(const QString &text, const QString &caption)> confirm;
    // A warning with a way on: true for the button `goOn`, false for Cancel.
    std::function<bool(const QString &text, const QString &caption, const QString &goOn)> choose;
};

// Qt's own dialogs, over `parent`.
PrintDialogs standardPrintDialogs(QWidget *parent);

// A progress dialog, "Printing page i of n" with Cancel, that shows itself
// when the run takes longer than about a second. It lives as long as the
// returned function.
PrintProgress printProgressDialog(QWidget *parent, std::int32_t sheets);
