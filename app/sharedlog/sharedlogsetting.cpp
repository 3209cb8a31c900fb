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

Outcome<SharedLogAddress> SharedLogSetting::address() const
{
    const QString kept = uri();
    if (kept.isEmpty())
        return Outcome<SharedLogAddress>::failed(QString());
    Outcome<SharedLogAddress> address = parseSharedLogUri(kept);
    if (!address)
        return Outcome<SharedLogAddress>::failed(
            QStringLiteral("The shared print log of %1 cannot be used: %2")
                .arg(m_path, address.error));
    return address;
}

QString SharedLogSetting::refusal(const QString &uri)
{
    if (uri.trimmed().isEmpty())
        return {};
    const Outcome<SharedLogAddress> address = parseSharedLogUri(uri);
    if (!address)
        return QStringLiteral("Shared print log: %1.").arg(address.error);
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
