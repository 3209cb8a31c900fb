#pragma once

#include "pageobject.h"

#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QTransform>

// How far one printer misplaces the page on one side of the paper, and so
// what undoes it: the print is moved right and down by the offsets and
// stretched by the scales about the paper's top-left corner, then turned
// about the paper's centre against a feed at an angle. The screen is never
// shifted.
struct Calibration
{
    static constexpr double maxOffset = 20.0; // millimetres, either way
    static constexpr double minScale = 90.0;  // per cent
    static constexpr double maxScale = 110.0;
    static constexpr double maxRotation = 50.0; // tenths of a degree, either way

    double offsetX = 0;  // millimetres; positive moves the print right
    double offsetY = 0;  // millimetres; positive moves it down
    double scaleX = 100; // per cent
    double scaleY = 100;
    double rotation = 0; // tenths of a degree; positive turns the print clockwise

    bool operator==(const Calibration &) const = default;
};

// Whether every value is in its range.
bool isWithinLimits(const Calibration &calibration);
// `calibration` with every value brought into its range.
Calibration withinLimits(Calibration calibration);

// The painter transform that applies `calibration` to a page drawn at
// `dotsPerInch`, whose painter origin lies `printableOrigin` points (1/72
// inch) from the paper's corner, as a printer's printable area does, on
// paper of `paper` points, about whose centre a rotation turns.
QTransform calibrationTransform(const Calibration &calibration, int dotsPerInch,
                                QPointF printableOrigin, QSizeF paper = QSizeF());

// The entry a run to a PDF file keeps its calibration under: no queue has
// a name with a blank.
QString pdfOutputName();

// The user's settings file: paginette/paginette.conf in the user's
// configuration folder. The fixed preferences file is not the place.
QString userSettingsPath();

// The calibrations of the user's printers, one entry per printer name, in
// a settings file of the user's.
class CalibrationStore
{
public:
    explicit CalibrationStore(QString path = userSettingsPath());

    // The stored calibration of `printer` for one side of the paper, brought
    // within limits; a printer without one prints as it is.
    Calibration load(const QString &printer, Side side = Side::Front) const;
    // An error text when the file could not be written.
    QString save(const QString &printer, const Calibration &calibration,
                 Side side = Side::Front) const;

    const QString &path() const { return m_path; }

private:
    QString m_path;
};
