// Times paginette-print's print path against Qt's plain floor: the same
// texts on the same pages drawn with plain QPainter::drawText calls, one font
// set once, into a QPdfWriter at 360 dpi. The tool prints a page of 20 bare
// numbers, a page of the same numbers formatted (prefix, suffix with {last},
// repeat, check characters, base 36), a page of bare numbers as wide as the
// formatted texts, which sets as many glyphs without any format, and a page
// of 20 QR codes of them; then the bare numbers over a one-page PDF form,
// over a form of 36 pages and over a PNG, as `--background` puts them. Each
// run is a child process of its own, so that its peak memory is its own.
// Prints, for 1,000 and 10,000 pages, the processor seconds of each (best of
// three), their ratios, the peaks and the files' sizes.

#include "commandline.h"
#include "file/documentfile.h"
#include "handfloor.h"
#include "numbering.h"
#include "outputs/printer.h"
#include "printtool.h"
#include "run/printrun.h"
#include "sheetdatabase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>

#include <zint.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int repeats = 3;
constexpr double qrModule = 1.5; // points
constexpr int columns = 4;
constexpr int rows = 5;
constexpr std::int16_t fontSize = 14;
constexpr std::int16_t digits = 5;
constexpr int scale = printerDotsPerInch / 72;
// The em of Arial whose cell (ascent plus descent) is fontSize * scale dots.
constexpr int floorPixelSize = 61;
constexpr int floorAscent = 55; // of that em, so both draw at one place

// Seconds on the clock and of processor time (user and system) of this process.
struct Times
{
    double wall = 0;
    double cpu = 0;
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) {
        return double(t.tv_sec) + t.tv_usec / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

class Stopwatch
{
public:
    Stopwatch() : m_cpu(cpuSeconds()) { m_wall.start(); }
    Times read() const { return {m_wall.nsecsElapsed() / 1e9, cpuSeconds() - m_cpu}; }

private:
    QElapsedTimer m_wall;
    double m_cpu;
};

struct Number
{
    std::int32_t x;
    std::int32_t y;
    std::int32_t start;
};

// What a page of the tool carries.
enum class Page
{
    Digits,
    Formatted,
    // Bare numbers with as many digits as the formatted texts have characters.
    FormattedWidths,
    QrCodes,
};

// 20 five-digit numbers in Arial 14, four columns of five.
QList<Number> numbers()
{
    QList<Number> result;
    for (int i = 0; i < columns * rows; ++i)
        result.append({72 + (i % columns) * 108, 72 + (i / columns) * 54, 10000 + i * 3000});
    return result;
}

// Formats of every kind, in turn over the numbers of a page.
NumberFormat formatOf(int index)
{
    switch (index % 4) {
    case 0:
        return {.prefix = QStringLiteral("No. "), .suffix = QStringLiteral(" of {last}")};
    case 1:
        return {.repeat = 3, .check = CheckDigit::Luhn};
    case 2:
        return {.check = CheckDigit::Mod11, .autoWidth = true};
    default:
        return {.prefix = QStringLiteral("{page}-"), .system = NumberSystem::Base36};
    }
}

Document benchDocument(Page page, int pages)
{
    const QList<Number> all = numbers();
    Document doc = emptyDocument(static_cast<std::int32_t>(all.size()));
    for (const Number &number : all) {
        PageObject object;
        if (page == Page::Formatted || page == Page::FormattedWidths)
            object.format = formatOf(doc.count());
        if (page == Page::QrCodes)
            object.format.barcode =
                BarcodeStyle{.symbology = Symbology::Qr, .moduleWidth = qrModule};
        object.x = number.x;
        object.y = number.y;
        object.start = number.start;
        object.stepPage = 1;
        object.digits = digits;
        if (page == Page::FormattedWidths) {
            object.digits = static_cast<std::int16_t>(
                numberText(object.start, object.stepPage, object.digits, object.format, 1, pages)
                    .size());
            object.format = {};
        }
        object.fontSize = fontSize;
        object.fontName = QStringLiteral("Arial");
        doc.drawOrder.append(doc.count());
        doc.objects.append(object);
    }
    doc.pagesToPrint = pages;
    return doc;
}

QString saveDocument(const QString &path, Page page, int pages)
{
    return ::saveDocument(benchDocument(page, pages), {}, path).isEmpty() ? path : QString();
}

// The paper the tool prints a PDF file on.
QPageLayout toolPageLayout()
{
    QPrinter printer(QPrinter::HighResolution);
    return printer.pageLayout();
}

// An A4 form of `pages` pages of text and lines, as a form made elsewhere
// would be.
QString writeForm(const QString &folder, int pages)
{
    const QString path = folder + QStringLiteral("/form.pdf");
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    QPainter painter(&writer);
    painter.setFont(QFont(QStringLiteral("Liberation Serif"), 11));
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            writer.newPage();
        for (int row = 0; row < 40; ++row) {
            painter.drawText(QPointF(40, 60 + row * 18),
                             QStringLiteral("Admit one to the hall, page %1, row %2, this form "
                                            "made elsewhere")
                                 .arg(page)
                                 .arg(row + 1));
            painter.drawLine(QPointF(40, 64 + row * 18), QPointF(550, 64 + row * 18));
        }
    }
    return path;
}

