#pragma once

#include "application.h"
#include "documentstate.h"
#include "messagerecorder.h"
#include "preferences.h"
#include "renderstate.h"
#include "shellstate.h"
#include "tform1.h"
#include "viewstate.h"

#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
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
        theShellState() = ShellState{};
        thePreferences() = prefStruct{};
        theViewState() = ViewState{};
        theRenderState() = RenderState{};
        application()->setErrorDisplay([this](const QString &text) { errors.append(text); });

        frame = std::make_unique<TForm1>();
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
        application()->setErrorDisplay(showErrorBox);
        qputenv("TMPDIR", m_savedTmpdir);
    }

    ShellFixture(const ShellFixture &) = delete;
    ShellFixture &operator=(const ShellFixture &) = delete;

    static Application *application() { return qobject_cast<Application *>(qApp); }

    QString path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    MessageRecorder recorder;
    std::unique_ptr<TForm1> frame;
    QList<QByteArray> modals;
    QList<QUrl> opened;
    bool openSucceeds = true;
    QStringList errors;

private:
    QByteArray m_savedTmpdir;
};
