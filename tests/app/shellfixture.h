#pragma once

#include "documenteditor.h"
#include "feedbackrecorder.h"
#include "preferences.h"
#include "renderstate.h"
#include "shellstate.h"
#include "tform1.h"
#include "viewstate.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

// The program as main() assembles it, with a fresh preferences folder, the
// message boxes recorded, modal windows recorded instead of shown (file
// dialogs and the message dialog excepted), and errors captured.
class ShellFixture
{
public:
    explicit ShellFixture(const QByteArray &preferences = QByteArray())
        : m_savedTmpdir(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", QFile::encodeName(dir.path()));
        if (!preferences.isNull()) {
            QFile file(dir.filePath(QStringLiteral("pgtpc.ini")));
            if (file.open(QIODevice::WriteOnly))
                file.write(preferences);
        }
        frame = std::make_unique<TForm1>(
            AppContext{editor, shell, render, view, prefs, recorder.feedback()});
        frame->createWindows();
        ShellHooks hooks;
        hooks.runModal = [this](QDialog &dialog) {
            modals.append(dialog.metaObject()->className());
        };
        hooks.openUrl = [this](const QUrl &url) {
            opened.append(url);
            return openSucceeds;
        };
        frame->setHooks(hooks);
        frame->FormShow();
    }

    ~ShellFixture()
    {
        frame.reset();
        qputenv("TMPDIR", m_savedTmpdir);
    }

    ShellFixture(const ShellFixture &) = delete;
    ShellFixture &operator=(const ShellFixture &) = delete;

    QString path(const QString &name) const { return dir.filePath(name); }
    // The files in the preferences folder, which is also where tests save.
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files); }

    const Document &doc() const { return editor.document(); }
    // docOpen, docNamed and docModified, to compare in one step.
    QList<int> docFlags() const { return {shell.docOpen, shell.docNamed, shell.docModified}; }

    QTemporaryDir dir;
    FeedbackRecorder recorder;
    ShellState shell;
    RenderState render;
    ViewState view;
    prefStruct prefs{};
    DocumentEditor editor{shell};
    std::unique_ptr<TForm1> frame;
    QList<QByteArray> modals;
    QList<QUrl> opened;
    bool openSucceeds = true;

private:
    QByteArray m_savedTmpdir;
};

// A test class that drives the whole program, built afresh for each test function.
class ShellTest : public QObject
{
protected:
    // True once the frame is on screen.
    bool startShell(const QByteArray &preferences = QByteArray())
    {
        m_shell = std::make_unique<ShellFixture>(preferences);
        m_frame = m_shell->frame.get();
        return QTest::qWaitForWindowExposed(m_frame);
    }

    void stopShell()
    {
        m_frame = nullptr;
        m_shell.reset();
    }

    std::unique_ptr<ShellFixture> m_shell;
    TForm1 *m_frame = nullptr;
};
