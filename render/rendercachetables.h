#pragma once

// The tables of a RenderCache, for the code of render/ alone.

#include "barcode.h"
#include "pictures/pdfbounds.h"
#include "rendercache.h"
#include "textdrawing.h"

#include <QBuffer>
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QPdfDocument>
#include <QRawFont>
#include <QString>
#include <QSvgRenderer>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>

struct FontKey
{
    QString face;
    qint64 cellHeight;
    int dpi = 0; // of the device a font is sized for; 0 for the reference font
    bool operator==(const FontKey &) const = default;
};

inline size_t qHash(const FontKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.face, key.cellHeight, key.dpi);
}

struct WidthKey
{
    QString face;
    std::int16_t fontSize;
    QString text;
    bool operator==(const WidthKey &) const = default;
};

inline size_t qHash(const WidthKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.face, key.fontSize, key.text);
}

struct RunKey
{
    FontKey font;
    QString run;
    bool operator==(const RunKey &) const = default;
};

inline size_t qHash(const RunKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.font, key.run);
}

// Latin-1 characters need no bidi reordering and no script shaping: their
// glyphs are kept with each font sized for a device.
inline constexpr char16_t tableCharacters = 256;

// A font sized for one device so that its character cell is the cell, and
// its ascent there: a text then needs no transform of its own. The glyphs of
// the Latin-1 characters are kept with their advances.
struct DeviceFont
{
    QFont font;
    qreal ascent = 0;
    QRawFont raw;
    std::array<quint32, tableCharacters> glyphs{}; // 0 where the face lacks one
    std::array<qreal, tableCharacters> advances{};
};

struct SymbolKey
{
    BarcodeStyle style;
    QString text;
    bool operator==(const SymbolKey &) const = default;
};

inline size_t qHash(const SymbolKey &key, size_t seed = 0)
{
    return qHashMulti(seed, static_cast<int>(key.style.symbology), key.style.barHeight,
                      key.style.moduleWidth, key.style.showText, key.text);
}

struct PictureKey
{
    QString id;
    std::int32_t page;
    QSize size;
    bool operator==(const PictureKey &) const = default;
};

inline size_t qHash(const PictureKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.id, key.page, key.size.width(), key.size.height());
}

// A PDF picture loaded once, with the bytes and the device it reads from,
// and what each page it was asked for costs to draw.
struct LoadedPdf
{
    QByteArray bytes;
    QBuffer buffer;
    QPdfDocument document;
    // Why it cannot be drawn at all; empty when it can.
    QString refusal;
    // Read when a page is first measured.
    std::unique_ptr<pdfbounds::PdfPages> bounds;
    // Why each page asked for cannot be drawn, empty for one that can.
    std::map<std::int32_t, QString> pageRefusals;
};

// An SVG picture loaded once, with only what it holds.
struct LoadedSvg
{
    std::unique_ptr<QSvgRenderer> renderer; // none when it cannot be read
    QString refusal;
    std::int32_t externalReferences = 0;
};

struct RenderCache::Tables
{
    QHash<FontKey, CellFont> cellFonts;
    QHash<FontKey, std::shared_ptr<const DeviceFont>> deviceFonts;
    // The last font each table gave: nearly every text asks for it again.
    std::optional<std::pair<FontKey, CellFont>> lastCellFont;
    std::optional<std::pair<FontKey, std::shared_ptr<const DeviceFont>>> lastDeviceFont;
    // Lent to each text drawn as its glyphs: making one costs an allocation.
    QGlyphRun glyphRun;
    QHash<WidthKey, std::int32_t> widths;
    // Whether a run shapes as its characters' own glyphs.
    QHash<RunKey, bool> plainRuns;
    QHash<SymbolKey, EncodedBarcode> symbols;
    qsizetype symbolRectangles = 0; // held by `symbols`
    // Pictures decoded at the size they show, and the bytes they hold.
    QHash<PictureKey, QImage> pictures;
    qsizetype pictureBytes = 0;
    // Images decoded whole for paper, by id: one image for a whole run.
    QHash<QString, QImage> wholeImages;
    // Whether each JPEG, by id, goes into a PDF as it is.
    QHash<QString, bool> jpegsAsTheyAre;
    // Loaded once each, by id, with why one cannot be drawn.
    std::map<QString, std::shared_ptr<LoadedPdf>> pdfs;
    std::map<QString, std::shared_ptr<LoadedSvg>> svgs;
};
