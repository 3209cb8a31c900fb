#pragma once

#include "commands/printcommands.h"
#include "documentbuilder.h"
#include "feedbackrecorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

// The height of the document window the print commands scroll in.
constexpr std::int32_t windowHeight = 479;

// The print commands over their own document with one number, `pages` Pages
// and page 2 shown; dialogs answered by the test, runs written to out.pdf;
// settings and print log in a folder of their own.
struct PrintBench
{
    // A blocked log has a file where its folder should be.
    explicit PrintBench(std::int32_t pages = 3, bool logBlocked = false)
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
        QFile blocker(home.filePath(QStringLiteral("data")));
        if (logBlocked)
            blocker.open(QIODevice::WriteOnly);
        Document doc = emptyDocument(20);
        addNumber(doc, 72, 72, 125, 5);
        doc.pagesToPrint = pages;
        doc.pageShown = 2;
        editor.replace(doc);
        session.docOpen = true;
        render.printerResolution = 300; // as left by an earlier run on another printer
        PrintFrameHooks hooks;
        hooks.redraw = [this] {
            ++redraws;
        };
        hooks.documentWindowHeight = [] {
            return windowHeight;
        };
        commands = std::make_unique<PrintCommands>(editor, session, render, view,
                                                   recorder.feedback(), hooks, &frame);

        dialogs.print = [this](QPrinter &printer, std::int32_t, PrintChoices &) {
            ++printDialogs;
            printer.setOutputFileName(output);
            // A dialog may leave the printer at another resolution.
            printer.setResolution(600);
            if (range.size() == 2) {
                printer.setPrintRange(QPrinter::PageRange);
                printer.setFromTo(range[0], range[1]);
            }
            printer.setCopyCount(copies);
            printer.setCollateCopies(collate);
            return confirm;
        };
        dialogs.pageSetup = [this](QPrinter &printer) {
            printer.setPageOrientation(QPageLayout::Landscape);
            return confirm;
        };
        dialogs.progress = [this](std::int32_t) {
            ++progressDialogs;
            return [this](std::int32_t page, std::int32_t) {
                shownWhileRunning.append(editor.document().pageShown);
                return page != cancelAt;
            };
        };
        dialogs.confirm = [this](const QString &text, const QString &caption) {
            warnings.append({text, caption});
            return passWarnings;
        };
        dialogs.choose = [this](const QString &text, const QString &caption,
                                const QString &button) {
            choices.append({caption, text, button});
            return goOn;
        };
        commands->setDialogs(dialogs);
    }

    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files); }
    QString logPath() const
    {
        return home.filePath(QStringLiteral("data/paginette/print-log.csv"));
    }

    QTemporaryDir home;
    QTemporaryDir dir;
    QString output = dir.filePath(QStringLiteral("out.pdf"));
    QWidget frame;
    FeedbackRecorder recorder;
    Session session;
    DocumentEditor editor{session};
    RenderState render;
    ViewState view;
    PrintDialogs dialogs;
    std::unique_ptr<PrintCommands> commands;
    bool confirm = true;
    int cancelAt = 0;
    QList<int> range; // from and to, set in the print dialog
    int copies = 1;
    bool collate = true;
    bool passWarnings = true;
    int printDialogs = 0;
    int redraws = 0;
    int progressDialogs = 0;
    QList<std::int32_t> shownWhileRunning; // the page shown, as each sheet starts
    QList<FeedbackRecorder::Message> warnings;
    // The choices offered, each its caption, text and the button that goes on.
    QList<QStringList> choices;
    bool goOn = true;
};
