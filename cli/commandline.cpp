#include "commandline.h"

#include "run/calibration.h"
#include "run/printplan.h"

#include <QCommandLineParser>
#include <QLocale>
#include <QRegularExpression>

#include <functional>
#include <limits>
#include <utility>
#include <vector>

namespace {

// One option: its names, value and help, and what it does to the command
// line; an error text when its value will not do.
struct ToolOption
{
    QCommandLineOption option;
    std::function<QString(CommandLine &, const QString &value)> apply;
};

std::optional<std::int32_t> pageCount(const QString &text)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// "F-L" with 1 <= F <= L; whether L is in the run is known once the
// document is read.
std::optional<PageRange> pageRange(const QString &text)
{
    const QStringList ends = text.split(QLatin1Char('-'));
    if (ends.size() != 2)
        return std::nullopt;
    const std::optional<std::int32_t> first = pageCount(ends[0]);
    const std::optional<std::int32_t> last = pageCount(ends[1]);
    if (!first || !last || *first < 1 || *last < *first)
        return std::nullopt;
    return PageRange{*first, *last};
}

// "X,Y", both from `low` to `high`, written with a decimal point.
std::optional<QPointF> numberPair(const QString &text, double low, double high)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2)
        return std::nullopt;
    const QLocale c = QLocale::c();
    bool okX = false;
    bool okY = false;
    const double x = c.toDouble(parts[0].trimmed(), &okX);
    const double y = c.toDouble(parts[1].trimmed(), &okY);
    // Written so that NaN, which compares false with anything, is refused too.
    const auto within = [low, high](double value) {
        return value >= low && value <= high;
    };
    if (!okX || !okY || !within(x) || !within(y))
        return std::nullopt;
    return QPointF(x, y);
}

template <typename Value, std::size_t N>
std::optional<Value> named(const std::pair<Value, const char *> (&names)[N], const QString &text)
{
    for (const auto &[value, name] : names) {
        if (text == QLatin1String(name))
            return value;
    }
    return std::nullopt;
}

constexpr std::pair<Duplex, const char *> duplexNames[] = {
    {Duplex::LongEdge, "long"},
    {Duplex::ShortEdge, "short"},
    {Duplex::Off, "off"},
};

constexpr std::pair<PrintedSides, const char *> sideNames[] = {
    {PrintedSides::Both, "both"},
    {PrintedSides::Front, "front"},
    {PrintedSides::Back, "back"},
};

// "YYYY-MM-DD" at midnight, or "YYYY-MM-DDTHH:MM", a real date and time.
std::optional<QDateTime> runDate(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}(T\\d{2}:\\d{2})?$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    const QDateTime date = text.size() == 10
                               ? QDate::fromString(text, QStringLiteral("yyyy-MM-dd")).startOfDay()
                               : QDateTime::fromString(text, QStringLiteral("yyyy-MM-ddTHH:mm"));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

