#include "pdf/pdfcontent.h"

#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <QTransform>

#include <cmath>

PdfContent &PdfContent::integer(long long value)
{
    char digits[24];
    int at = sizeof digits;
    const bool negative = value < 0;
    unsigned long long rest = negative ? 0ULL - static_cast<unsigned long long>(value)
                                       : static_cast<unsigned long long>(value);
    do {
        digits[--at] = char('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (negative)
        digits[--at] = '-';
    m_bytes.append(digits + at, sizeof digits - std::size_t(at));
    m_bytes += ' ';
    return *this;
}

PdfContent &PdfContent::number(double value)
{
    // PDF readers take reals of about five significant digits after the
    // point at best; three keep a 360 dpi dot to a thousandth.
    if (!std::isfinite(value) || std::abs(value) > 3.2e7)
        value = 0;
    const long long thousandths = std::llround(value * 1000);
    if (thousandths % 1000 == 0)
        return integer(thousandths / 1000);
    const bool negative = thousandths < 0;
    const long long magnitude = negative ? -thousandths : thousandths;
    const int fraction = int(magnitude % 1000);
    if (negative)
        m_bytes += '-';
    integer(magnitude / 1000);
    m_bytes.back() = '.';
    char decimals[3] = {char('0' + fraction / 100), char('0' + fraction / 10 % 10),
                        char('0' + fraction % 10)};
    int length = 3;
    while (decimals[length - 1] == '0')
        --length;
    m_bytes.append(decimals, std::size_t(length));
    m_bytes += ' ';
    return *this;
}

PdfContent &PdfContent::op(QByteArrayView name)
{
    m_bytes.append(name.data(), std::size_t(name.size()));
    m_bytes += '\n';
    return *this;
}

PdfContent &PdfContent::raw(QByteArrayView bytes)
{
    m_bytes.append(bytes.data(), std::size_t(bytes.size()));
    return *this;
}

PdfContent &PdfContent::transform(const QTransform &matrix)
{
    return number(matrix.m11())
        .number(matrix.m12())
        .number(matrix.m21())
        .number(matrix.m22())
        .number(matrix.dx())
        .number(matrix.dy())
        .op("cm");
}

PdfContent &PdfContent::color(const QColor &color, QByteArrayView operation)
{
    const QColor rgb = color.toRgb();
    // Components of 8 bits: 1/255 steps need three decimals at most.
    return number(rgb.red() / 255.0)
        .number(rgb.green() / 255.0)
        .number(rgb.blue() / 255.0)
        .op(operation);
}

PdfContent &PdfContent::path(const QPainterPath &path)
{
    // A subpath that ends where it began is closed, so that a pen joins its
    // ends instead of capping them.
    QPointF start;
    QPointF last;
    const auto close = [&](int points) {
        if (points > 2 && last == start)
            op("h");
    };
    int points = 0;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        switch (element.type) {
        case QPainterPath::MoveToElement:
            close(points);
            points = 1;
            start = last = element;
            number(element.x).number(element.y).op("m");
            break;
        case QPainterPath::LineToElement:
            ++points;
            last = element;
            number(element.x).number(element.y).op("l");
            break;
        case QPainterPath::CurveToElement: {
            const QPainterPath::Element second = path.elementAt(i + 1);
            const QPainterPath::Element end = path.elementAt(i + 2);
            number(element.x).number(element.y).number(second.x).number(second.y);
            number(end.x).number(end.y).op("c");
            points += 3;
            last = end;
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    close(points);
    return *this;
}

PdfContent &PdfContent::rect(const QRectF &rect)
{
    return number(rect.x()).number(rect.y()).number(rect.width()).number(rect.height()).op("re");
}

PdfContent &PdfContent::codes(const unsigned *codes, int count, int bytes)
{
    // A literal string, which takes half the bytes of a hexadecimal one: the
    // delimiters and the backslash escaped, and a return, which a reader
    // would take for a line feed.
    m_bytes += '(';
    for (int i = 0; i < count; ++i) {
        for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
            const char byte = char((codes[i] >> shift) & 0xff);
            if (byte == '(' || byte == ')' || byte == '\\')
                m_bytes.append({'\\', byte});
            else if (byte == '\r')
                m_bytes.append("\\r");
            else
                m_bytes += byte;
        }
    }
    m_bytes += ')';
    return *this;
}