QString writeLogo(const QString &folder)
{
    const QString path = folder + QStringLiteral("/logo.png");
    QImage logo(600, 400, QImage::Format_RGB32);
    logo.fill(Qt::white);
    QPainter painter(&logo);
    painter.setPen(QPen(Qt::darkBlue, 12));
    painter.drawEllipse(QRect(40, 40, 520, 320));
    return painter.end() && logo.save(path) ? path : QString();
}

enum class Background
{
    None,
    Form,
    Forms, // of 36 pages
    Logo,
};

// Prints `document` as paginette-print does, `pages` pages of it, on the
// product `sheet` of the sheet database when one is named.
Times printTimed(const QString &folder, const QString &document, int pages,
                 Background background = Background::None, const QString &sheet = {},
                 PrintedSides sides = PrintedSides::Both)
{
    PrintRequest request;
    request.pages = pages;
    request.sheet = sheet;
    request.sides = sides;
    request.output = folder + QStringLiteral("/tool.pdf");
    request.document = document;
    if (background == Background::Form || background == Background::Forms)
        request.background = writeForm(folder, background == Background::Forms ? 36 : 1);
    else if (background == Background::Logo)
        request.background = writeLogo(folder);
    ToolReport report;
    report.message = [](const QString &text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    };
    const Stopwatch stopwatch;
    if (printDocument(request, report) != exitPrinted)
        std::exit(1);
    return stopwatch.read();
}

Times runTool(const QString &folder, int pages, Page page, Background background = Background::None)
{
    return printTimed(folder, saveDocument(folder + QStringLiteral("/run.pgt"), page, pages), pages,
                      background);
}

// One number per label of an Avery 5160 sheet, `labels` labels, printed as
// `paginette-print --sheet "Avery 5160"` prints them, the product looked up
// inside the clock; or with `direct`, the same 30 numbers placed on a page in
// the sheet's cells, as many pages as the labels take sheets.
Times runLabels(const QString &folder, int labels, bool direct)
{
    const QString product = QStringLiteral("Avery 5160");
    const std::optional<SheetLayout> sheet = SheetDatabase::lookUp(installedSheetFolder, product);
    if (!sheet) {
        std::fprintf(stderr, "glabels-data is not installed\n");
        std::exit(1);
    }
    Document doc = emptyDocument(sheet->cellCount());
    const int cells = direct ? sheet->cellCount() : 1;
    for (int cell = 0; cell < cells; ++cell) {
        PageObject object;
        const QPointF corner = direct ? sheet->cellRect(cell).topLeft() : QPointF();
        object.x = static_cast<std::int32_t>(corner.x()) + 5;
        object.y = static_cast<std::int32_t>(corner.y()) + 5;
        object.start = 10000 + cell * 1000;
        object.digits = digits;
        object.fontSize = fontSize;
        object.fontName = QStringLiteral("Arial");
        doc.drawOrder.append(doc.count());
        doc.objects.append(object);
    }
    const int pages = direct ? int(sheetsFor(*sheet, 1, labels)) : labels;
    const QString document = folder + QStringLiteral("/labels.pgt");
    if (!::saveDocument(doc, {}, document).isEmpty())
        std::exit(1);
    return printTimed(folder, document, pages, Background::None, direct ? QString() : product);
}

