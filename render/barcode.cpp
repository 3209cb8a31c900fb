#include "barcode.h"

#include "rendercachetables.h"

#include <zint.h>

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

namespace {

QString titleOf(Symbology symbology)
{
    return symbologyTitle(symbology);
}

// The library's limits for the symbologies whose length rule is plain.
constexpr qsizetype code39MostCharacters = 85;
constexpr qsizetype itfMostDigits = 90;
// A number's text is its digits between two affixes of at most 63
// characters. Longer texts, which the library could still take, cost
// milliseconds for every value drawn; no number needs them.
constexpr qsizetype matrixMostCharacters = 256;

// Bounds on what Code 128, QR code and Data Matrix hold, which depends on the
// mix of characters. A text within `surelyFits` UTF-8 bytes fits whatever its
// characters (the densest kinds pack more); past `mostCharacters` nothing fits
// (no kind packs denser than digits); in between only the library can tell.
struct Capacity
{
    qsizetype surelyFits;
    qsizetype mostCharacters;
};

QString quoted(const QString &text)
{
    constexpr qsizetype shown = 16;
    const QString visible = text.size() > shown + 4 ? text.left(shown) + QChar(0x2026) : text;
    return QLatin1Char('\'') + visible + QLatin1Char('\'');
}

QString count(qsizetype n)
{
    return QString::number(n);
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

std::optional<QString> firstOutside(const QString &text, bool (*allowed)(QChar))
{
    const auto other = std::find_if_not(text.begin(), text.end(), allowed);
    if (other != text.end())
        return quoted(QString(*other));
    return std::nullopt;
}

// What keeps `text` from being digits only: letters, or the first other character.
std::optional<QString> notDigits(const QString &text)
{
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); }))
        return QStringLiteral("letters");
    return firstOutside(text, isDigit);
}

bool isCode39Character(QChar c)
{
    return isDigit(c) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           QStringView(u" -.$/+%").contains(c);
}

// Code 128 reaches past ASCII only through FNC4 shifts, which common readers
// decode wrongly; the printed symbol must read back as the text.
bool isAscii(QChar c)
{
    return c.unicode() < 0x80;
}

// The digits of the code without its check digit, which is then added, or
// with it.
std::optional<BarcodeRefusal> fixedDigitsRefusal(Symbology symbology, const QString &text)
{
    const qsizetype digits = digitsBeforeCheck(symbology);
    const QString rule = QStringLiteral("%1 takes %2 or %3 digits")
                             .arg(titleOf(symbology), count(digits), count(digits + 1));
    if (const auto bad = notDigits(text))
        return BarcodeRefusal{rule, *bad};
    if (text.size() != digits && text.size() != digits + 1)
        return BarcodeRefusal{rule, count(text.size())};
    if (text.size() == digits + 1) {
        const QChar expected = scannedText(symbology, text.first(digits)).back();
        if (text.back() != expected)
            return BarcodeRefusal{QStringLiteral("The check digit of %1 is %2")
                                      .arg(quoted(text.first(digits)), expected),
                                  QString(text.back())};
    }
    return std::nullopt;
}

std::optional<BarcodeRefusal> itfRefusal(const QString &text)
{
    const QString title = titleOf(Symbology::Itf);
    if (const auto bad = notDigits(text))
        return BarcodeRefusal{title + QStringLiteral(" takes digits only"), *bad};
    // The library would add a leading zero, and the symbol would read differently.
    if (text.size() % 2 != 0)
        return BarcodeRefusal{title + QStringLiteral(" needs an even number of digits"),
                              count(text.size())};
    if (text.size() > itfMostDigits)
        return BarcodeRefusal{
            QStringLiteral("%1 takes at most %2 digits").arg(title, count(itfMostDigits)),
            count(text.size())};
    return std::nullopt;
}

std::optional<BarcodeRefusal> code39Refusal(const QString &text)
{
    const QString title = titleOf(Symbology::Code39);
    // The library would turn small letters into capitals.
    if (const auto bad = firstOutside(text, isCode39Character))
        return BarcodeRefusal{
            title + QStringLiteral(" takes digits, capital letters, space and - . $ / + %"), *bad};
    if (text.size() > code39MostCharacters)
        return BarcodeRefusal{QStringLiteral("%1 takes at most %2 characters")
                                  .arg(title, count(code39MostCharacters)),
                              count(text.size())};
    return std::nullopt;
}

std::optional<BarcodeRefusal> code128Refusal(const QString &text)
{
    if (const auto bad = firstOutside(text, isAscii))
        return BarcodeRefusal{
            titleOf(Symbology::Code128) + QStringLiteral(" takes ASCII characters only"), *bad};
    return std::nullopt;
}

