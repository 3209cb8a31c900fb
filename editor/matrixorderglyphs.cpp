#include "matrixorderglyphs.h"

#include <QFont>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <array>

namespace {

constexpr int pictureSize = 32;
// The numbers sit near the corners, leaving room for the arrows between them.
constexpr qreal firstCentre = 7;
constexpr qreal centreDistance = 18;
constexpr qreal numberBox = 12;
// How far an arrow stays from the centre of the numbers it joins.
constexpr qreal arrowClearance = 6;
constexpr qreal headLength = 3;

// Cells as (column, row) in the order the type counts them.
using Path = std::array<QPointF, 4>;
const Path rowByRow{QPointF(0, 0), QPointF(1, 0), QPointF(0, 1), QPointF(1, 1)};
const Path columnByColumn{QPointF(0, 0), QPointF(0, 1), QPointF(1, 0), QPointF(1, 1)};

struct Numbering
{
    std::array<const char *, 4> labels; // top left, top right, bottom left, bottom right
    const Path &path;
};

Numbering numberingOf(std::int32_t type)
{
    switch (type) {
    case 2:
        return {{"1", "1", "2", "2"}, rowByRow};
    case 3:
        return {{"1", "3", "2", "4"}, columnByColumn};
    case 4:
        return {{"1", "2", "1", "2"}, columnByColumn};
    case 5:
        // Stacks of two pages: each cell starts where the stack before it ends.
        return {{"1", "3", "5", "7"}, rowByRow};
    default:
        return {{"1", "2", "3", "4"}, rowByRow};
    }
}

QPointF centreOf(const QPointF &cell)
{
    return QPointF(firstCentre + cell.x() * centreDistance,
                   firstCentre + cell.y() * centreDistance);
}

void drawArrow(QPainter &painter, const QPointF &from, const QPointF &to)
{
    QLineF shaft(centreOf(from), centreOf(to));
    const QPointF along = shaft.unitVector().p2() - shaft.unitVector().p1();
    shaft = QLineF(shaft.p1() + along * arrowClearance, shaft.p2() - along * arrowClearance);
    painter.drawLine(shaft);
    for (const qreal turn : {150.0, -150.0}) {
        QLineF head = QLineF::fromPolar(headLength, shaft.angle() + turn);
        head.translate(shaft.p2());
        painter.drawLine(head);
    }
}

} // namespace

QImage matrixOrderGlyph(std::int32_t type)
{
    const Numbering numbering = numberingOf(type);
    QImage image(pictureSize, pictureSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);

    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(9);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int k = 0; k < 4; ++k) {
        QRectF box(0, 0, numberBox, numberBox);
        box.moveCenter(centreOf(QPointF(k % 2, k / 2)));
        painter.drawText(box, Qt::AlignCenter, QString::fromLatin1(numbering.labels[k]));
    }

    painter.setPen(QPen(Qt::red, 1));
    for (std::size_t k = 1; k < numbering.path.size(); ++k)
        drawArrow(painter, numbering.path[k - 1], numbering.path[k]);
    return image;
}
