#include "log/sharedlogaddress.h"

#include <QUrl>
#include <QUrlQuery>

#include <algorithm>

namespace {

// The libpq keywords a URI may pass on; anything else is refused rather
// than sent to the server unchecked.
const QStringList passedOn = {
    QStringLiteral("service"),          QStringLiteral("sslmode"),
    QStringLiteral("sslrootcert"),      QStringLiteral("sslcert"),
    QStringLiteral("sslkey"),           QStringLiteral("connect_timeout"),
    QStringLiteral("application_name"), QStringLiteral("target_session_attrs")};

bool plainValue(const QString &value)
{
    return !value.isEmpty() && std::none_of(value.begin(), value.end(), [](QChar c) {
        return c.isSpace() || c == u';' || c == u'\'' || c == u'\\' || c.unicode() < 0x20;
    });
}

} // namespace

QString SharedLogAddress::shown() const
{
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    url.setUserName(user);
    const bool socket = host.startsWith(u'/');
    if (!socket)
        url.setHost(host);
    if (port >= 0)
        url.setPort(port);
    url.setPath(QLatin1Char('/') + database);
    QUrlQuery query;
    if (socket)
        query.addQueryItem(QStringLiteral("host"), host);
    for (const QString &pair : options.split(u';', Qt::SkipEmptyParts))
        query.addQueryItem(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    url.setQuery(query);
    return url.toString(QUrl::RemovePassword | QUrl::PrettyDecoded);
}

Outcome<SharedLogAddress> parseSharedLogUri(const QString &uri)
{
    const auto refuse = [](const QString &why) {
        return Outcome<SharedLogAddress>::failed(why);
    };
    const QUrl url(uri.trimmed(), QUrl::StrictMode);
    if (!url.isValid() ||
        (url.scheme() != QLatin1String("postgresql") && url.scheme() != QLatin1String("postgres")))
        return refuse(QStringLiteral("not a postgresql:// URI (postgresql://USER@HOST/DATABASE)"));
    SharedLogAddress address;
    address.host = url.host();
    address.port = url.port();
    address.user = url.userName();
    address.password = url.password();
    address.database = url.path().mid(1);
    QStringList options;
    for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (!plainValue(value))
            return refuse(QStringLiteral("the URI's %1 has no value it can use").arg(key));
        if (key == QLatin1String("host")) {
            address.host = value;
        } else if (key == QLatin1String("port")) {
            bool ok = false;
            address.port = value.toInt(&ok);
            if (!ok || address.port < 1 || address.port > 65535)
                return refuse(QStringLiteral("the URI's port is no port number"));
        } else if (key == QLatin1String("dbname")) {
            address.database = value;
        } else if (key == QLatin1String("user")) {
            address.user = value;
        } else if (key == QLatin1String("password")) {
            address.password = value;
        } else if (passedOn.contains(key)) {
            options.append(key + u'=' + value);
        } else {
            return refuse(
                QStringLiteral("the URI's %1 is not a setting the program passes on").arg(key));
        }
    }
    if (address.database.isEmpty() || address.database.contains(u'/'))
        return refuse(QStringLiteral("the URI names no database (postgresql://HOST/DATABASE)"));
    address.options = options.join(u';');
    return address;
}