std::optional<BarcodeRefusal> ean13Refusal(const QString &text)
{
    return fixedDigitsRefusal(Symbology::Ean13, text);
}

std::optional<BarcodeRefusal> upcaRefusal(const QString &text)
{
    return fixedDigitsRefusal(Symbology::UpcA, text);
}

// Three UTF-8 bytes to a character at most: the longest text fits either.
template <Symbology symbology> std::optional<BarcodeRefusal> matrixRefusal(const QString &text)
{
    if (text.size() > matrixMostCharacters)
        return BarcodeRefusal{QStringLiteral("%1 takes at most %2 characters")
                                  .arg(titleOf(symbology), count(matrixMostCharacters)),
                              count(text.size())};
    return std::nullopt;
}

// What varies from one symbology to the next in drawing it, one row each;
// its names are the model's row.
struct SymbologyRow
{
    Symbology symbology;
    int libraryId;
    // The rules that need no encoding: characters, digit counts, plain lengths.
    std::optional<BarcodeRefusal> (*rules)(const QString &text);
    // What it holds, where that depends on the mix of characters.
    std::optional<Capacity> capacity;
    // A matrix symbol's quiet zone, in modules; its rectangles come from the
    // library's grid of modules. Linear symbols, whose bars and text line
    // the library lays out, have none.
    std::optional<int> quietModules = std::nullopt;
};

const SymbologyRow symbologyRows[] = {
    // 60 symbol characters: an ASCII character takes at most two (a shift
    // and itself), a pair of digits one.
    {Symbology::Code128, BARCODE_CODE128, code128Refusal, Capacity{30, 120}},
    {Symbology::Code39, BARCODE_CODE39, code39Refusal, std::nullopt},
    {Symbology::Ean13, BARCODE_EANX, ean13Refusal, std::nullopt},
    {Symbology::UpcA, BARCODE_UPCA, upcaRefusal, std::nullopt},
    {Symbology::Itf, BARCODE_C25INTER, itfRefusal, std::nullopt},
    {Symbology::Qr, BARCODE_QRCODE, matrixRefusal<Symbology::Qr>, std::nullopt, 4},
    {Symbology::DataMatrix, BARCODE_DATAMATRIX, matrixRefusal<Symbology::DataMatrix>, std::nullopt,
     1},
};

const SymbologyRow &rowOf(Symbology symbology)
{
    return *std::find_if(
        std::begin(symbologyRows), std::end(symbologyRows),
        [symbology](const SymbologyRow &row) { return row.symbology == symbology; });
}

std::optional<BarcodeRefusal> ruleRefusal(Symbology symbology, const QString &text)
{
    if (text.isEmpty())
        return BarcodeRefusal{titleOf(symbology) + QStringLiteral(" needs a text to encode"),
                              QStringLiteral("an empty text")};
    return rowOf(symbology).rules(text);
}

BarcodeRefusal tooLong(Symbology symbology, const QString &text)
{
    return {titleOf(symbology) + QStringLiteral(" cannot hold so much text"),
            count(text.size()) + QStringLiteral(" characters")};
}

enum class Fit
{
    Fits,
    TooLong,
    Unsure
};

Fit capacityFit(Symbology symbology, const QString &text)
{
    const std::optional<Capacity> &capacity = rowOf(symbology).capacity;
    if (!capacity)
        return Fit::Fits;
    // One UTF-16 unit is at most three UTF-8 bytes: most texts need no conversion.
    if (text.size() * 3 <= capacity->surelyFits)
        return Fit::Fits;
    if (text.size() > capacity->mostCharacters)
        return Fit::TooLong;
    return text.toUtf8().size() <= capacity->surelyFits ? Fit::Fits : Fit::Unsure;
}

struct SymbolDeleter
{
    void operator()(zint_symbol *symbol) const { ZBarcode_Delete(symbol); }
};
using SymbolPtr = std::unique_ptr<zint_symbol, SymbolDeleter>;

SymbolPtr makeSymbol(const BarcodeStyle &style)
{
    SymbolPtr symbol(ZBarcode_Create());
    if (!symbol)
        throw std::bad_alloc();
    symbol->symbology = rowOf(style.symbology).libraryId;
    symbol->input_mode = UNICODE_MODE;
    symbol->output_options = BARCODE_QUIET_ZONES;
    // At this scale the vector output measures in modules.
    symbol->scale = 0.5f;
    symbol->height = static_cast<float>(style.barHeight / style.moduleWidth);
    symbol->show_hrt = style.showText ? 1 : 0;
    // A number's symbol keeps its shape as the number grows.
    if (style.symbology == Symbology::DataMatrix)
        symbol->option_3 = DM_SQUARE;
    return symbol;
}

