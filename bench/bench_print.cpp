// Times paginette-print's print path against Qt's own floor: the same texts
// on the same pages drawn with plain QPainter::drawText calls into a
// QPdfWriter at 360 dpi, one QFont made per text. Each run is a child
// process of its own, so that its peak memory is its own. Prints, for 1,000
// and 10,000 pages, both times, their ratio and both peaks.

#include "commandline.h"
#include "documentfile.h"
#include "printerjob.h"
#include "printtool.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>

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
constexpr int columns = 4;
constexpr int rows = 5;
constexpr std::int16_t fontSize = 14;
constexpr std::int16_t digits = 5;
constexpr int scale = printerDotsPerInch / 72;
// The em of Arial whose cell (ascent plus descent) is fontSize * scale dots.
constexpr int baselinePixelSize = 61;
constexpr int baselineAscent = 55; // of that em, so both draw at one place

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

// 20 five-digit numbers in Arial 14, four columns of five.
QList<Number> numbers()
{
    QList<Number> result;
    for (int i = 0; i < columns * rows; ++i)
        result.append({72 + (i % columns) * 108, 72 + (i / columns) * 54, 10000 + i * 3000});
    return result;
}

QString saveDocument(const QString &path)
{
    const QList<Number> all = numbers();
    Document doc = emptyDocument(static_cast<std::int32_t>(all.size()));
    for (const Number &number : all) {
        PageObject object;
        object.x = number.x;
        object.y = number.y;
        object.start = number.start;
        object.stepPage = 1;
        object.digits = digits;
        object.fontSize = fontSize;
        object.fontName = QStringLiteral("Arial");
        doc.drawOrder.append(doc.count());
        doc.objects.append(object);
    }
    return ::saveDocument(doc, {}, path).isEmpty() ? path : QString();
}

// The paper the tool prints a PDF file on.
QPageLayout toolPageLayout()
{
    QPrinter printer(QPrinter::HighResolution);
    return printer.pageLayout();
}

Times runTool(const QString &folder, int pages)
{
    const QString document = saveDocument(folder + QStringLiteral("/run.pgt"));
    PrintRequest request;
    request.pages = pages;
    request.output = folder + QStringLiteral("/tool.pdf");
    request.document = document;
    ToolReport report;
    report.message = [](const QString &text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    };
    const Stopwatch stopwatch;
    if (printDocument(request, report) != exitPrinted)
        std::exit(1);
    return stopwatch.read();
}

Times runBaseline(const QString &folder, int pages)
{
    const QList<Number> all = numbers();
    const QPageLayout layout = toolPageLayout();
    const Stopwatch stopwatch;
    QPdfWriter writer(folder + QStringLiteral("/baseline.pdf"));
    writer.setPageLayout(layout);
    writer.setResolution(printerDotsPerInch);
    QPainter painter(&writer);
    for (int page = 1; page <= pages; ++page) {
        for (const Number &number : all) {
            QFont font(QStringLiteral("Arial"));
            font.setPixelSize(baselinePixelSize);
            painter.setFont(font);
            const QString text =
                QString::number(number.start + page - 1).rightJustified(digits, QLatin1Char('0'));
            painter.drawText(QPoint(number.x * scale, number.y * scale + baselineAscent), text);
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
    if (fields.size() != 2)
        std::exit(1);
    return {{fields[0].toDouble(), fields[1].toDouble()}, usage.ru_maxrss / 1024.0};
}

// The fastest of a few runs, by processor time: other work on the machine
// slows a run down, never speeds it up. Memory is the largest peak.
Figures bestOf(const char *self, const char *phase, int pages)
{
    Figures best;
    for (int run = 0; run < repeats; ++run) {
        const Figures figures = runChild(self, phase, pages);
        if (run == 0 || figures.times.cpu < best.times.cpu)
            best.times = figures.times;
        best.peakMegabytes = std::max(best.peakMegabytes, figures.peakMegabytes);
    }
    return best;
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
        const int pages = std::atoi(argv[2]);
        const Times times = qstrcmp(argv[1], "tool") == 0 ? runTool(folder.path(), pages)
                                                          : runBaseline(folder.path(), pages);
        std::printf("%.6f %.6f\n", times.wall, times.cpu);
        return 0;
    }

    std::printf("20 five-digit numbers in Arial 14 per page, to PDF at %d dpi; "
                "processor seconds (clock seconds), best of %d runs\n",
                printerDotsPerInch, repeats);
    std::printf("%7s %18s %18s %7s %12s %10s\n", "pages", "baseline", "tool", "ratio",
                "baseline MB", "tool MB");
    Figures tool[2];
    for (int size = 0; size < 2; ++size) {
        const int pages = size == 0 ? 1000 : 10000;
        const Figures baseline = bestOf(argv[0], "baseline", pages);
        tool[size] = bestOf(argv[0], "tool", pages);
        std::printf("%7d %8.2f (%6.2f) %8.2f (%6.2f) %7.2f %12.1f %10.1f\n", pages,
                    baseline.times.cpu, baseline.times.wall, tool[size].times.cpu,
                    tool[size].times.wall, tool[size].times.cpu / baseline.times.cpu,
                    baseline.peakMegabytes, tool[size].peakMegabytes);
        std::fflush(stdout);
    }
    std::printf("tool, 10000 pages against 1000: processor time %.2f times ten times, "
                "peak memory %.2f times\n",
                tool[1].times.cpu / (10 * tool[0].times.cpu),
                tool[1].peakMegabytes / tool[0].peakMegabytes);
    return 0;
}