const std::vector<ToolOption> &toolOptions()
{
    static const std::vector<ToolOption> options{
        {QCommandLineOption(QStringLiteral("pages"),
                            QStringLiteral("print pages 1 to N (default: the document's Pages)"),
                            QStringLiteral("N")),
         [](CommandLine &line, const QString &value) {
             line.request.pages = pageCount(value);
             if (line.request.pages && *line.request.pages < 1)
                 return QStringLiteral("--pages needs a whole number of at least 1, not '%1'")
                     .arg(value);
             return line.request.pages
                        ? QString()
                        : QStringLiteral("--pages needs a whole number, not '%1'").arg(value);
         }},
        {QCommandLineOption(QStringLiteral("range"),
                            QStringLiteral("print pages F to L only, as the whole run prints them"),
                            QStringLiteral("F-L")),
         [](CommandLine &line, const QString &value) {
             line.request.range = pageRange(value);
             return line.request.range
                        ? QString()
                        : QStringLiteral("--range needs pages F-L with 1 <= F <= L, not '%1'")
                              .arg(value);
         }},
        {QCommandLineOption(QStringLiteral("n"),
                            QStringLiteral("print COPIES of each page, page by page (1, 1, 2, 2)"),
                            QStringLiteral("COPIES")),
         [](CommandLine &line, const QString &value) {
             const std::optional<std::int32_t> copies = pageCount(value);
             if (!copies || *copies < 1 || *copies > PrintPlan::maxCopies)
                 return QStringLiteral("-n needs a number of copies from 1 to %1, not '%2'")
                     .arg(PrintPlan::maxCopies)
                     .arg(value);
             line.request.copies = *copies;
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("collate"),
                            QStringLiteral("print the copies in sets (1, 2, 1, 2)")),
         [](CommandLine &line, const QString &) {
             line.request.collate = true;
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("reverse"),
                            QStringLiteral("print the last sheet first, each label in its cell")),
         [](CommandLine &line, const QString &) {
             line.request.reverse = true;
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("duplex"),
                            QStringLiteral("print both sides, the paper turning about its long or "
                                           "short edge, or off: the fronts alone, backs left out "
                                           "of the paper, the manifest and the log (default: the "
                                           "document's)"),
                            QStringLiteral("long|short|off")),
         [](CommandLine &line, const QString &value) {
             line.request.duplex = named(duplexNames, value);
             return line.request.duplex
                        ? QString()
                        : QStringLiteral("--duplex needs long, short or off, not '%1'").arg(value);
         }},
        {QCommandLineOption(QStringLiteral("sides"),
                            QStringLiteral("print both sides, or the fronts or the backs alone, "
                                           "one pass each through a printer that prints one"),
                            QStringLiteral("both|front|back")),
         [](CommandLine &line, const QString &value) {
             const std::optional<PrintedSides> sides = named(sideNames, value);
             line.request.sides = sides.value_or(PrintedSides::Both);
             return sides
                        ? QString()
                        : QStringLiteral("--sides needs both, front or back, not '%1'").arg(value);
         }},
        {QCommandLineOption(QStringLiteral("backs-reversed"),
                            QStringLiteral("print the backs last sheet first, for a printer that "
                                           "stacks its output face up")),
         [](CommandLine &line, const QString &) {
             line.request.backsReversed = true;
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("printer-profile"),
                            QStringLiteral("use the calibration stored for the queue or for PDF")),
         [](CommandLine &line, const QString &) {
             line.request.printerProfile = true;
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("offset"),
                            QStringLiteral("move the print X mm right and Y mm down (-20 to 20)"),
                            QStringLiteral("X,Y")),
         [](CommandLine &line, const QString &value) {
             line.request.offset =
                 numberPair(value, -Calibration::maxOffset, Calibration::maxOffset);
             return line.request.offset
                        ? QString()
                        : QStringLiteral("--offset needs X,Y in millimetres from -20 to 20, "
                                         "not '%1'")
                              .arg(value);
         }},
        {QCommandLineOption(QStringLiteral("scale"),
                            QStringLiteral("stretch the print by SX and SY per cent (90 to 110)"),
                            QStringLiteral("SX,SY")),
         [](CommandLine &line, const QString &value) {
             line.request.scale = numberPair(value, Calibration::minScale, Calibration::maxScale);
             return line.request.scale
                        ? QString()
                        : QStringLiteral("--scale needs SX,SY in per cent from 90 to 110, not "
                                         "'%1'")
                              .arg(value);
         }},
        {QCommandLineOption(QStringLiteral("fresh-only"),
                            QStringLiteral("refuse a run that prints a value printed before")),
         [](CommandLine &line, const QString &) {
             line.request.freshOnly = true;
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("shared-log"),
                            QStringLiteral("check and log the run on the shop's shared print log "
                                           "(default: $PAGINETTE_SHARED_LOG)"),
                            QStringLiteral("URI")),
         [](CommandLine &line, const QString &value) {
             line.request.sharedLog = value;
             return value.isEmpty() ? QStringLiteral("--shared-log needs a postgresql:// URI")
                                    : QString();
         }},
        {QCommandLineOption(QStringLiteral("offline-ok"),
                            QStringLiteral("print when the shared log's server cannot be "
                                           "reached (never past a refusal); it gets the run "
                                           "later")),
         [](CommandLine &line, const QString &) {
             line.request.offlineOk = true;
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("continue"),
                            QStringLiteral("start every number past the highest value the shared "
                                           "log holds of it")),
         [](CommandLine &line, const QString &) {
             line.request.continuing = true;
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("manifest"),
                            QStringLiteral("write every number printed, sheet by sheet, to FILE"),
                            QStringLiteral("FILE.csv")),
         [](CommandLine &line, const QString &value) {
             line.request.manifest = value;
             return value.isEmpty() ? QStringLiteral("--manifest needs a file name") : QString();
         }},
        {QCommandLineOption(QStringLiteral("background"),
                            QStringLiteral("put FILE (PDF, PNG, JPEG or SVG) under every page"),
                            QStringLiteral("FILE")),
         [](CommandLine &line, const QString &value) {
             line.request.background = value;
             return value.isEmpty() ? QStringLiteral("--background needs a file name") : QString();
         }},
        {QCommandLineOption(QStringLiteral("sheet"),
                            QStringLiteral("print on the labels of the product \"MAKE PART\""),
                            QStringLiteral("\"MAKE PART\"")),
         [](CommandLine &line, const QString &value) {
             line.request.sheet = value.simplified();
             return line.request.sheet.isEmpty() ? QStringLiteral("--sheet needs a product")
                                                 : QString();
         }},
        {QCommandLineOption(QStringLiteral("first-cell"),
                            QStringLiteral("start at cell N of the first sheet of labels"),
                            QStringLiteral("N")),
         [](CommandLine &line, const QString &value) {
             const std::optional<std::int32_t> cell = pageCount(value);
             if (!cell || *cell < 1)
                 return QStringLiteral("--first-cell needs a whole number of at least 1, not "
                                       "'%1'")
                     .arg(value);
             line.request.firstCell = *cell;
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("data"),
                            QStringLiteral("print a page for each row of FILE (CSV, TSV, XLSX "
                                           "or ODS) instead of the document's data file, which "
                                           "is read only from the document's folder and below"),
                            QStringLiteral("FILE")),
         [](CommandLine &line, const QString &value) {
             line.request.dataFile = value;
             return value.isEmpty() ? QStringLiteral("--data needs a file name") : QString();
         }},
        {QCommandLineOption(QStringLiteral("quantity-column"),
                            QStringLiteral("print each row on as many pages as its column NAME "
                                           "says"),
                            QStringLiteral("NAME")),
         [](CommandLine &line, const QString &value) {
             line.request.quantityColumn = value;
             return value.isEmpty() ? QStringLiteral("--quantity-column needs a column name")
                                    : QString();
         }},
        {QCommandLineOption(QStringLiteral("date"),
                            QStringLiteral("the run's date and time, which {date} and {time} "
                                           "show (default: now)"),
                            QStringLiteral("YYYY-MM-DD[THH:MM]")),
         [](CommandLine &line, const QString &value) {
             line.request.date = runDate(value);
             return line.request.date
                        ? QString()
                        : QStringLiteral("--date needs a date YYYY-MM-DD or a date and time "
                                         "YYYY-MM-DDTHH:MM, not '%1'")
                              .arg(value);
         }},
        {QCommandLineOption(QStringLiteral("list-sheets"),
                            QStringLiteral("list the products of the sheet database that match "
                                           "[TEXT], and exit")),
         [](CommandLine &line, const QString &) {
             line.listSheets = QString();
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("o"),
                            QStringLiteral("write the run to FILE: a PDF, or NAME.png or NAME.svg "
                                           "for NAME-0001.png, ... a page each; - is standard "
                                           "output"),
                            QStringLiteral("FILE")),
         [](CommandLine &line, const QString &value) {
             line.request.output = value;
             return value.isEmpty() ? QStringLiteral("-o needs a file name") : QString();
         }},
        {QCommandLineOption(QStringLiteral("dpi"),
                            QStringLiteral("the resolution of PNG pages (-o NAME.png), from 72 to "
                                           "1200 (default 300)"),
                            QStringLiteral("N")),
         [](CommandLine &line, const QString &value) {
             const std::optional<std::int32_t> dpi = pageCount(value);
             if (!dpi || *dpi < 72 || *dpi > 1200)
                 return QStringLiteral("--dpi needs a whole number from 72 to 1200, not '%1'")
                     .arg(value);
             line.request.dotsPerInch = *dpi;
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("P"),
                            QStringLiteral("send the run to the print queue QUEUE"),
                            QStringLiteral("QUEUE")),
         [](CommandLine &line, const QString &value) {
             line.request.queue = value;
             return value.isEmpty() ? QStringLiteral("-P needs a queue name") : QString();
         }},
        {QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("show this help")),
         [](CommandLine &line, const QString &) {
             line.help = true;
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("version"), QStringLiteral("show the version")),
         [](CommandLine &line, const QString &) {
             line.version = true;
             return QString();
         }},
    };
    return options;
}