// The library's refusal of an encoding that returned `error`.
BarcodeRefusal libraryRefusal(Symbology symbology, const QString &text, int error,
                              const zint_symbol &symbol)
{
    if (error == ZINT_ERROR_TOO_LONG)
        return tooLong(symbology, text);
    // "Error 123: What went wrong": the number means nothing to the user.
    QString reason = QString::fromUtf8(symbol.errtxt);
    reason = reason.mid(reason.indexOf(QLatin1String(": ")) + 2);
    return {QStringLiteral("%1: %2").arg(titleOf(symbology), reason), quoted(text)};
}

// Encodes without drawing; the result or the refusal.
std::optional<BarcodeRefusal> encodeInto(zint_symbol &symbol, Symbology symbology,
                                         const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    const int error = ZBarcode_Encode(
        &symbol, reinterpret_cast<const unsigned char *>(bytes.constData()), int(bytes.size()));
    if (error >= ZINT_ERROR)
        return libraryRefusal(symbology, text, error, symbol);
    return std::nullopt;
}

Qt::Alignment alignmentOf(int libraryAlignment)
{
    switch (libraryAlignment) {
    case 1:
        return Qt::AlignLeft;
    case 2:
        return Qt::AlignRight;
    default:
        return Qt::AlignHCenter;
    }
}

// A linear symbol as the library lays it out, bars and text line, in modules.
BarcodeSymbol shapesOf(const zint_vector &vector, qreal module)
{
    BarcodeSymbol result;
    result.size = QSizeF(vector.width, vector.height) * module;
    result.module = module;
    for (const zint_vector_rect *rect = vector.rectangles; rect; rect = rect->next)
        result.bars.append(QRectF(rect->x, rect->y, rect->width, rect->height));
    for (const zint_vector_string *string = vector.strings; string; string = string->next)
        result.texts.append({QString::fromUtf8(reinterpret_cast<const char *>(string->text)),
                             QPointF(string->x, string->y), alignmentOf(string->halign),
                             string->fsize});
    return result;
}

bool moduleIsDark(const zint_symbol &symbol, int row, int column)
{
    return (symbol.encoded_data[row][column >> 3] >> (column & 7)) & 1;
}

// A dark run of a row, columns [start, end), and the rectangle it is part of.
struct Run
{
    int start;
    int end;
    qsizetype bar;
};

// A matrix symbol from the library's grid: each row's dark runs, a run
// joined to the same run in the row above, in whole modules within the
// quiet zone. Fewer and shorter rectangles than one a module, and no
// drawing of the library's own to pay for.
BarcodeSymbol gridShapesOf(const zint_symbol &symbol, int quiet, qreal module)
{
    BarcodeSymbol result;
    result.size = QSizeF(symbol.width + 2 * quiet, symbol.rows + 2 * quiet) * module;
    result.module = module;
    std::vector<Run> above;
    std::vector<Run> runs;
    for (int row = 0; row < symbol.rows; ++row) {
        runs.clear();
        auto same = above.cbegin();
        for (int column = 0; column < symbol.width;) {
            if (!moduleIsDark(symbol, row, column)) {
                ++column;
                continue;
            }
            int end = column + 1;
            while (end < symbol.width && moduleIsDark(symbol, row, end))
                ++end;
            // Runs come left to right in both rows: one walk finds its match.
            while (same != above.cend() && same->start < column)
                ++same;
            if (same != above.cend() && same->start == column && same->end == end) {
                QRectF &bar = result.bars[same->bar];
                bar.setHeight(bar.height() + 1);
                runs.push_back({column, end, same->bar});
            } else {
                runs.push_back({column, end, result.bars.size()});
                result.bars.append(QRectF(column + quiet, row + quiet, end - column, 1));
            }
            column = end;
        }
        std::swap(above, runs);
    }
    return result;
}

std::optional<BarcodeRefusal> styleRefusal(const BarcodeStyle &style)
{
    if (!(style.moduleWidth > 0))
        return BarcodeRefusal{
            titleOf(style.symbology) + QStringLiteral(" needs a module width above 0"), {}};
    if (!isMatrixSymbology(style.symbology) && !(style.barHeight > 0))
        return BarcodeRefusal{
            titleOf(style.symbology) + QStringLiteral(" needs a bar height above 0"), {}};
    return std::nullopt;
}

