#include "sharedlog/sharedlogsetting.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString uriKey = QStringLiteral("PrintLog/sharedLog");

} // namespace

SharedLogSetting::SharedLogSetting(QString path) : m_path(std::move(path)) {}

QString SharedLogSetting::uri() const
{
    return QSettings(m_path, QSettings::IniFormat).value(uriKey).toString().trimmed();
}

std::optional<SharedLogAddress> SharedLogSetting::address(QString *error) const
{
    const QString kept = uri();
    if (kept.isEmpty())
        return std::nullopt;
    QString why;
    std::optional<SharedLogAddress> address = parseSharedLogUri(kept, &why);
    if (!address && error)
        *error = QStringLiteral("The shared print log of %1 cannot be used: %2").arg(m_path, why);
    return address;
}

QString SharedLogSetting::refusal(const QString &uri)
{
    if (uri.trimmed().isEmpty())
        return {};
    QString why;
    const std::optional<SharedLogAddress> address = parseSharedLogUri(uri, &why);
    if (!address)
        return QStringLiteral("Shared print log: %1.").arg(why);
    if (!address->password.isEmpty())
        return QStringLiteral("Shared print log: Paginette keeps no password. Give the URI "
                              "without it, and the password in ~/.pgpass or in the PGPASSWORD "
                              "environment variable.");
    return {};
}

QString SharedLogSetting::store(const QString &uri) const
{
    const QString kept = uri.trimmed();
    if (kept == this->uri())
        return {};
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return QStringLiteral("%1: the folder cannot be made").arg(m_path);
    QSettings settings(m_path, QSettings::IniFormat);
    if (kept.isEmpty())
        settings.remove(uriKey);
    else
        settings.setValue(uriKey, kept);
    // QSettings writes a whole new file and puts it in place.
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return QStringLiteral("%1: the shared print log could not be written").arg(m_path);
    return {};
}