// "-o FILE" or "--pages N", as the help shows an option.
QString optionSynopsis(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &name : option.names())
        names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    QString synopsis = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        synopsis += QLatin1Char(' ') + option.valueName();
    return synopsis;
}

} // namespace

QString usageText()
{
    QString text =
        QStringLiteral("Usage: paginette-print [OPTION]... (-o OUT.pdf | -P QUEUE) DOCUMENT.pgt\n"
                       "       paginette-print --list-sheets [TEXT]\n"
                       "Prints pages 1 to N of a Paginette document at 360 dpi, every number\n"
                       "advanced on each page, to a PDF file or to a print queue. A DOCUMENT of\n"
                       "- is read from standard input. An existing file is replaced only by a\n"
                       "whole run. Every printed run is added to the print log.\n"
                       "\n");
    for (const ToolOption &entry : toolOptions()) {
        text += QStringLiteral("  %1  %2\n")
                    .arg(optionSynopsis(entry.option), -19)
                    .arg(entry.option.description());
    }
    text +=
        QStringLiteral("\nBefore the run it names, on standard error, numbers that outgrow their\n"
                       "width, objects outside the printable area and values that the print\n"
                       "log says were printed before.\n"
                       "\nExit status: 0 printed, 1 document or output error (or values printed\n"
                       "before, with --fresh-only), 2 usage error or a range outside the run,\n"
                       "3 the shared print log refused the run, or could not be reached\n"
                       "(without --offline-ok),\n"
                       "128+N stopped by signal N.\n");
    return text;
}