// Labels on both sides of `sheets` sheets of Avery 5160, each back a stub
// showing its front's number, or with `frontsAlone` the fronts of that run.
Times runTwoSided(const QString &folder, int sheets, bool frontsAlone)
{
    Document doc = emptyDocument(2);
    for (const Side side : {Side::Front, Side::Back}) {
        PageObject object;
        object.x = 5;
        object.y = 5;
        object.start = 100000;
        object.digits = 6;
        object.fontSize = fontSize;
        object.fontName = QStringLiteral("Arial");
        object.side = side;
        object.sameAs = side == Side::Back ? 0 : -1;
        doc.drawOrder.append(doc.count());
        doc.objects.append(object);
    }
    doc.duplex = Duplex::LongEdge;
    const QString document = folder + QStringLiteral("/twosided.pgt");
    if (!::saveDocument(doc, {}, document).isEmpty())
        std::exit(1);
    return printTimed(folder, document, sheets * 30, Background::None, QStringLiteral("Avery 5160"),
                      frontsAlone ? PrintedSides::Front : PrintedSides::Both);
}

// A floor's PDF writer: the tool's paper, at its resolution.
void setUpFloor(QPdfWriter &writer, const QPageLayout &layout)
{
    writer.setPageLayout(layout);
    writer.setResolution(printerDotsPerInch);
}

Times runFloor(const QString &folder, int pages)
{
    const QList<Number> all = numbers();
    const QPageLayout layout = toolPageLayout();
    const Stopwatch stopwatch;
    QPdfWriter writer(folder + QStringLiteral("/floor.pdf"));
    setUpFloor(writer, layout);
    QPainter painter(&writer);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(floorPixelSize);
    painter.setFont(font);
    for (int page = 1; page <= pages; ++page) {
        for (const Number &number : all) {
            const QString text =
                QString::number(number.start + page - 1).rightJustified(digits, QLatin1Char('0'));
            painter.drawText(QPoint(number.x * scale, number.y * scale + floorAscent), text);
        }
        if (page < pages)
            writer.newPage();
    }
    painter.end();
    return stopwatch.read();
}

struct Figures
{
    Times times;
    double peakMegabytes = 0;
    double fileMegabytes = 0; // of the run, and of its background when it had one
    double backgroundMegabytes = 0;
    int images = 0;  // image objects in the run's file
    int objects = 0; // objects in the run's file
};

// Runs this program again as `phase` over `pages` pages and reads the time it
// reports and the peak memory the system counted for it.
Figures runChild(const char *self, const char *phase, int pages)
{
    int channel[2];
    if (pipe(channel) != 0)
        std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, channel[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, channel[0]);
    const QByteArray count = QByteArray::number(pages);
    char *arguments[] = {const_cast<char *>(self), const_cast<char *>(phase),
                         const_cast<char *>(count.constData()), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, self, &actions, nullptr, arguments, environ) != 0)
        std::exit(1);
    posix_spawn_file_actions_destroy(&actions);
    close(channel[1]);
    QByteArray reported;
    char buffer[256];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;)
        reported.append(buffer, got);
    close(channel[0]);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the %s run over %d pages failed\n", phase, pages);
        std::exit(1);
    }
    const QList<QByteArray> fields = reported.simplified().split(' ');
    if (fields.size() != 6)
        std::exit(1);
    return {{fields[0].toDouble(), fields[1].toDouble()},
            usage.ru_maxrss / 1024.0,
            fields[2].toDouble() / (1 << 20),
            fields[3].toDouble() / (1 << 20),
            fields[4].toInt(),
            fields[5].toInt()};
}

// The fastest of a few runs, by processor time: other work on the machine
// slows a run down, never speeds it up. Memory is the largest peak.
Figures bestOf(const char *self, const char *phase, int pages)
{
    Figures best;
    for (int run = 0; run < repeats; ++run) {
        const Figures figures = runChild(self, phase, pages);
        const double peak = std::max(best.peakMegabytes, figures.peakMegabytes);
        if (run == 0 || figures.times.cpu < best.times.cpu)
            best = figures;
        best.peakMegabytes = peak;
    }
    return best;
}

