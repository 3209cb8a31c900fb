#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <QPointF>

#include "document.h"
#include "run/printplan.h"
#include "sheetdatabase.h"

#include <cstdint>
#include <optional>

inline constexpr int exitPrinted = 0;
inline constexpr int exitFailed = 1; // a document or output error
inline constexpr int exitUsage = 2;
// The shared print log could not be reached, or failed on the way.
inline constexpr int exitUnshared = 3;
// As a shell reports a program that a signal ended.
inline constexpr int exitStopped(int signal)
{
    return 128 + signal;
}

// Pages first..last of a run.
struct PageRange
{
    std::int32_t first = 1;
    std::int32_t last = 1;
};

// One run of the tool: a document to a PDF file or to a print queue.
struct PrintRequest
{
    std::optional<std::int32_t> pages; // the document's own Pages when absent
    std::optional<PageRange> range;    // every page of the run when absent
    int copies = 1;
    bool collate = false;
    // The last sheet first, as the print dialog's Reverse.
    bool reverse = false;
    // Both sides turning about this edge, or one side, over the document's.
    std::optional<Duplex> duplex;
    // The sides printed, one for each pass through a printer that prints one.
    PrintedSides sides = PrintedSides::Both;
    // The backs' pass last sheet first, for a printer stacking face up.
    bool backsReversed = false;
    // Whether the stored calibration of the queue (of PDF output with -o) applies.
    bool printerProfile = false;
    std::optional<QPointF> offset; // millimetres, over the stored calibration's
    std::optional<QPointF> scale;  // per cent, likewise
    // Refuses a run that would print a value an earlier run of the document
    // printed, as the print log tells.
    bool freshOnly = false;
    QString manifest; // the file the run's manifest goes to, when asked
    // The shop's shared print log, a postgresql:// URI; empty for the one
    // PAGINETTE_SHARED_LOG names, or none.
    QString sharedLog;
    // Prints without the shared log when it cannot be reached.
    bool offlineOk = false;
    // Starts every number past the highest value the shared log holds of it.
    bool continuing = false;
    // A PDF, PNG, JPEG or SVG file put under every page of the run.
    QString background;
    // A product of the sheet database ("Avery 5160") to print on, whatever
    // the document holds, and the cell of its first sheet the run starts in.
    QString sheet;
    int firstCell = 1;
    // A data file for this run in place of the document's, relative to the
    // current folder, and the column of its quantities.
    QString dataFile;
    std::optional<QString> quantityColumn;
    // The run's date and time, which its date and time fields show; now
    // when absent.
    std::optional<QDateTime> date;
    QString sheetFolder = installedSheetFolder; // where the sheet database is
    QString output; // -o: the PDF file, or PNG or SVG pages; "-" for standard output
    std::int32_t dotsPerInch = 300; // of PNG pages
    QString queue;                  // -P: the print queue
    QString document;               // "-" for standard input
};

// What the command line asks for: a run, the help, the version, or nothing
// but a usage error.
struct CommandLine
{
    PrintRequest request;
    bool help = false;
    bool version = false;
    // --list-sheets: the products whose names hold every word of the text.
    std::optional<QString> listSheets;
    QString error;
};

CommandLine parseCommandLine(const QStringList &arguments);
QString usageText();
QString versionText();
// The pages, copies, sides and calibration `request` asks of a run of
// `pages` pages to the printer whose calibration is kept as `printer`.
PrintPlan runPlan(const PrintRequest &request, std::int32_t pages, const QString &printer);
