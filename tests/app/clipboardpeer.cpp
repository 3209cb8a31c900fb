// One of the two programs of the clipboard test, built as main() builds the
// program, its start-up windows answered at once:
//   clipboardpeer copy FILE   opens FILE, copies every object, says "copied"
//                             and holds the clipboard until its input closes;
//   clipboardpeer paste FILE  pastes into a new document and writes it to FILE.
// What the program would tell the user goes to standard error.

#include "documentfile.h"
#include "feedbackrecorder.h"
#include "mainwindow.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Paginette"));
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3)
        return 2;
    // The preferences and the settings of the peer's own.
    const QTemporaryDir home;
    qputenv("TMPDIR", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));

    FeedbackRecorder recorder;
    Session session;
    RenderState render;
    ViewState view;
    PreferencesRecord prefs{};
    DocumentEditor editor(session);
    MainWindow window(AppContext{editor, session, render, view, prefs, recorder.feedback(),
                                 QGuiApplication::clipboard()});
    ShellHooks hooks;
    hooks.runModal = [](QDialog &) {
    };
    hooks.openUrl = [](const QUrl &, const std::function<void()> &) {
    };
    window.setHooks(hooks);
    window.start();
    recorder.messages.clear(); // the first start's own
    const auto trigger = [&window](const char *name) {
        window.findChild<QAction *>(QLatin1String(name))->trigger();
    };

    int status = 0;
    if (arguments[1] == QLatin1String("copy")) {
        window.openDocument(arguments[2]);
        trigger("selectAllAction");
        trigger("copyAction");
        std::puts("copied");
        std::fflush(stdout);
        QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(&input, &QSocketNotifier::activated, &app, [] {
            char byte;
            if (read(STDIN_FILENO, &byte, 1) <= 0)
                QApplication::quit();
        });
        status = QApplication::exec();
    } else {
        trigger("pasteAction");
        QFile file(arguments[2]);
        const QByteArray bytes = documentBytes(editor.document(), {});
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            status = 1;
    }
    for (const FeedbackRecorder::Message &message : recorder.messages)
        std::fprintf(stderr, "%s\n", qPrintable(message.first));
    return status;
}
