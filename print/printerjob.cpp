#include "printerjob.h"

#include <QDir>
#include <QFileInfo>
#include <QPrintEngine>
#include <QPrinter>

#include <cups/cups.h>

#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace {

const QString jobTitle = QStringLiteral("Paginette 2.0");

// Where Qt's CUPS support keeps the job options of the printer properties
// dialog (pages per sheet, banners, the printer's own settings).
constexpr auto cupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// The options Qt would give CUPS for this printer's job.
std::vector<std::pair<QByteArray, QByteArray>> jobOptions(QPrinter &printer)
{
    std::vector<std::pair<QByteArray, QByteArray>> options;
    const QPageLayout layout = printer.pageLayout();
    options.emplace_back("media", layout.pageSize().key().toUtf8());
    const int copies = printer.copyCount();
    if (copies > 1) {
        options.emplace_back("copies", QByteArray::number(copies));
        if (printer.collateCopies())
            options.emplace_back("Collate", "True");
    }
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
    const QStringList pairs = printer.printEngine()->property(cupsOptionsKey).toStringList();
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2)
        options.emplace_back(pairs[i].toUtf8(), pairs[i + 1].toUtf8());
    return options;
}

QString sendToQueue(QPrinter &printer, const QString &file)
{
    // A printer name may carry a CUPS instance after a slash; the queue is before it.
    const QByteArray queue = printer.printerName().section(QLatin1Char('/'), 0, 0).toUtf8();
    if (queue.isEmpty())
        return QStringLiteral("No printer is chosen.");
    const std::vector<std::pair<QByteArray, QByteArray>> options = jobOptions(printer);
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

// A new file gets the usual rights; a replaced one keeps its own.
void giveRights(const QString &spool, const QString &target)
{
    const QFileInfo existing(target);
    QFile::setPermissions(spool, existing.exists()
                                     ? existing.permissions()
                                     : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

} // namespace

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

PrinterJob::PrinterJob(QPrinter &printer)
    : m_printer(printer), m_outputFile(printer.outputFileName())
{
}

PrinterJob::~PrinterJob()
{
    if (m_opened)
        m_printer.setOutputFileName(m_outputFile);
}

QString PrinterJob::open()
{
    // Beside the chosen file, so that the last step is a rename on one file
    // system; in the temporary folder for a queue. No ".pdf" ending, which
    // would turn a queue's printer into a PDF writer.
    const QString pattern = m_outputFile.isEmpty()
                                ? QDir::temp().filePath(QStringLiteral("paginette-job-XXXXXX"))
                                : m_outputFile + QStringLiteral(".XXXXXX.part");
    m_spool.setFileTemplate(pattern);
    if (!m_spool.open())
        return QStringLiteral("Can't write %1: %2")
            .arg(QDir::toNativeSeparators(m_outputFile.isEmpty() ? QDir::tempPath() : m_outputFile),
                 m_spool.errorString());
    m_spool.close();
    m_printer.setOutputFileName(m_spool.fileName());
    m_opened = true;
    return {};
}

PrintSheets PrinterJob::sheets()
{
    PrintSheets sheets = pagedSheets(m_printer);
    QPrinter &printer = m_printer;
    sheets.failure = [&printer] {
        return printer.printerState() == QPrinter::Error
                   ? QStringLiteral("The printer reported an error.")
                   : QString();
    };
    sheets.abort = [&printer] {
        printer.abort();
    };
    return sheets;
}

QString PrinterJob::deliver()
{
    if (!m_outputFile.isEmpty()) {
        giveRights(m_spool.fileName(), m_outputFile);
        std::error_code error;
        // Replaces an existing file in one step.
        std::filesystem::rename(QFile::encodeName(m_spool.fileName()).toStdString(),
                                QFile::encodeName(m_outputFile).toStdString(), error);
        if (error)
            return QStringLiteral("Can't write %1: %2")
                .arg(QDir::toNativeSeparators(m_outputFile),
                     QString::fromLocal8Bit(error.message()));
        m_spool.setAutoRemove(false);
        return {};
    }
    return sendToQueue(m_printer, m_spool.fileName());
}