QString versionText()
{
    return QStringLiteral("paginette-print " PAGINETTE_VERSION "\n");
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    for (const ToolOption &entry : toolOptions())
        parser.addOption(entry.option);
    if (!parser.parse(arguments)) {
        line.error = parser.errorText();
        return line;
    }
    for (const ToolOption &entry : toolOptions()) {
        const QStringList values = parser.values(entry.option);
        if (parser.isSet(entry.option) && line.error.isEmpty())
            line.error = entry.apply(line, values.isEmpty() ? QString() : values.constLast());
    }
    if (line.help || line.version || !line.error.isEmpty())
        return line;

    const QStringList documents = parser.positionalArguments();
    if (line.listSheets) {
        line.listSheets = documents.join(QLatin1Char(' '));
        return line;
    }
    const PrintRequest &request = line.request;
    if (request.output.isEmpty() == request.queue.isEmpty())
        line.error = QStringLiteral("give either -o OUT.pdf or -P QUEUE");
    else if (documents.size() != 1)
        line.error = documents.isEmpty() ? QStringLiteral("no document given")
                                         : QStringLiteral("give one document");
    else
        line.request.document = documents.first();
    return line;
}

PrintPlan runPlan(const PrintRequest &request, std::int32_t pages, const QString &printer)
{
    PrintPlan plan = wholeRun(pages);
    if (request.range) {
        plan.first = request.range->first;
        plan.last = request.range->last;
    }
    plan.copies = request.copies;
    plan.collate = request.collate;
    plan.lastPageFirst = request.reverse;
    plan.firstCell = request.firstCell;
    plan.sides = request.sides;
    plan.backsReversed = request.backsReversed;
    if (request.printerProfile) {
        const CalibrationStore store;
        plan.calibration = store.load(printer);
        plan.backCalibration = store.load(printer, Side::Back);
    }
    // What the command line says of the print holds for both sides.
    for (Calibration *calibration : {&plan.calibration, &plan.backCalibration}) {
        if (request.offset) {
            calibration->offsetX = request.offset->x();
            calibration->offsetY = request.offset->y();
        }
        if (request.scale) {
            calibration->scaleX = request.scale->x();
            calibration->scaleY = request.scale->y();
        }
    }
    return plan;
}
