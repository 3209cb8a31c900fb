// paginette-print: prints a Paginette document without the desktop.

#include "commandline.h"
#include "filenames.h"
#include "printtool.h"
#include "sheetoptions.h"
#include "stopsignals.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A file's name comes out as the bytes it came in with.
void writeLine(std::FILE *stream, const QString &text)
{
    std::fputs(nativeFileName(text).constData(), stream);
    std::fputc('\n', stream);
}

// Qt's own chatter (platform notes, font fallbacks) is not for the user of a
// batch tool.
void quietQt(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        writeLine(stderr, text);
}

// Stops the run between two pages when a signal asks, so that the spool goes
// and nothing half-done is left behind. Shows the page on a terminal, a few
// times a second.
PrintProgress progressOnStderr()
{
    const bool terminal = isatty(STDERR_FILENO) != 0;
    auto shown = std::make_shared<QElapsedTimer>();
    return [terminal, shown](std::int32_t page, std::int32_t pages) {
        if (terminal && (!shown->isValid() || shown->elapsed() >= 100 || page == pages)) {
            std::fprintf(stderr, "\rpaginette-print: page %d of %d", page, pages);
            if (page == pages)
                std::fputc('\n', stderr);
            shown->start();
        }
        return stopSignal() == 0;
    };
}

// Whether descriptor `fd` is open.
bool isOpen(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

// Puts /dev/null where standard input, output or error is closed, so that
// no file the tool opens later takes their number and receives what is
// meant for them.
void fillClosedStandardDescriptors()
{
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (!isOpen(fd))
            ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    }
}

} // namespace

int main(int argc, char **argv)
{
    const bool standardOutputOpen = isOpen(STDOUT_FILENO);
    fillClosedStandardDescriptors();
    // Read before Qt starts, so that the help, the version and usage errors
    // need no display; names keep bytes that are not UTF-8.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(fileNameFromNative(argv[i]));
    const CommandLine line = parseCommandLine(arguments);
    if (line.help || line.version) {
        std::fputs((line.help ? usageText() : versionText()).toLocal8Bit().constData(), stdout);
        return exitPrinted;
    }
    if (!line.error.isEmpty()) {
        writeLine(stderr, QStringLiteral("paginette-print: ") + line.error);
        std::fputs(usageText().section(QLatin1Char('\n'), 0, 0).toLocal8Bit().constData(), stderr);
        std::fputs("\nTry 'paginette-print --help' for more.\n", stderr);
        return exitUsage;
    }
    if (line.listSheets) {
        return listSheets(
            *line.listSheets, installedSheetFolder,
            [](const QString &text) { writeLine(stdout, text); },
            [](const QString &text) {
                writeLine(stderr, QStringLiteral("paginette-print: ") + text);
            });
    }
    if (line.request.output == QLatin1String("-") && !standardOutputOpen) {
        writeLine(stderr, QStringLiteral("paginette-print: standard output is closed"));
        return exitFailed;
    }
    catchStopSignals();

    // No display is needed: the pages are drawn off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietQt);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("paginette-print"));

    ToolReport report;
    report.message = [](const QString &text) {
        writeLine(stderr, QStringLiteral("paginette-print: ") + text);
    };
    report.progress = progressOnStderr();
    return printDocument(line.request, report);
}