// The floor of a page of QR codes: libzint's symbols drawn as plain
// rectangles, a row's dark run each, in module units under one scale, into
// a QPdfWriter at the tool's resolution, one page at a time on one thread.
Times runQrFloor(const QString &folder, int pages)
{
    const QList<Number> all = numbers();
    const QPageLayout layout = toolPageLayout();
    const Stopwatch stopwatch;
    QPdfWriter writer(folder + QStringLiteral("/floor.pdf"));
    setUpFloor(writer, layout);
    QPainter painter(&writer);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    constexpr int quiet = 4;
    for (int page = 1; page <= pages; ++page) {
        for (const Number &number : all) {
            const QByteArray text = QByteArray::number(number.start + page - 1);
            zint_symbol *symbol = ZBarcode_Create();
            symbol->symbology = BARCODE_QRCODE;
            symbol->input_mode = UNICODE_MODE;
            if (ZBarcode_Encode(symbol, reinterpret_cast<const unsigned char *>(text.constData()),
                                int(text.size())) >= ZINT_ERROR)
                std::exit(1);
            painter.save();
            painter.translate(number.x * scale, number.y * scale);
            painter.scale(qrModule * scale, qrModule * scale);
            for (int row = 0; row < symbol->rows; ++row) {
                for (int column = 0; column < symbol->width;) {
                    const auto dark = [symbol, row](int at) {
                        return (symbol->encoded_data[row][at >> 3] >> (at & 7)) & 1;
                    };
                    if (!dark(column)) {
                        ++column;
                        continue;
                    }
                    int end = column + 1;
                    while (end < symbol->width && dark(end))
                        ++end;
                    painter.drawRect(QRect(column + quiet, row + quiet, end - column, 1));
                    column = end;
                }
            }
            painter.restore();
            ZBarcode_Delete(symbol);
        }
        if (page < pages)
            writer.newPage();
    }
    painter.end();
    return stopwatch.read();
}

// A number counting from 1 a page, `digits` wide, in Arial 14.
PageObject arialNumber(int digits)
{
    PageObject number;
    number.kind = KindNumber;
    number.start = 1;
    number.digits = digits;
    number.stepPage = 1;
    number.fontName = QStringLiteral("Arial");
    number.fontSize = 14;
    return number;
}

// Prints as paginette-print does, the clock taking the run alone, which
// must end with `expected`.
Times timedPrint(const PrintRequest &request, const ToolReport &report, int expected = exitPrinted)
{
    const Stopwatch stopwatch;
    if (printDocument(request, report) != expected)
        std::exit(1);
    return stopwatch.read();
}

// The request to print `doc`, saved in `folder` as `name`, to tool.pdf there.
PrintRequest savedRequest(const QString &folder, const Document &doc, const QString &name)
{
    PrintRequest request;
    request.document = folder + QLatin1Char('/') + name;
    if (!::saveDocument(doc, {}, request.document).isEmpty())
        std::exit(1);
    request.output = folder + QStringLiteral("/tool.pdf");
    return request;
}

// A number and two texts on `pages` pages: with `fields`, the texts are a
// data file's {Name} and {Town}, a row a page; else the same words fixed.
Times runRows(const QString &folder, int pages, bool fields)
{
    Document doc = emptyDocument(8);
    const PageObject number = arialNumber(6);
    doc.objects.append(number);
    for (const QString &text : {QStringLiteral("{Name}"), QStringLiteral("{Town}")}) {
        PageObject shown = number;
        shown.kind = KindText;
        shown.y = 30 * doc.count();
        shown.text = fields ? text : text.mid(1, text.size() - 2);
        doc.objects.append(shown);
    }
    doc.drawOrder = {0, 1, 2};
    doc.pagesToPrint = pages;
    if (fields) {
        QFile data(folder + QStringLiteral("/rows.csv"));
        if (!data.open(QIODevice::WriteOnly))
            std::exit(1);
        QByteArray rows = "Name,Town\n";
        for (int row = 1; row <= pages; ++row)
            rows += "Customer" + QByteArray::number(row) + ",Lyon\n";
        data.write(rows);
        data.close();
        doc.data = DataSourceSettings{.file = QStringLiteral("rows.csv")};
    }
    const PrintRequest request = savedRequest(folder, doc, QStringLiteral("rows.pgt"));
    ToolReport report;
    report.message = [](const QString &text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    };
    return timedPrint(request, report);
}

