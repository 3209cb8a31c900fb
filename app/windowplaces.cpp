#include "windowplaces.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QWidget>

WindowPlaces::WindowPlaces(QString path) : m_path(std::move(path)) {}

bool WindowPlaces::restore(QWidget &window) const
{
    const QSettings settings(m_path, QSettings::IniFormat);
    const QByteArray place = settings.value(key(window)).toByteArray();
    return !place.isEmpty() && window.restoreGeometry(place);
}

void WindowPlaces::keep(const QWidget &window) const
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return;
    QSettings settings(m_path, QSettings::IniFormat);
    settings.setValue(key(window), window.saveGeometry());
}

QString WindowPlaces::key(const QWidget &window) const
{
    return QStringLiteral("Windows/") + window.objectName();
}
