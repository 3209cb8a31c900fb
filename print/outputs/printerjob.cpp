#include "outputs/printerjob.h"

#include "outputs/systemerror.h"
#include "run/placements.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>

#include <cups/cups.h>

#include <utility>
#include <vector>

namespace {

const QString jobTitle = QStringLiteral("Paginette 2.0");

QString sendToQueue(QPrinter &printer, const QString &file)
{
    // A printer name may carry a CUPS instance after a slash; the queue is before it.
    const QByteArray queue = printer.printerName().section(QLatin1Char('/'), 0, 0).toUtf8();
    if (queue.isEmpty())
        return QStringLiteral("No printer is chosen.");
    const std::vector<std::pair<QByteArray, QByteArray>> options = cupsJobOptions(printer);
    std::vector<cups_option_t> cupsOptions;
    for (const auto &option : options) {
        cupsOptions.push_back({const_cast<char *>(option.first.constData()),
                               const_cast<char *>(option.second.constData())});
    }
    const int job = cupsPrintFile(queue.constData(), QFile::encodeName(file).constData(),
                                  printer.docName().toUtf8().constData(),
                                  static_cast<int>(cupsOptions.size()), cupsOptions.data());
    if (job == 0)
        return QStringLiteral("The printer %1 refused the job: %2")
            .arg(QString::fromUtf8(queue), QString::fromUtf8(cupsLastErrorString()));
    return {};
}

// The spool of a run to a queue is in the temporary folder; its errors name
// that folder.
QString spoolError(int error)
{
    return error == 0 ? QString()
                      : QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(QDir::tempPath()),
                                                     systemError(error));
}

} // namespace

std::vector<std::pair<QByteArray, QByteArray>> cupsJobOptions(const QPrinter &printer)
{
    std::vector<std::pair<QByteArray, QByteArray>> options;
    const QPageLayout layout = printer.pageLayout();
    options.emplace_back("media", layout.pageSize().key().toUtf8());
    const bool portrait = layout.orientation() == QPageLayout::Portrait;
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        options.emplace_back("sides", "one-sided");
        break;
    case QPrinter::DuplexAuto:
        options.emplace_back("sides", portrait ? "two-sided-long-edge" : "two-sided-short-edge");
        break;
    case QPrinter::DuplexLongSide:
        options.emplace_back("sides", "two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        options.emplace_back("sides", "two-sided-short-edge");
        break;
    }
    if (!portrait)
        options.emplace_back("landscape", "");
    if (printer.colorMode() == QPrinter::GrayScale)
        options.emplace_back("print-color-mode", "monochrome");
    return options;
}

void preparePrinter(QPrinter &printer)
{
    printer.setResolution(printerDotsPerInch);
    printer.setDocName(jobTitle);
}

Bounds32 printableExtent(const QPrinter &printer)
{
    const QRect area = printer.pageLayout().paintRectPixels(printerDotsPerInch);
    return {0, 0, area.width(), area.height()};
}

bool printsBothSides(const QPrinter &printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return true;
    const QList<QPrinter::DuplexMode> modes = QPrinterInfo(printer).supportedDuplexModes();
    return modes.contains(QPrinter::DuplexLongSide) || modes.contains(QPrinter::DuplexShortSide) ||
           modes.contains(QPrinter::DuplexAuto);
}

QRectF paperAroundPage(const QPrinter &printer)
{
    const DevicePaper paper = devicePaper(printer.pageLayout());
    return QRectF(-paper.printableOrigin, paper.size);
}

bool printsToFile(const QPrinter &printer)
{
    // A printer keeps a file name offered in the print dialog while a queue
    // is chosen; the output format tells which of them takes the run.
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

QString calibrationName(const QPrinter &printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return pdfOutputName();
    // The instances of a queue print on the same paper path.
    return printer.printerName().section(QLatin1Char('/'), 0, 0);
}

PrintPlan printerPlan(const QPrinter &printer, std::int32_t pages)
{
    PrintPlan plan = wholeRun(pages);
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        plan.first = printer.fromPage();
        plan.last = printer.toPage();
    }
    plan.copies = printer.copyCount();
    plan.collate = printer.collateCopies();
    plan.lastPageFirst = printer.pageOrder() == QPrinter::LastPageFirst;
    return plan;
}

