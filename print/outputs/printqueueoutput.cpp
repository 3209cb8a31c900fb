#include "outputs/printqueueoutput.h"

#include "outputs/systemerror.h"

#include <QDir>
#include <QFile>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

#include <cups/cups.h>

namespace {

// The name CUPS knows paper of `size` points by: a standard size's, else a
// custom size in points.
QByteArray mediaFor(QSizeF size)
{
    const QSizeF portrait(std::min(size.width(), size.height()),
                          std::max(size.width(), size.height()));
    const QPageSize matched(portrait, QPageSize::Point, QString(), QPageSize::FuzzyMatch);
    if (matched.id() != QPageSize::Custom)
        return matched.key().toUtf8();
    return QStringLiteral("Custom.%1x%2")
        .arg(qRound(portrait.width()))
        .arg(qRound(portrait.height()))
        .toUtf8();
}

} // namespace

std::vector<std::pair<QByteArray, QByteArray>> cupsJobOptions(const QPrinter &printer,
                                                              const OutputPass &pass)
{
    std::vector<std::pair<QByteArray, QByteArray>> options;
    const QPageLayout layout = printer.pageLayout();
    const bool portrait = layout.orientation() == QPageLayout::Portrait;
    options.emplace_back("media", pass.runPaper ? mediaFor(*pass.runPaper)
                                                : layout.pageSize().key().toUtf8());
    // A calibrated run, or a sheet of labels, is printed at its size.
    options.emplace_back("print-scaling", "none");
    switch (pass.duplex) {
    case Duplex::Off:
        options.emplace_back("sides", "one-sided");
        break;
    case Duplex::LongEdge:
        options.emplace_back("sides", "two-sided-long-edge");
        break;
    case Duplex::ShortEdge:
        options.emplace_back("sides", "two-sided-short-edge");
        break;
    }
    // The run's own paper is laid out as its pages are: nothing to turn.
    if (!portrait && !pass.runPaper)
        options.emplace_back("landscape", "");
    if (printer.colorMode() == QPrinter::GrayScale)
        options.emplace_back("print-color-mode", "monochrome");
    return options;
}

PrintQueueOutput::PrintQueueOutput(QPrinter &printer) : m_printer(printer) {}

QString PrintQueueOutput::name() const
{
    return m_printer.printerName();
}

bool PrintQueueOutput::printsBothSides() const
{
    const QList<QPrinter::DuplexMode> modes = QPrinterInfo(m_printer).supportedDuplexModes();
    return modes.contains(QPrinter::DuplexLongSide) || modes.contains(QPrinter::DuplexShortSide) ||
           modes.contains(QPrinter::DuplexAuto);
}

QString PrintQueueOutput::open(const OutputPass &pass)
{
    m_pass = pass;
    const QString error = temporaryFolderError(m_spool.open(QDir::tempPath()));
    if (!error.isEmpty())
        return error;
    m_drawing.open(pass, m_spool.file(),
                   [this] { return temporaryFolderError(m_spool.file().failure()); });
    return {};
}

PrintSheets PrintQueueOutput::sheets()
{
    return m_drawing.sheets();
}

QString PrintQueueOutput::deliver(const KeepGoing &)
{
    const QString error = m_drawing.failure();
    if (!error.isEmpty())
        return error;
    if (!m_spool.file().finish())
        return temporaryFolderError(m_spool.file().failure());
    // A printer name may carry a CUPS instance after a slash; the queue is before it.
    const QByteArray queue = m_printer.printerName().section(QLatin1Char('/'), 0, 0).toUtf8();
    if (queue.isEmpty())
        return QStringLiteral("No printer is chosen.");
    const std::vector<std::pair<QByteArray, QByteArray>> options =
        cupsJobOptions(m_printer, m_pass);
    std::vector<cups_option_t> cupsOptions;
    for (const auto &option : options) {
        cupsOptions.push_back({const_cast<char *>(option.first.constData()),
                               const_cast<char *>(option.second.constData())});
    }
    const int job =
        cupsPrintFile(queue.constData(), QFile::encodeName(m_spool.readablePath()).constData(),
                      m_pass.title.toUtf8().constData(), static_cast<int>(cupsOptions.size()),
                      cupsOptions.data());
    if (job == 0)
        return QStringLiteral("The printer %1 refused the job: %2")
            .arg(QString::fromUtf8(queue), QString::fromUtf8(cupsLastErrorString()));
    return {};
}

std::unique_ptr<RunOutput> PrintQueueOutput::forBacks() const
{
    return std::make_unique<PrintQueueOutput>(m_printer);
}
