#pragma once

#include "run/calibration.h"
#include "run/printrun.h"

#include <QRectF>
#include <QString>

// What a calibration page shows besides its marks.
struct CalibrationPage
{
    QString printer;
    Calibration calibration; // the front's, which the page is drawn with
    Calibration back;        // shown beside it, for a run on both sides
    QSizeF paper;            // millimetres
    QRectF printable;        // millimetres from the paper's corner
};

// The distances from the paper's top-left corner at which the page's
// crosses stand, in millimetres, both ways.
inline constexpr double calibrationCrosses[] = {20.0, 100.0};

// Prints one calibration page onto the sheets at `dotsPerInch`, under the
// page's calibration: millimetre rulers along the top and left edges of the
// printable area, counted from the paper's corner; a cross 20 mm and one
// 100 mm from the corner both ways; the printer's name and its values, and
// how to read the correction off the paper.
PrintResult printCalibrationPage(const CalibrationPage &page, int dotsPerInch,
                                 const PrintSheets &sheets);
