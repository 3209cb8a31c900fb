#include "run/registrationtest.h"

#include <QFont>
#include <QPainter>
#include <QPen>

#include <cmath>

namespace {

constexpr double millimetresPerInch = 25.4;
constexpr double pointsPerMillimetre = 72 / millimetresPerInch;
constexpr double crossMargin = 25; // millimetres from the paper's edges
constexpr double crossArm = 8;
constexpr double figureHeight = 60;

void drawFace(QPainter &painter, const RegistrationTest &test, int dotsPerInch,
              QPointF printableOrigin, int sheet, Side side)
{
    const Calibration &calibration = side == Side::Front ? test.front : test.back;
    painter.setTransform(calibrationTransform(calibration, dotsPerInch, printableOrigin,
                                              test.paper * pointsPerMillimetre));
    const double dots = dotsPerInch / millimetresPerInch;
    const QPointF origin = printableOrigin * (dotsPerInch / 72.0);
    const auto at = [&](QPointF mm) {
        return mm * dots - origin;
    };
    painter.setPen(QPen(Qt::black, 0.2 * dots, Qt::SolidLine, Qt::FlatCap));
    for (const QPointF &front : registrationCrosses(test.paper)) {
        const QPointF point =
            side == Side::Front ? front : mirroredOnBack(front, test.paper, test.flip);
        painter.drawLine(at(point - QPointF(crossArm, 0)), at(point + QPointF(crossArm, 0)));
        painter.drawLine(at(point - QPointF(0, crossArm)), at(point + QPointF(0, crossArm)));
    }
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(int(std::lround(figureHeight * dots)));
    painter.setFont(font);
    const QRectF figureBox(at(QPointF(0, test.paper.height() / 2 - figureHeight - 10)),
                           at(QPointF(test.paper.width(), test.paper.height() / 2 - 10)));
    painter.drawText(figureBox, Qt::AlignCenter, QString::number(sheet));
    font.setPixelSize(int(std::lround(4 * dots)));
    painter.setFont(font);
    const QString caption = side == Side::Front ? QStringLiteral("Front") : QStringLiteral("Back");
    painter.drawText(at(QPointF(crossMargin + 10, crossMargin + 20)),
                     QStringLiteral("Sheet %1, %2").arg(sheet).arg(caption));
}

} // namespace

QList<QPointF> registrationCrosses(QSizeF paper)
{
    const double w = paper.width();
    const double h = paper.height();
    const double middle = h / 2 + 20;
    // Corners near the edges, left unlike right so that a wrong flip shows,
    // and the skew pair across the middle.
    return {{crossMargin, crossMargin},
            {w - crossMargin, crossMargin},
            {crossMargin, h - crossMargin},
            {w - crossMargin - 15, h - crossMargin},
            {w / 2 - skewCrossDistance / 2, middle},
            {w / 2 + skewCrossDistance / 2, middle}};
}

PrintResult printRegistrationTest(const RegistrationTest &test, int dotsPerInch,
                                  const PrintSheets &sheets)
{
    QPainter painter;
    if (std::optional<PrintResult> failed = beginSheets(painter, sheets))
        return *failed;
    PrintResult result;
    for (int sheet = 1; sheet <= registrationSheets && result.error.isEmpty(); ++sheet) {
        for (const Side side : {Side::Front, Side::Back}) {
            if (result.pagesDrawn > 0 && sheets.newSheet && !sheets.newSheet())
                break;
            drawFace(painter, test, dotsPerInch, sheets.printableOrigin, sheet, side);
            ++result.pagesDrawn;
        }
        result.error = sheets.failure ? sheets.failure() : QString();
    }
    return endSheets(painter, sheets, result);
}
