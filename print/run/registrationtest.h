#pragma once

#include "document.h"
#include "run/calibration.h"
#include "run/placements.h"
#include "run/printrun.h"

#include <QPointF>
#include <QSizeF>

// A two-sheet registration test for printing on both sides: each side of
// each sheet carries the sheet's number in large figures and crosses at the
// same paper points, those on a back mirrored about the flip edge so that
// they meet the front's when the sheet is held to the light, and two crosses
// 150 mm apart across the middle whose line shows a feed at an angle.
struct RegistrationTest
{
    QSizeF paper;                   // millimetres
    Duplex flip = Duplex::LongEdge; // Off is taken as the long edge
    Calibration front;
    Calibration back;
};

inline constexpr int registrationSheets = 2;
// The distance between the two crosses that measure skew, in millimetres.
inline constexpr double skewCrossDistance = 150;

// Where the crosses of the front stand on the paper, in millimetres from its
// top-left corner.
QList<QPointF> registrationCrosses(QSizeF paper);

// Prints the four faces (sheet 1 front, its back, sheet 2 front, its back)
// onto the sheets at `dotsPerInch`, each under its side's calibration.
PrintResult printRegistrationTest(const RegistrationTest &test, int dotsPerInch,
                                  const PrintSheets &sheets);
