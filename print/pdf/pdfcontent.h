#pragma once

#include <QByteArrayView>

#include <string>

class QColor;
class QPainterPath;
class QRectF;
class QTransform;

// A page's content stream as it is built: numbers written short (at most
// three decimals, no trailing zeros), each operand followed by a space.
class PdfContent
{
public:
    void clear() { m_bytes.clear(); }
    QByteArrayView bytes() const
    {
        return QByteArrayView(m_bytes.data(), qsizetype(m_bytes.size()));
    }

    PdfContent &number(double value);
    PdfContent &integer(long long value);
    PdfContent &op(QByteArrayView name);
    PdfContent &raw(QByteArrayView bytes);
    // The six numbers of `matrix`, then `cm`.
    PdfContent &transform(const QTransform &matrix);
    // A colour's three components, then `operation` (rg or RG).
    PdfContent &color(const QColor &color, QByteArrayView operation);
    // `path` as moves, lines, curves and closes; no painting operator.
    PdfContent &path(const QPainterPath &path);
    PdfContent &rect(const QRectF &rect);
    // Character codes as a string of `bytes` bytes each.
    PdfContent &codes(const unsigned *codes, int count, int bytes);

private:
    std::string m_bytes; // appended to faster than a QByteArray
};
