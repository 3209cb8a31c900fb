#include "labelshape.h"

#include <QPainter>

#include <algorithm>

QPainterPath labelOutline(const SheetLayout &layout, const QRectF &cell)
{
    QPainterPath path;
    switch (layout.shape) {
    case LabelShape::Rectangle: {
        const qreal radius = std::min({layout.cornerRadius, cell.width() / 2, cell.height() / 2});
        path.addRoundedRect(cell, radius, radius);
        break;
    }
    case LabelShape::Ellipse:
        path.addEllipse(cell);
        break;
    case LabelShape::Round:
    case LabelShape::Cd: {
        // A CD cut square keeps its round edge within the square.
        QPainterPath disc;
        const qreal radius = layout.cornerRadius > 0 ? layout.cornerRadius
                                                     : std::min(cell.width(), cell.height()) / 2;
        disc.addEllipse(cell.center(), radius, radius);
        QPainterPath square;
        square.addRect(cell);
        path = disc.intersected(square);
        if (layout.shape == LabelShape::Cd && layout.holeRadius > 0) {
            QPainterPath hole;
            hole.addEllipse(cell.center(), layout.holeRadius, layout.holeRadius);
            path = path.subtracted(hole);
        }
        break;
    }
    }
    return path;
}

void drawLabelGuide(QPainter &painter, const SheetLayout &layout, const QRectF &cell)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(128, 128, 128), 0, Qt::DashLine));
    painter.setBrush(Qt::white);
    painter.drawPath(labelOutline(layout, cell));
    painter.restore();
}
