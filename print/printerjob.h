#pragma once

#include "pageobject.h"
#include "printrun.h"

#include <QString>
#include <QTemporaryFile>

class QPrinter;

// The resolution the program's printer works at, whatever a dialog chose.
inline constexpr int printerDotsPerInch = 360;

// Puts the program's resolution and job title on the printer; run after
// every dialog that may have changed them.
void preparePrinter(QPrinter &printer);
// (0, 0, printable width, printable height) in dots at the program's resolution.
Bounds32 printableExtent(const QPrinter &printer);

// One run on a QPrinter. Qt's engines on Linux write their PDF file, or hand
// the job to CUPS, when the painter ends, and QPrinter::abort cannot stop
// that; so the run is spooled to a file of its own and handed over only when
// every page is drawn. A cancelled or failed run sends no job and leaves the
// chosen output file as it was.
class PrinterJob
{
public:
    explicit PrinterJob(QPrinter &printer);
    // Gives the printer its own output back and removes the spool.
    ~PrinterJob();
    PrinterJob(const PrinterJob &) = delete;
    PrinterJob &operator=(const PrinterJob &) = delete;

    // Sends the printer's output to the spool; an error text when no spool
    // can be made.
    QString open();
    PrintSheets sheets();
    // Hands the finished run over: the spool takes the place of the chosen
    // file, or goes to the printer's queue. An error text when that failed.
    QString deliver();

private:
    QPrinter &m_printer;
    const QString m_outputFile; // the file chosen for the run; empty for a queue
    QTemporaryFile m_spool;
    bool m_opened = false;
};
