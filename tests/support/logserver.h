#pragma once

#include <QFile>
#include <QString>

// The suite's own PostgreSQL server (scripts/start-log-server.sh), reached
// on its socket: its roles' passwords and the URIs of its database.
struct LogServer
{
    QString folder = QStringLiteral(LOG_SERVER_FOLDER);

    // The password of `role` ("paginette" or "visitor"); empty when the
    // server was not started.
    QString password(const QString &role) const
    {
        QFile file(folder + QStringLiteral("/passwords"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (line.startsWith(role.toUtf8() + ':'))
                return QString::fromUtf8(line.mid(role.size() + 1));
        }
        return {};
    }

    // The log's database as `role`, the password given apart.
    QString uri(const QString &role = QStringLiteral("paginette")) const
    {
        return QStringLiteral("postgresql://%1@/paginette?host=%2").arg(role, folder);
    }
};