// A number from each of `rows` rows' start column, a page a row; with
// `again`, the run is printed once untimed and the clock takes the same run
// with --fresh-only, whose check finds every row's value in the log and
// refuses it before a page.
Times runStartRows(const QString &folder, int rows, bool again)
{
    Document doc = emptyDocument(8);
    doc.objects.append(arialNumber(7));
    doc.drawOrder = {0};
    QFile data(folder + QStringLiteral("/starts.csv"));
    if (!data.open(QIODevice::WriteOnly))
        std::exit(1);
    QByteArray table = "Name,First\n";
    for (int row = 1; row <= rows; ++row)
        table += "Customer" + QByteArray::number(row) + "," + QByteArray::number(row * 10) + "\n";
    data.write(table);
    data.close();
    doc.data = DataSourceSettings{
        .file = QStringLiteral("starts.csv"),
        .counting = {{0, NumberCounting{.mode = NumberCounting::Mode::StartColumn,
                                        .startColumn = QStringLiteral("First")}}}};
    PrintRequest request = savedRequest(folder, doc, QStringLiteral("starts.pgt"));
    ToolReport report;
    report.message = [](const QString &) {
    };
    if (again && printDocument(request, report) != exitPrinted)
        std::exit(1);
    request.freshOnly = again;
    return timedPrint(request, report, again ? exitFailed : exitPrinted);
}

// The page drawn by the print loop into Qt's PDF writer, as every run was
// before the run writer: the yardstick of what the writer saves.
Times runQtEngine(const QString &folder, int pages, Page page)
{
    const Document doc = benchDocument(page, pages);
    const Stopwatch stopwatch;
    QPdfWriter writer(folder + QStringLiteral("/tool.pdf"));
    setUpFloor(writer, toolPageLayout());
    if (printRun(doc, printerDotsPerInch, true, pagedSheets(writer)).outcome !=
        PrintOutcome::Printed)
        std::exit(1);
    return stopwatch.read();
}

// The hand-written floor of the run writer: the same page, written for it
// alone with stdio and zlib.
Times runHandFloor(const QString &folder, int pages)
{
    const Stopwatch stopwatch;
    if (!writeHandFloor(QFile::encodeName(folder + QStringLiteral("/tool.pdf")).constData(), pages))
        std::exit(1);
    return stopwatch.read();
}

// The child runs, by the name the parent gives them.
Times runPhase(const char *phase, const QString &folder, int pages)
{
    if (qstrcmp(phase, "digits") == 0)
        return runTool(folder, pages, Page::Digits);
    if (qstrcmp(phase, "formatted") == 0)
        return runTool(folder, pages, Page::Formatted);
    if (qstrcmp(phase, "widths") == 0)
        return runTool(folder, pages, Page::FormattedWidths);
    if (qstrcmp(phase, "qr") == 0)
        return runTool(folder, pages, Page::QrCodes);
    if (qstrcmp(phase, "form") == 0)
        return runTool(folder, pages, Page::Digits, Background::Form);
    if (qstrcmp(phase, "forms") == 0)
        return runTool(folder, pages, Page::Digits, Background::Forms);
    if (qstrcmp(phase, "logo") == 0)
        return runTool(folder, pages, Page::Digits, Background::Logo);
    if (qstrcmp(phase, "qrfloor") == 0)
        return runQrFloor(folder, pages);
    if (qstrcmp(phase, "handfloor") == 0)
        return runHandFloor(folder, pages);
    if (qstrcmp(phase, "qtdigits") == 0 || qstrcmp(phase, "qtqr") == 0)
        return runQtEngine(folder, pages,
                           qstrcmp(phase, "qtqr") == 0 ? Page::QrCodes : Page::Digits);
    if (qstrcmp(phase, "twosided") == 0 || qstrcmp(phase, "fronts") == 0)
        return runTwoSided(folder, pages, qstrcmp(phase, "fronts") == 0);
    if (qstrcmp(phase, "labels") == 0 || qstrcmp(phase, "cells") == 0)
        return runLabels(folder, pages, qstrcmp(phase, "cells") == 0);
    if (qstrcmp(phase, "datarows") == 0 || qstrcmp(phase, "fixedrows") == 0)
        return runRows(folder, pages, qstrcmp(phase, "datarows") == 0);
    if (qstrcmp(phase, "checkrows") == 0 || qstrcmp(phase, "startrows") == 0)
        return runStartRows(folder, pages, qstrcmp(phase, "checkrows") == 0);
    return runFloor(folder, pages);
}

