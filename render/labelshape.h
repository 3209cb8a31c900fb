#pragma once

#include "sheetlayout.h"

#include <QPainterPath>
#include <QRectF>

class QPainter;

// The outline of a label of `layout` filling `cell`: a rectangle with its
// corners rounded, an ellipse, a circle, or a CD with its hole.
QPainterPath labelOutline(const SheetLayout &layout, const QRectF &cell);

// The label the page is, on screen: white within its outline, the rest of
// the sheet and a CD's hole shown as the desk, and a grey edge, a guide
// that is never printed. `cell` is in the painter's coordinates.
void drawLabelGuide(QPainter &painter, const SheetLayout &layout, const QRectF &cell);
