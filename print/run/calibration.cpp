#include "run/calibration.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

constexpr double millimetresPerInch = 25.4;
constexpr double pointsPerInch = 72.0;

// One group per printer; the name is escaped so that no character of it
// can split or clash with a key.
QString groupOf(const QString &printer)
{
    return QStringLiteral("calibration/") + QString::fromLatin1(QUrl::toPercentEncoding(printer));
}

// A value's key: the front's as it always was, the back's with "back".
QString keyOf(const char *name, Side side)
{
    const QString key = QLatin1String(name);
    return side == Side::Front ? key : QStringLiteral("back") + key.front().toUpper() + key.mid(1);
}

} // namespace

bool isWithinLimits(const Calibration &calibration)
{
    const auto offset = [](double value) {
        return value >= -Calibration::maxOffset && value <= Calibration::maxOffset;
    };
    const auto scale = [](double value) {
        return value >= Calibration::minScale && value <= Calibration::maxScale;
    };
    return offset(calibration.offsetX) && offset(calibration.offsetY) &&
           scale(calibration.scaleX) && scale(calibration.scaleY) &&
           calibration.rotation >= -Calibration::maxRotation &&
           calibration.rotation <= Calibration::maxRotation;
}

Calibration withinLimits(Calibration calibration)
{
    const auto offset = [](double value) {
        return std::clamp(value, -Calibration::maxOffset, Calibration::maxOffset);
    };
    const auto scale = [](double value) {
        return std::clamp(value, Calibration::minScale, Calibration::maxScale);
    };
    return {offset(calibration.offsetX), offset(calibration.offsetY), scale(calibration.scaleX),
            scale(calibration.scaleY),
            std::clamp(calibration.rotation, -Calibration::maxRotation, Calibration::maxRotation)};
}

QTransform calibrationTransform(const Calibration &calibration, int dotsPerInch,
                                QPointF printableOrigin, QSizeF paper)
{
    const double dotsPerMillimetre = dotsPerInch / millimetresPerInch;
    const QPointF margin = printableOrigin * (dotsPerInch / pointsPerInch);
    const double sx = calibration.scaleX / 100.0;
    const double sy = calibration.scaleY / 100.0;
    // A point q of the printable area lies at margin + q on the paper; it
    // goes to scale * (margin + q) + offset there, back in painter terms.
    const QTransform moved(sx, 0, 0, sy,
                           sx * margin.x() - margin.x() + calibration.offsetX * dotsPerMillimetre,
                           sy * margin.y() - margin.y() + calibration.offsetY * dotsPerMillimetre);
    if (calibration.rotation == 0 || paper.isEmpty())
        return moved;
    // Turned about the paper's centre, in painter terms.
    const QPointF centre =
        QPointF(paper.width(), paper.height()) / 2 * (dotsPerInch / pointsPerInch) - margin;
    QTransform turned;
    turned.translate(centre.x(), centre.y());
    turned.rotate(calibration.rotation / 10);
    turned.translate(-centre.x(), -centre.y());
    return moved * turned;
}

QString pdfOutputName()
{
    return QStringLiteral("PDF output");
}

QString userSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/paginette/paginette.conf");
}

CalibrationStore::CalibrationStore(QString path) : m_path(std::move(path)) {}

Calibration CalibrationStore::load(const QString &printer, Side side) const
{
    const QSettings settings(m_path, QSettings::IniFormat);
    const QString group = groupOf(printer) + QLatin1Char('/');
    // A value that is no finite number is damaged: the printer prints as it is.
    const auto read = [&](const char *key, double fallback) {
        bool ok = false;
        const double value = settings.value(group + keyOf(key, side)).toDouble(&ok);
        return ok && std::isfinite(value) ? value : fallback;
    };
    return withinLimits({read("offsetX", 0), read("offsetY", 0), read("scaleX", 100),
                         read("scaleY", 100), read("rotation", 0)});
}

QString CalibrationStore::save(const QString &printer, const Calibration &calibration,
                               Side side) const
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return QStringLiteral("%1: the folder cannot be made").arg(m_path);
    QSettings settings(m_path, QSettings::IniFormat);
    settings.beginGroup(groupOf(printer));
    settings.setValue(keyOf("offsetX", side), calibration.offsetX);
    settings.setValue(keyOf("offsetY", side), calibration.offsetY);
    settings.setValue(keyOf("scaleX", side), calibration.scaleX);
    settings.setValue(keyOf("scaleY", side), calibration.scaleY);
    // A calibration that does not turn is kept as it always was.
    if (calibration.rotation != 0 || settings.contains(keyOf("rotation", side)))
        settings.setValue(keyOf("rotation", side), calibration.rotation);
    settings.endGroup();
    // QSettings writes a whole new file and puts it in place.
    settings.sync();
    switch (settings.status()) {
    case QSettings::NoError:
        return {};
    case QSettings::AccessError:
        return QStringLiteral("%1: the calibration could not be written").arg(m_path);
    case QSettings::FormatError:
        return QStringLiteral("%1: the file is damaged; the calibration was not written")
            .arg(m_path);
    }
    return {};
}
