#pragma once

#include "barcodestyle.h"
#include "rendercache.h"

#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringView>

#include <optional>

class QPainter;

// One piece of the human-readable line: `anchor` is the point on its baseline
// that its left end, centre or right end (`alignment`) is placed on.
struct BarcodeText
{
    QString text;
    QPointF anchor;
    Qt::Alignment alignment = Qt::AlignHCenter;
    qreal fontSize = 0; // em height
    bool operator==(const BarcodeText &) const = default;
};

// A symbol: its box in page units, its shapes in modules. The box includes
// the quiet zones of each symbology (seven to eleven modules beside the
// linear codes, four around QR code, one around Data Matrix), so that a
// layout keeping boxes apart keeps the symbols readable. The dark areas are
// merged: each run of dark modules in a row is one rectangle, and equal runs
// in consecutive rows are joined.
struct BarcodeSymbol
{
    QSizeF size;
    qreal module = 1;         // page units a module
    QList<QRectF> bars;       // in modules from the box's top-left corner
    QList<BarcodeText> texts; // in modules likewise
    bool operator==(const BarcodeSymbol &) const = default;
};

// Why a text cannot be shown: the rule it breaks and what it gives instead,
// as in "EAN-13 takes 12 or 13 digits" and "14". A style that cannot be drawn
// at all gives nothing.
struct BarcodeRefusal
{
    QString rule;
    QString found;
    bool operator==(const BarcodeRefusal &) const = default;
    // For the user: "EAN-13 takes 12 or 13 digits; page 6 gives 14".
    QString onPage(std::int32_t page) const;
};

struct EncodedBarcode
{
    BarcodeSymbol symbol; // empty when refused
    std::optional<BarcodeRefusal> refusal;
    bool ok() const { return !refusal; }
};

// Why `text` cannot be shown in `symbology`, or nothing. Cheap for the texts a
// number forms; only a text near the capacity of Code 128, QR code or Data
// Matrix is tried in the library.
std::optional<BarcodeRefusal> barcodeRefusal(Symbology symbology, const QString &text);
// The same for a whole style: also why the style itself cannot be drawn.
std::optional<BarcodeRefusal> barcodeRefusal(const BarcodeStyle &style, const QString &text);
// The symbol of `text`, or the refusal. EAN-13 and UPC-A add their check
// digit, or check the one given.
EncodedBarcode encodeBarcode(const BarcodeStyle &style, const QString &text);
// The same, kept in `cache` from a recent call with the same style and text:
// the screen lays out and redraws the same page often. A print run, whose
// values are new on every page, encodes them without keeping them.
EncodedBarcode cachedBarcode(RenderCache &cache, const BarcodeStyle &style, const QString &text);

// Fills the bars as exact rectangles (no pen, no antialiasing) and draws the
// text line in `face`, with the box's top-left corner at `origin` (device
// units) and `scale` device units per page unit.
void drawBarcode(QPainter &painter, const BarcodeSymbol &symbol, QPointF origin, qreal scale,
                 const QColor &color, const QString &face);
