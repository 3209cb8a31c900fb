#include "datasourcesettings.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString baseFolder(const QString &documentPath)
{
    return documentPath.isEmpty() ? QDir::currentPath() : QFileInfo(documentPath).absolutePath();
}

} // namespace

DataSourceOptions DataSourceSettings::readOptions() const
{
    return {header, separator, encoding, sheet};
}

QString resolvedDataFile(const QString &stored, const QString &documentPath)
{
    if (stored.isEmpty())
        return {};
    return QDir::cleanPath(QDir(baseFolder(documentPath)).absoluteFilePath(stored));
}

std::optional<QString> dataFileOutside(const std::optional<DataSourceSettings> &settings,
                                       const QString &documentPath)
{
    if (!settings || settings->file.isEmpty() || documentPath.isEmpty())
        return std::nullopt;
    const QString fromFolder = documentPath == QLatin1String("-") ? QString() : documentPath;
    const QString file = resolvedDataFile(settings->file, fromFolder);
    const QString folder = QFileInfo(baseFolder(fromFolder)).canonicalFilePath();
    // A file that is not there is read from nowhere: the read says so.
    QString path = QFileInfo(file).canonicalFilePath();
    if (path.isEmpty())
        path = file;
    if (!folder.isEmpty() && path.startsWith(folder + u'/'))
        return std::nullopt;
    return file;
}

QString relativeDataFile(const QString &path, const QString &documentPath)
{
    return QDir(baseFolder(documentPath)).relativeFilePath(path);
}

void removeCounting(DataSourceSettings &settings, std::int32_t index)
{
    std::map<std::int32_t, NumberCounting> moved;
    for (auto &[number, counting] : settings.counting) {
        if (number != index)
            moved.emplace(number > index ? number - 1 : number, std::move(counting));
    }
    settings.counting = std::move(moved);
}
