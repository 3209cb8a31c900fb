#include "desktopbrowser.h"

#include <QProcess>
#include <QUrl>

void openInDesktop(QObject *owner, const QUrl &url, std::function<void()> notOpened)
{
    // xdg-open says by its exit status whether it found a program; Qt's own
    // opener reports only that xdg-open started.
    auto *opener = new QProcess(owner);
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    // Tied to the owner: an opener killed as the owner goes reports nothing.
    QObject::connect(opener, &QProcess::finished, owner,
                     [opener, notOpened](int exitCode, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || exitCode != 0)
                             notOpened();
                         opener->deleteLater();
                     });
    QObject::connect(opener, &QProcess::errorOccurred, owner,
                     [opener, notOpened](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         notOpened();
                         opener->deleteLater();
                     });
    opener->start(QStringLiteral("xdg-open"), {url.toString()});
}
