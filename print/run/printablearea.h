#pragma once

#include "document.h"
#include "run/printplan.h"

#include <QRectF>
#include <QStringList>

class RunTexts;

// The objects of the run of `texts` that reach beyond the printable area on the plan's
// first or last page once their side's calibration moves them: by name, or by the
// text they show when they have none; in table order. `printable` is the
// printable area in points from the paper's corner; pages are drawn at
// `dotsPerInch`. Pictures print nothing and are passed over.
QStringList objectsOutside(const RunTexts &texts, const PrintPlan &plan, int dotsPerInch,
                           const QRectF &printable);
