#include "run/calibrationpage.h"

#include <QFont>
#include <QPainter>
#include <QPen>

#include <cmath>

namespace {

constexpr double millimetresPerInch = 25.4;

// Draws in millimetres from the paper's corner on a painter whose origin
// is the printable area's corner.
class PaperPen
{
public:
    PaperPen(QPainter &painter, int dotsPerInch, QPointF printableOrigin)
        : m_painter(painter), m_dots(dotsPerInch / millimetresPerInch), m_origin(printableOrigin)
    {
    }

    QPointF at(double x, double y) const { return QPointF(x, y) * m_dots - m_origin; }

    void line(double x1, double y1, double x2, double y2, double width = 0.2)
    {
        m_painter.setPen(QPen(Qt::black, width * m_dots, Qt::SolidLine, Qt::FlatCap));
        m_painter.drawLine(at(x1, y1), at(x2, y2));
    }

    void text(double x, double y, const QString &text, double height)
    {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(std::max(1, int(std::lround(height * m_dots))));
        m_painter.setFont(font);
        m_painter.drawText(at(x, y), text);
    }

private:
    QPainter &m_painter;
    double m_dots;
    QPointF m_origin;
};

void drawRulers(PaperPen &pen, const CalibrationPage &page)
{
    const QRectF &area = page.printable;
    for (int mm = int(std::ceil(area.left())); mm <= int(area.right()); ++mm) {
        const double length = mm % 10 == 0 ? 5 : mm % 5 == 0 ? 3.5 : 2;
        pen.line(mm, area.top(), mm, area.top() + length, 0.15);
        if (mm % 10 == 0 && mm > 0)
            pen.text(mm + 0.5, area.top() + 7.5, QString::number(mm), 2.5);
    }
    for (int mm = int(std::ceil(area.top())); mm <= int(area.bottom()); ++mm) {
        const double length = mm % 10 == 0 ? 5 : mm % 5 == 0 ? 3.5 : 2;
        pen.line(area.left(), mm, area.left() + length, mm, 0.15);
        if (mm % 10 == 0 && mm > 0)
            pen.text(area.left() + 6, mm + 1, QString::number(mm), 2.5);
    }
}

void drawCross(PaperPen &pen, double at)
{
    constexpr double arm = 6;
    pen.line(at - arm, at, at + arm, at);
    pen.line(at, at - arm, at, at + arm);
    pen.text(at + 1.5, at - 1.5, QStringLiteral("%1 mm").arg(at), 2.5);
}

void drawValues(PaperPen &pen, const CalibrationPage &page)
{
    const auto sideLines = [](const QString &side, const Calibration &c) {
        return QStringList{
            QStringLiteral("%1: horizontal offset %2 mm, vertical offset %3 mm")
                .arg(side)
                .arg(c.offsetX, 0, 'f', 1)
                .arg(c.offsetY, 0, 'f', 1),
            QStringLiteral("%1: horizontal scale %2 %, vertical scale %3 %, rotation %4")
                .arg(side)
                .arg(c.scaleX, 0, 'f', 1)
                .arg(c.scaleY, 0, 'f', 1)
                .arg(c.rotation, 0, 'f', 0),
        };
    };
    const QStringList lines =
        QStringList{QStringLiteral("Printer: %1").arg(page.printer)} +
        sideLines(QStringLiteral("Front"), page.calibration) +
        sideLines(QStringLiteral("Back"), page.back) +
        QStringList{
            QString(),
            QStringLiteral(
                "The crosses should stand 20 mm and 100 mm from the paper's top and left"),
            QStringLiteral("edges. Where the first stands 21.5 mm from the left edge, lower the"),
            QStringLiteral("horizontal offset by 1.5 mm; where the crosses stand 81 mm apart"),
            QStringLiteral("instead of 80 mm, multiply the scale by 80 / 81. Rotation is in"),
            QStringLiteral("tenths of a degree; the page is drawn with the front's values."),
        };
    double y = 40;
    for (const QString &line : lines) {
        pen.text(30, y, line, 3.5);
        y += 5.5;
    }
}

} // namespace

PrintResult printCalibrationPage(const CalibrationPage &page, int dotsPerInch,
                                 const PrintSheets &sheets)
{
    QPainter painter;
    if (std::optional<PrintResult> failed = beginSheets(painter, sheets))
        return *failed;
    PrintResult result;
    painter.setTransform(
        calibrationTransform(page.calibration, dotsPerInch, sheets.printableOrigin));
    PaperPen pen(painter, dotsPerInch, sheets.printableOrigin * (dotsPerInch / 72.0));
    drawRulers(pen, page);
    for (const double at : calibrationCrosses)
        drawCross(pen, at);
    drawValues(pen, page);
    result.pagesDrawn = 1;
    result.error = sheets.failure ? sheets.failure() : QString();
    return endSheets(painter, sheets, result);
}
