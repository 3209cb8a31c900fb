#pragma once

#include "outputs/outputfile.h"
#include "outputs/spool.h"
#include "pageobject.h"
#include "pdf/runpdfwriter.h"
#include "run/printplan.h"
#include "run/printrun.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QPrinter;

// The resolution the program's printer works at, whatever a dialog chose.
inline constexpr int printerDotsPerInch = 360;

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
// The options a job on the printer's queue is sent with, read from Qt's
// public printer settings: paper, sides, orientation, grey. The run already
// holds its copies, its page order and its page range, so CUPS is asked for
// none of them.
std::vector<std::pair<QByteArray, QByteArray>> cupsJobOptions(const QPrinter &printer);
// What the printer's settings ask of a run of `pages` pages: the page range
// the print dialog gave, its copies, collation and page order; the
// calibration is the caller's to add.
PrintPlan printerPlan(const QPrinter &printer, std::int32_t pages);

// What became of a run sent to a printer or a file.
struct JobResult
{
    PrintOutcome outcome = PrintOutcome::Printed; // Printed: drawn whole and handed over
    QString error;                                // why it failed
    // The page the run stopped before because of what the document holds
    // there; 0 when it did not.
    std::int32_t refusedPage = 0;
    bool rewroteInPlace = false; // see PrinterJob::rewroteInPlace()
};

// Whether `printer` prints both sides of the paper in one job; PDF output
// does, its viewer asked to.
bool printsBothSides(const QPrinter &printer);

// The run of `plan` with `texts` (of a document and its run's data) on `printer`, into `file` when
// one is given: drawn whole into a job of its own, every PDF page its pictures and its background
// show written once as a form, and handed over only then. The one way a run of the program or of
// paginette-print reaches paper.
JobResult printJob(const RunTexts &texts, const PrintPlan &plan, QPrinter &printer,
                   const std::optional<OutputTarget> &file, const PrintProgress &progress = {});

// One run on a QPrinter. Qt's engines on Linux write their PDF file, or hand
// the job to CUPS, when the painter ends, and neither reports a failed
// write; so the run is drawn into the run's PDF writer on a file of its own,
// every write checked, and handed over only when every page is drawn and the
// file is whole. A cancelled or failed run sends no job and leaves the chosen
// output file as it was.
class PrinterJob
{
public:
    // A run to `file`, or else to the printer's output file, or else to its
    // queue; on the printer's paper, resolution and job title.
    explicit PrinterJob(QPrinter &printer, const std::optional<OutputTarget> &file = {});
    ~PrinterJob();
    PrinterJob(const PrinterJob &) = delete;
    PrinterJob &operator=(const PrinterJob &) = delete;

    // Tells the PDF's viewers to print it on both sides, turning about the
    // edge `duplex` says. Before deliver().
    void printOnBothSides(Duplex duplex);
    // The pictures the run shows: the pages of PDF pictures, and JPEGs, are
    // written as they are. Before open().
    void placePdfPagesFrom(const PictureStore &pictures);
    // Makes the spool or opens the stream; an error text when it cannot.
    QString open();
    PrintSheets sheets();
    // Hands the finished run over: it takes the place of the chosen file, or
    // goes to the printer's queue. An error text when that failed.
    QString deliver();
    // True when the chosen file was rewritten in place, its folder taking no
    // spool.
    bool rewroteInPlace() const;

private:
    CheckedFile &device();
    QString failure() const;

    QPrinter &m_printer;
    std::optional<OutputFile> m_file; // none for a queue
    Spool m_queueSpool;
    std::unique_ptr<RunPdfWriter> m_writer;
    PictureStore m_pictures;
    Duplex m_duplex = Duplex::Off;
};
