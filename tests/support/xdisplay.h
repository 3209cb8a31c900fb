#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// An X server of the test's own (Xvfb), for what needs a real display: the
// clipboard between two programs. Programs started in environment() show
// their windows on it.
class XDisplay
{
public:
    XDisplay()
    {
        // Xvfb picks a free display and writes its number once it takes clients.
        m_server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                                QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                                QStringLiteral("-screen"), QStringLiteral("0"),
                                                QStringLiteral("1024x768x24")});
        if (!m_server.waitForStarted(10000)) {
            m_reason = QStringLiteral("Xvfb did not start: ") + m_server.errorString();
            return;
        }
        QElapsedTimer waited;
        waited.start();
        while (!m_server.canReadLine() && waited.elapsed() < 20000 &&
               m_server.state() == QProcess::Running)
            m_server.waitForReadyRead(500);
        const QString number = QString::fromLatin1(m_server.readLine()).trimmed();
        if (number.isEmpty())
            m_reason = QStringLiteral("Xvfb named no display");
        else
            m_name = QLatin1Char(':') + number;
    }

    ~XDisplay()
    {
        m_server.terminate();
        m_server.waitForFinished(5000);
    }

    XDisplay(const XDisplay &) = delete;
    XDisplay &operator=(const XDisplay &) = delete;

    bool started() const { return !m_name.isEmpty(); }
    // Why there is no display, when there is none.
    const QString &reason() const { return m_reason; }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_name);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        return environment;
    }

private:
    QTemporaryDir m_runtime; // private to the user, as the runtime folder must be
    QProcess m_server;
    QString m_name;
    QString m_reason;
};