qint64 fileSize(const QString &path)
{
    return QFileInfo(path).size();
}

// Image objects in the PDF at `path`: Qt writes each one once, however many
// pages show it.
int imageObjects(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count("/Subtype /Image")) : 0;
}

// The objects of the PDF at `path`, from the /Size of its trailer or of the
// cross-reference stream its startxref points to, read from there and the
// file's end only: reading it whole would count in the child's peak memory.
int pdfObjects(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(std::max<qint64>(file.size() - 4096, 0)))
        return 0;
    QByteArray section = file.readAll();
    const qsizetype start = section.lastIndexOf("startxref");
    if (!section.contains("trailer")) {
        if (start < 0 ||
            !file.seek(section.mid(start + 9).trimmed().split('\n').first().toLongLong()))
            return 0;
        section = file.read(4096);
    }
    const qsizetype size = section.indexOf("/Size ");
    return size < 0 ? 0 : section.mid(size + 6, 12).split('/').first().trimmed().toInt() - 1;
}

// Runs timed against the run they are measured by, each pair printed on a
// line of its own.
struct PairedRuns
{
    const char *name; // "bench_print NAME" prints this pair alone
    const char *measured;
    const char *against;
    int count; // pages, labels or sheets
    // Takes the two processor times, their ratio, and the two peaks.
    const char *line;
};

constexpr PairedRuns pairedRuns[] = {
    {"rows", "datarows", "fixedrows", 100000,
     "100000 pages, a number and two texts: from a data file of 100000 rows, quantity 1, read "
     "inside the clock %.2f s, fixed texts %.2f s; rows %.2f times fixed; peak MB %.1f and "
     "%.1f\n"},
    {"labels", "labels", "cells", 10000,
     "10000 labels with --sheet \"Avery 5160\" (334 sheets of 30, the product looked up inside "
     "the clock): %.2f s; the same 30 numbers on 334 pages drawn directly: %.2f s; labels %.2f "
     "times the pages; peak MB %.1f and %.1f\n"},
    {"check", "checkrows", "startrows", 40000,
     "40000 rows, each a page from its own start column: the same run again with --fresh-only, "
     "its check finding every row's value in the log, %.2f s; the run printed first %.2f s; "
     "the check %.2f times the run; peak MB %.1f and %.1f\n"},
    {"twosided", "twosided", "fronts", 10000,
     "10000 sheets of Avery 5160 (300000 labels) on both sides, each back a stub showing its "
     "front's number: %.2f s; the fronts alone: %.2f s; both sides %.2f times the fronts; peak "
     "MB %.1f and %.1f\n"},
};

void printPair(const char *self, const PairedRuns &pair)
{
    const Figures measured = bestOf(self, pair.measured, pair.count);
    const Figures against = bestOf(self, pair.against, pair.count);
    std::printf(pair.line, measured.times.cpu, against.times.cpu,
                measured.times.cpu / against.times.cpu, measured.peakMegabytes,
                against.peakMegabytes);
    std::fflush(stdout);
}

