#pragma once

#include "dialogs/aboutdialog.h"
#include "documenteditor.h"
#include "documentwindow.h"
#include "feedbackrecorder.h"
#include "mainwindow.h"
#include "pagespinbox.h"
#include "preferences.h"
#include "properties/objectpropertieswindow.h"
#include "renderstate.h"
#include "session.h"
#include "sheetdatabase.h"
#include "viewstate.h"

#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include <memory>

// The program as main() assembles it, on a state of its own, with a fresh
// preferences folder, the message boxes recorded, modal windows and the
// splash recorded instead of shown (file dialogs and the message dialog
// excepted), and errors captured.
class ShellFixture : public AppState
{
public:
    explicit ShellFixture(const QByteArray &preferences = QByteArray())
        : m_savedTmpdir(qgetenv("TMPDIR")), m_savedConfigHome(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("TMPDIR", QFile::encodeName(dir.path()));
        // The settings, window places among them, are the fixture's own.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
        if (!preferences.isNull()) {
            QFile file(dir.filePath(QStringLiteral("pgtpc.ini")));
            if (file.open(QIODevice::WriteOnly))
                file.write(preferences);
        }
        frame = std::make_unique<MainWindow>(context(recorder.feedback()));
        ShellHooks hooks;
        hooks.runModal = [this](QDialog &dialog) {
            modals.append(dialog.metaObject()->className());
        };
        hooks.showSplash = [this](AboutDialog &) {
            splashes.append(frame->isVisible());
        };
        hooks.openUrl = [this](const QUrl &url, const std::function<void()> &notOpened) {
            opened.append(url);
            if (!openSucceeds)
                notOpened();
        };
        frame->setHooks(hooks);
        frame->start();
    }

    ~ShellFixture()
    {
        frame.reset();
        qputenv("TMPDIR", m_savedTmpdir);
        qputenv("XDG_CONFIG_HOME", m_savedConfigHome);
    }

    ShellFixture(const ShellFixture &) = delete;
    ShellFixture &operator=(const ShellFixture &) = delete;

    QString path(const QString &name) const { return dir.filePath(name); }
    // The files in the preferences folder, which is also where tests save.
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files); }

    const Document &doc() const { return editor.document(); }
    // docOpen, docNamed and docModified, to compare in one step.
    QList<bool> docFlags() const
    {
        return {session.docOpen, session.docNamed, session.docModified};
    }

    QTemporaryDir dir;
    FeedbackRecorder recorder;
    std::unique_ptr<MainWindow> frame;
    QList<QByteArray> modals;
    // A splash shown, each noting whether the frame was on screen beneath it.
    QList<bool> splashes;
    QList<QUrl> opened;
    bool openSucceeds = true;

private:
    QByteArray m_savedTmpdir;
    QByteArray m_savedConfigHome;
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

    // The main window's child named `name`; a missing one ends the test run,
    // as the name in the code has changed.
    template <typename T = QAction> T *child(const char *name) const
    {
        T *found = m_frame->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("The main window has no %s named %s", T::staticMetaObject.className(), name);
        return found;
    }
    QAction *action(const char *name) const { return child<QAction>(name); }
    // The main window's title as the desktop shows it, the document's joined in.
    QString shownTitle() const { return m_frame->windowHandle()->title(); }
    static QString titleOf(const QString &document)
    {
        return QStringLiteral("Paginette - [%1]").arg(document);
    }
    QLineEdit *pagesEdit() const { return child<QLineEdit>("pagesEdit"); }
    PageSpinBox *pageSpinBox() const { return child<PageSpinBox>("pageSpinBox"); }
    DocumentWindow *documentWindow() const { return m_frame->documentWindow(); }
    // Whether a press on the page places an object of `kind`.
    bool placing(std::int32_t kind) const
    {
        return m_shell->session.editMode == ModePlace && m_shell->session.placeKind == kind;
    }
    ObjectPropertiesWindow *objectProperties() const { return m_frame->objectProperties(); }
    // The Object Properties window's tabs, and the tab named `name`.
    QTabWidget *propertyTabs() const { return child<QTabWidget>("tabs"); }
    QWidget *propertyTab(const char *name) const { return child<QWidget>(name); }

    std::unique_ptr<ShellFixture> m_shell;
    MainWindow *m_frame = nullptr;
};
