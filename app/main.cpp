#include "desktopfeedback.h"
#include "filenames.h"
#include "launchoptions.h"
#include "mainwindow.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>

#include <cstdio>

namespace {

// The application icon at every size the resource carries.
QIcon applicationIcon()
{
    QIcon icon;
    QDirIterator png(QStringLiteral(":/icons"), {QStringLiteral("paginette.png")}, QDir::Files,
                     QDirIterator::Subdirectories);
    while (png.hasNext())
        icon.addFile(png.next());
    return icon;
}

} // namespace

int main(int argc, char **argv)
{
    // --help and --version answer before anything needs a display. Qt's own
    // options (-platform, -style...) are taken out only by QApplication, so
    // the command line is read again once it exists.
    const LaunchOptions early = parseLaunchOptions(argc, argv);
    if (early.help || early.version) {
        std::fputs((early.help ? launchUsage() : launchVersion()).toLocal8Bit().constData(),
                   stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Paginette"));
    // The desktop entry's name: the shell matches the windows to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("paginette"));
    QApplication::setWindowIcon(applicationIcon());
    ErrorDisplay errorDisplay;
    app.installEventFilter(&errorDisplay);

    // A command line the program cannot follow is told about, and the
    // program starts as it would without one. QApplication has taken its
    // own options out of argv.
    const LaunchOptions options = parseLaunchOptions(argc, argv);
    if (!options.error.isEmpty())
        std::fprintf(stderr, "paginette: %s\n%s", nativeFileName(options.error).constData(),
                     launchUsage().toLocal8Bit().constData());

    AppState state;
    MainWindow window(state.context(desktopFeedback()));
    window.start();
    if (!options.document.isEmpty())
        window.openDocument(absoluteFileName(options.document));
    QApplication::exec();
    return 0;
}