// The page of bare numbers against the PDF written by hand for it, and the
// run's memory over a million pages (`bench_print writer` prints this alone).
void printWriterRows(const char *self)
{
    std::printf("the bare numbers against the same page written by hand (stdio and zlib, "
                "Helvetica), and against Qt's PDF engine drawing them as every run did before; "
                "processor seconds (clock seconds), best of %d runs\n",
                repeats);
    std::printf("%7s %15s %15s %6s %15s %6s %8s %8s %8s %6s %6s %14s %8s %8s\n", "pages",
                "hand floor", "digits", "/floor", "Qt engine", "/Qt", "hand MB", "file MB", "Qt MB",
                "/hand", "/Qt", "objects/page:", "hand", "run");
    const auto seconds = [](const Figures &figures) {
        return QStringLiteral("%1 (%2)")
            .arg(figures.times.cpu, 6, 'f', 3)
            .arg(figures.times.wall, 6, 'f', 3)
            .toStdString();
    };
    Figures digits;
    for (const int pages : {1000, 10000}) {
        const Figures floor = bestOf(self, "handfloor", pages);
        digits = bestOf(self, "digits", pages);
        const Figures qt = bestOf(self, "qtdigits", pages);
        std::printf("%7d %15s %15s %6.2f %15s %6.2f %8.2f %8.2f %8.2f %6.2f %6.2f %14s %8.2f "
                    "%8.2f\n",
                    pages, seconds(floor).c_str(), seconds(digits).c_str(),
                    digits.times.cpu / floor.times.cpu, seconds(qt).c_str(),
                    digits.times.cpu / qt.times.cpu, floor.fileMegabytes, digits.fileMegabytes,
                    qt.fileMegabytes, digits.fileMegabytes / floor.fileMegabytes,
                    digits.fileMegabytes / qt.fileMegabytes, "", double(floor.objects) / pages,
                    double(digits.objects) / pages);
        std::fflush(stdout);
    }
    const Figures qr = bestOf(self, "qr", 1000);
    const Figures qtQr = bestOf(self, "qtqr", 1000);
    std::printf("1000 pages of 20 QR codes: %s through the run writer, %s through Qt's engine: "
                "%.2f times as fast; files %.2f and %.2f MB\n",
                seconds(qr).c_str(), seconds(qtQr).c_str(), qtQr.times.cpu / qr.times.cpu,
                qr.fileMegabytes, qtQr.fileMegabytes);
    const Figures million = runChild(self, "digits", 1000000);
    std::printf("1000000 pages, one run: %s, %.1f MB file, peak %.1f MB against %.1f MB at "
                "10000 pages (%.2f times)\n",
                seconds(million).c_str(), million.fileMegabytes, million.peakMegabytes,
                digits.peakMegabytes, million.peakMegabytes / digits.peakMegabytes);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3) {
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", qPrintable(text));
        });
        QGuiApplication app(argc, argv);
        // The font database loads once per process, whoever asks first; it is
        // no part of either print path.
        QFontMetricsF(QFont(QStringLiteral("Arial"))).height();
        const QTemporaryDir folder;
        // Each run keeps its own print log: the user's holds every earlier
        // run of the bench, which each run would read before printing.
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder.path()));
        const Times times = runPhase(argv[1], folder.path(), std::atoi(argv[2]));
        const QString run = folder.filePath(QStringLiteral("tool.pdf"));
        // Only the PNG run counts its images: reading a file back would
        // count in the peak memory of the others.
        const int images = qstrcmp(argv[1], "logo") == 0 ? imageObjects(run) : 0;
        std::printf("%.6f %.6f %lld %lld %d %d\n", times.wall, times.cpu, fileSize(run),
                    fileSize(folder.filePath(QStringLiteral("form.pdf"))), images, pdfObjects(run));
        return 0;
    }

    if (argc == 2 && qstrcmp(argv[1], "writer") == 0) {
        printWriterRows(argv[0]);
        return 0;
    }
    for (const PairedRuns &pair : pairedRuns) {
        if (argc == 2 && qstrcmp(argv[1], pair.name) == 0) {
            printPair(argv[0], pair);
            return 0;
        }
    }

    std::printf("20 numbers in Arial 14 per page, to PDF at %d dpi; processor seconds "
                "(clock seconds), best of %d runs\n",
                printerDotsPerInch, repeats);
    std::printf("%6s %15s %15s %6s %15s %6s %15s %6s %15s %15s %6s %6s  %s\n", "pages", "floor",
                "digits", "/floor", "formatted", "/digits", "same widths", "/width", "QR floor",
                "QR codes", "/floor", "wall/", "peak MB: floor digits formatted QR");
    Figures digits[2];
    Figures qr[2];
    const auto seconds = [](const Figures &figures) {
        return QStringLiteral("%1 (%2)")
            .arg(figures.times.cpu, 6, 'f', 2)
            .arg(figures.times.wall, 6, 'f', 2)
            .toStdString();
    };
    for (int size = 0; size < 2; ++size) {
        const int pages = size == 0 ? 1000 : 10000;
        const Figures floor = bestOf(argv[0], "floor", pages);
        digits[size] = bestOf(argv[0], "digits", pages);
        const Figures formatted = bestOf(argv[0], "formatted", pages);
        const Figures widths = bestOf(argv[0], "widths", pages);
        const Figures qrFloor = bestOf(argv[0], "qrfloor", pages);
        qr[size] = bestOf(argv[0], "qr", pages);
        std::printf("%6d %15s %15s %6.2f %15s %6.2f %15s %6.2f %15s %15s %6.2f %6.2f  %.1f %.1f "
                    "%.1f %.1f\n",
                    pages, seconds(floor).c_str(), seconds(digits[size]).c_str(),
                    digits[size].times.cpu / floor.times.cpu, seconds(formatted).c_str(),
                    formatted.times.cpu / digits[size].times.cpu, seconds(widths).c_str(),
                    formatted.times.cpu / widths.times.cpu, seconds(qrFloor).c_str(),
                    seconds(qr[size]).c_str(), qr[size].times.cpu / qrFloor.times.cpu,
                    qr[size].times.wall / qrFloor.times.wall, floor.peakMegabytes,
                    digits[size].peakMegabytes, formatted.peakMegabytes, qr[size].peakMegabytes);
        std::fflush(stdout);
    }
    std::printf("10000 pages against 1000: digits %.2f times ten times the processor time and "
                "%.2f times the peak memory; QR codes %.2f and %.2f\n",
                digits[1].times.cpu / (10 * digits[0].times.cpu),
                digits[1].peakMegabytes / digits[0].peakMegabytes,
                qr[1].times.cpu / (10 * qr[0].times.cpu),
                qr[1].peakMegabytes / qr[0].peakMegabytes);
    const Figures digitsLong = runChild(argv[0], "digits", 100000);
    const Figures qrLong = runChild(argv[0], "qr", 100000);
    std::printf("100000 pages, one run each: digits %s, peak %.1f MB (%.2f times 1000 pages'); "
                "QR codes %s, peak %.1f MB (%.2f times)\n",
                seconds(digitsLong).c_str(), digitsLong.peakMegabytes,
                digitsLong.peakMegabytes / digits[0].peakMegabytes, seconds(qrLong).c_str(),
                qrLong.peakMegabytes, qrLong.peakMegabytes / qr[0].peakMegabytes);
    std::fflush(stdout);

    std::printf("\nthe bare numbers over a one-page PDF form, over a form of 36 pages and over "
                "a PNG (--background); processor seconds, best of %d runs\n",
                repeats);
    std::printf("%6s %8s %8s %7s %9s %9s %9s %9s %11s %8s %7s %8s %8s\n", "pages", "digits", "form",
                "/digits", "file MB", "form MB", "over MB", "/(sum)", "peaks MB", "36 pages",
                "/digits", "logo", "images");
    Figures form[2];
    for (int size = 0; size < 2; ++size) {
        const int pages = size == 0 ? 1000 : 10000;
        form[size] = bestOf(argv[0], "form", pages);
        const Figures forms = bestOf(argv[0], "forms", pages);
        const Figures logo = bestOf(argv[0], "logo", pages);
        const Figures &plain = digits[size];
        std::printf(
            "%6d %8.2f %8.2f %7.2f %9.2f %9.2f %9.2f %9.2f %5.1f %5.1f %8.2f %7.2f %8.2f "
            "%8d\n",
            pages, plain.times.cpu, form[size].times.cpu, form[size].times.cpu / plain.times.cpu,
            plain.fileMegabytes, form[size].backgroundMegabytes, form[size].fileMegabytes,
            form[size].fileMegabytes / (plain.fileMegabytes + form[size].backgroundMegabytes),
            plain.peakMegabytes, form[size].peakMegabytes, forms.times.cpu,
            forms.times.cpu / plain.times.cpu, logo.times.cpu, logo.images);
        std::fflush(stdout);
    }
    std::printf("10000 pages against 1000 over the form: %.2f times the peak memory\n",
                form[1].peakMegabytes / form[0].peakMegabytes);

    std::printf("\n");
    for (const PairedRuns &pair : pairedRuns)
        printPair(argv[0], pair);
    std::printf("\n");
    printWriterRows(argv[0]);
    return 0;
}