// Emptied when its symbols would hold more rectangles than this, about 64 MB:
// enough for the symbols of a page of 10,000 numbers, so that the screen's
// layout and drawing encode each value once.
constexpr qsizetype cacheRectangles = qsizetype{1} << 21;

// Text is drawn at this size and scaled, so that its size need not be whole pixels.
constexpr int textReferencePixels = 256;

void drawTexts(QPainter &painter, const QList<BarcodeText> &texts, const QColor &color,
               const QString &face)
{
    QFont font(face);
    font.setPixelSize(textReferencePixels);
    // Hinted metrics would not scale linearly from the reference size.
    font.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    painter.setPen(color);
    for (const BarcodeText &text : texts) {
        const qreal width = metrics.horizontalAdvance(text.text);
        const qreal left = text.alignment.testFlag(Qt::AlignLeft)    ? 0
                           : text.alignment.testFlag(Qt::AlignRight) ? -width
                                                                     : -width / 2;
        painter.save();
        painter.translate(text.anchor);
        painter.scale(text.fontSize / textReferencePixels, text.fontSize / textReferencePixels);
        painter.drawText(QPointF(left, 0), text.text);
        painter.restore();
    }
}

} // namespace

QString BarcodeRefusal::onPage(std::int32_t page) const
{
    if (found.isEmpty())
        return rule;
    return QStringLiteral("%1; page %2 gives %3").arg(rule, QString::number(page), found);
}

std::optional<BarcodeRefusal> barcodeRefusal(Symbology symbology, const QString &text)
{
    if (auto refused = ruleRefusal(symbology, text))
        return refused;
    switch (capacityFit(symbology, text)) {
    case Fit::Fits:
        return std::nullopt;
    case Fit::TooLong:
        return tooLong(symbology, text);
    case Fit::Unsure:
        break;
    }
    const SymbolPtr symbol = makeSymbol(BarcodeStyle{.symbology = symbology});
    return encodeInto(*symbol, symbology, text);
}

std::optional<BarcodeRefusal> barcodeRefusal(const BarcodeStyle &style, const QString &text)
{
    if (auto refused = barcodeRefusal(style.symbology, text))
        return refused;
    return styleRefusal(style);
}

EncodedBarcode encodeBarcode(const BarcodeStyle &style, const QString &text)
{
    if (auto refused = ruleRefusal(style.symbology, text))
        return {{}, *refused};
    if (capacityFit(style.symbology, text) == Fit::TooLong)
        return {{}, tooLong(style.symbology, text)};
    if (auto refused = styleRefusal(style))
        return {{}, *refused};
    const SymbolPtr symbol = makeSymbol(style);
    if (auto refused = encodeInto(*symbol, style.symbology, text))
        return {{}, *refused};
    if (const std::optional<int> quiet = rowOf(style.symbology).quietModules)
        return {gridShapesOf(*symbol, *quiet, style.moduleWidth), {}};
    if (const int error = ZBarcode_Buffer_Vector(symbol.get(), 0); error >= ZINT_ERROR)
        return {{}, libraryRefusal(style.symbology, text, error, *symbol)};
    return {shapesOf(*symbol->vector, style.moduleWidth), {}};
}

EncodedBarcode cachedBarcode(RenderCache &renderCache, const BarcodeStyle &style,
                             const QString &text)
{
    QHash<SymbolKey, EncodedBarcode> &cache = renderCache.tables().symbols;
    qsizetype &held = renderCache.tables().symbolRectangles;
    const SymbolKey key{style, text};
    const auto found = cache.constFind(key);
    if (found != cache.cend())
        return *found;
    const EncodedBarcode made = encodeBarcode(style, text);
    // A refusal holds no rectangle but still takes room.
    const qsizetype cost = made.symbol.bars.size() + 1;
    if (held + cost > cacheRectangles) {
        cache.clear();
        held = 0;
    }
    cache.insert(key, made);
    held += cost;
    return made;
}

void drawBarcode(QPainter &painter, const BarcodeSymbol &symbol, QPointF origin, qreal scale,
                 const QColor &color, const QString &face)
{
    painter.save();
    // One transform to whole modules: a PDF then writes each bar in a few
    // short numbers.
    painter.translate(origin);
    painter.scale(scale * symbol.module, scale * symbol.module);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRects(symbol.bars.constData(), int(symbol.bars.size()));
    if (!symbol.texts.isEmpty())
        drawTexts(painter, symbol.texts, color, face);
    painter.restore();
}
