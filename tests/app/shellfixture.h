#pragma once

#include "appservices.h"
#include "documentstate.h"
#include "pagerenderer.h"
#include "preferences.h"
#include "renderstate.h"
#include "servicesrecorder.h"
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
        // Boxes as the program computes them, for the tests that click on objects.
        recorder.layoutStep = [](DocumentState &doc) {
            layoutPass(doc, theViewState().scrollOffset());
        };
        if (!preferences.isNull()) {
            QFile file(dir.filePath(QStringLiteral("pgtpc.ini")));
            if (file.open(QIODevice::WriteOnly))
                file.write(preferences);
        }
        theShellState() = ShellState{};
        thePreferences() = prefStruct{};
        theViewState() = ViewState{};
        theRenderState() = RenderState{};

        frame = std::make_unique<TForm1>(AppContext{
            theDocument(), theShellState(), theRenderState(), theViewState(), thePreferences()});
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

    QTemporaryDir dir;
    ServicesRecorder recorder;
    std::unique_ptr<TForm1> frame;
    QList<QByteArray> modals;
    QList<QUrl> opened;
    bool openSucceeds = true;

private:
    QByteArray m_savedTmpdir;
};

// docOpen, docNamed and docModified, to compare in one step.
inline QList<int> docFlags()
{
    const ShellState &shell = theShellState();
    return {shell.docOpen, shell.docNamed, shell.docModified};
}

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