JobResult printJob(const RunTexts &texts, const PrintPlan &plan, QPrinter &printer,
                   const std::optional<OutputTarget> &file, const PrintProgress &progress)
{
    const Document &doc = texts.document();
    // Both sides from one job: the queue turns the paper about the edge the
    // document says, and a PDF tells its viewers to.
    const Duplex duplex = plan.sides == PrintedSides::Both ? doc.duplex : Duplex::Off;
    printer.setDuplex(duplex == Duplex::LongEdge    ? QPrinter::DuplexLongSide
                      : duplex == Duplex::ShortEdge ? QPrinter::DuplexShortSide
                                                    : QPrinter::DuplexNone);
    PrinterJob job(printer, file);
    job.printOnBothSides(duplex);
    PictureStore pictures = doc.pictures;
    if (plan.background)
        pictures.add(plan.background->bytes);
    job.placePdfPagesFrom(pictures);
    JobResult result;
    result.error = job.open();
    if (!result.error.isEmpty()) {
        result.outcome = PrintOutcome::Failed;
        return result;
    }
    const PrintResult run =
        printRun(texts, printer.resolution(), true, job.sheets(), plan, progress);
    result.outcome = run.outcome;
    result.error = run.error;
    result.refusedPage = run.refusedPage;
    if (run.outcome != PrintOutcome::Printed)
        return result;
    result.error = job.deliver();
    if (!result.error.isEmpty())
        result.outcome = PrintOutcome::Failed;
    result.rewroteInPlace = job.rewroteInPlace();
    return result;
}

PrinterJob::PrinterJob(QPrinter &printer, const std::optional<OutputTarget> &file)
    : m_printer(printer)
{
    if (file)
        m_file.emplace(*file);
    else if (printsToFile(printer))
        m_file.emplace(resolveOutput(printer.outputFileName()));
}

PrinterJob::~PrinterJob() = default;

void PrinterJob::printOnBothSides(Duplex duplex)
{
    m_duplex = duplex;
}

void PrinterJob::placePdfPagesFrom(const PictureStore &pictures)
{
    m_pictures = pictures;
}

QString PrinterJob::open()
{
    const QString error = m_file ? m_file->open() : spoolError(m_queueSpool.open(QDir::tempPath()));
    if (!error.isEmpty())
        return error;
    m_writer = std::make_unique<RunPdfWriter>(device());
    m_writer->setPageLayout(m_printer.pageLayout());
    m_writer->setResolution(m_printer.resolution());
    m_writer->setTitle(m_printer.docName());
    m_writer->setCreator(m_printer.creator());
    m_writer->setDuplex(m_duplex);
    m_writer->setPictures(m_pictures);
    return {};
}

PrintSheets PrinterJob::sheets()
{
    PrintSheets sheets = runSheets(*m_writer);
    sheets.failure = [this] {
        return failure();
    };
    sheets.abort = [this] {
        device().abandon();
    };
    return sheets;
}

QString PrinterJob::deliver()
{
    if (m_file)
        return m_file->commit();
    CheckedFile &spool = m_queueSpool.file();
    if (!spool.finish())
        return failure();
    return sendToQueue(m_printer, m_queueSpool.readablePath());
}

bool PrinterJob::rewroteInPlace() const
{
    return m_file && m_file->rewroteInPlace();
}

CheckedFile &PrinterJob::device()
{
    return m_file ? m_file->device() : m_queueSpool.file();
}

QString PrinterJob::failure() const
{
    if (m_writer && !m_writer->error().isEmpty())
        return m_writer->error();
    return m_file ? m_file->failure() : spoolError(m_queueSpool.file().failure());
}
