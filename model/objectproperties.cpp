#include "objectproperties.h"

#include "kinds.h"
#include "numberconversion.h"
#include "numbering.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

struct NamedColor
{
    const char *name;
    std::int32_t value; // 0x00BBGGRR
};

constexpr std::array<NamedColor, 4> namedColors{{
    {"Black", 0},
    {"Red", 255},
    {"Green", 32768},
    {"Blue", 16711680},
}};

struct NamedCheck
{
    const char *name;
    CheckDigit check;
};

constexpr std::array<NamedCheck, 6> namedChecks{{
    {"none", CheckDigit::None},
    {"Luhn (mod 10)", CheckDigit::Luhn},
    {"mod 10, weights 3-1", CheckDigit::Mod10Weights31},
    {"mod 11", CheckDigit::Mod11},
    {"mod 7", CheckDigit::Mod7},
    {"mod 9", CheckDigit::Mod9},
}};

std::int16_t entryDigits(const QString &entry)
{
    return static_cast<std::int16_t>(
        std::min<qsizetype>(entry.size(), std::numeric_limits<std::int16_t>::max()));
}

} // namespace

QStringList colorNames()
{
    QStringList names;
    for (const NamedColor &color : namedColors)
        names << QLatin1String(color.name);
    names << QStringLiteral("Gradient") << customColorName();
    return names;
}

QString customColorName()
{
    return QStringLiteral("Custom ...");
}

QStringList systemNames()
{
    QStringList names;
    for (const NumberSystemRow &row : numberSystemRows())
        names << QLatin1String(row.title);
    return names;
}

QStringList checkNames()
{
    QStringList names;
    for (const NamedCheck &named : namedChecks)
        names << QLatin1String(named.name);
    return names;
}

QStringList barcodeNames()
{
    QStringList names{QStringLiteral("none")};
    for (const Symbology symbology : allSymbologies)
        names << symbologyTitle(symbology);
    return names;
}

NumberSystem systemNamed(const QString &name)
{
    for (const NumberSystemRow &row : numberSystemRows()) {
        if (name == QLatin1String(row.title))
            return row.system;
    }
    return NumberSystem::Hexadecimal;
}

QString systemName(NumberSystem system)
{
    return QLatin1String(numberSystemRow(system).title);
}

NumberEntries numberEntriesOf(const PageObject &object)
{
    return NumberEntries{startText(object), systemName(object.format.system),
                         QString::number(object.stepPage), QString::number(object.stepLink)};
}

FormatEntries formatEntriesOf(const PageObject &object)
{
    const NumberFormat &format = object.format;
    QString check;
    for (const NamedCheck &named : namedChecks) {
        if (named.check == format.check)
            check = QLatin1String(named.name);
    }
    FormatEntries entries;
    entries.prefix = format.prefix;
    entries.suffix = format.suffix;
    entries.repeat = format.repeat;
    entries.check = check;
    entries.system = systemName(format.system);
    entries.autoWidth = format.autoWidth;
    const BarcodeStyle style = format.barcode.value_or(BarcodeStyle{});
    entries.barcode =
        format.barcode ? symbologyTitle(format.barcode->symbology) : QStringLiteral("none");
    entries.barHeight = style.barHeight;
    entries.moduleWidth = style.moduleWidth;
    entries.barcodeText = style.showText;
    return entries;
}

PositionEntries positionEntriesOf(const PageObject &object)
{
    return PositionEntries{QString::number(object.x), QString::number(object.y),
                           QString::number(object.angle), object.name};
}

std::optional<QString> colorNameOf(const PageObject &object)
{
    if (object.customColor == 1)
        return customColorName();
    for (const NamedColor &color : namedColors) {
        if (color.value == object.color)
            return QLatin1String(color.name);
    }
    return std::nullopt;
}

int sizeEntryOf(const PageObject &object)
{
    return std::clamp<int>(object.fontSize, smallestFontSize, largestFontSize);
}

namespace {

QString endLabelOf(const Document &doc, int index)
{
    const QString text = objectText(doc, index, doc.pagesToPrint);
    if (!showsInDecimal(doc, index, doc.pagesToPrint))
        return text;
    return QStringLiteral("%1 (decimal: below A)").arg(text);
}

} // namespace

QString endLabel(const Document &doc, int index)
{
    if (!doc.isLive(index))
        return QString();
    return endLabelOf(doc, index);
}

std::optional<QString> endPreview(const Document &doc, int index, const QString &entry,
                                  NumberSystem system)
{
    Document previewed = doc;
    PageObject &object = previewed.objects[index];
    if (system == NumberSystem::Hexadecimal) {
        if (!isHexadecimalEntry(entry))
            return std::nullopt;
        object.start = *readStartEntry(entry, system);
    } else {
        const std::optional<NumberValue> start = readStartEntry(entry, system);
        if (!start)
            return std::nullopt;
        object.start = *start;
    }
    object.format.system = system;
    object.digits = entryDigits(entry);
    return endLabelOf(previewed, index);
}

QString convertStartEntry(const QString &entry, NumberSystem from, NumberSystem to)
{
    if (from == to)
        return entry;
    const std::optional<NumberValue> value =
        from == NumberSystem::Hexadecimal
            ? (isHexadecimalEntry(entry) ? readStartEntry(entry, from) : std::nullopt)
            : readStartEntry(entry, from);
    if (!value)
        return entry;
    PageObject object;
    object.format.system = to;
    const QString digits = numberValueText(object, *value);
    return padsWithZeros(to) && digits.size() < entry.size()
               ? QString(entry.size() - digits.size(), u'0') + digits
               : digits;
}

void applyNumber(Document &doc, int index, const NumberEntries &entries)
{
    PageObject &object = doc.objects[index];
    const NumberSystem system = systemNamed(entries.format);
    object.format.system = system;
    // A decimal start is stored before the steps are read, its width after.
    if (system != NumberSystem::Decimal) {
        parseStart(object, entries.start, system);
        object.stepPage = textToInt32(entries.nextPage);
        object.stepLink = textToInt32(entries.nextLink);
    } else {
        object.start = textToValue(entries.start);
        object.stepPage = textToInt32(entries.nextPage);
        object.stepLink = textToInt32(entries.nextLink);
        parseStart(object, entries.start, system);
    }
    propagateLinks(doc);
}

void applyText(PageObject &object, const QString &text)
{
    if (!kindRow(object.kind).numbered)
        object.text = text;
}

void applyPosition(PageObject &object, const PositionEntries &entries)
{
    object.x = textToInt32(entries.x);
    object.y = textToInt32(entries.y);
    object.angle = textToInt32(entries.angle);
    object.name = entries.name;
}

void applyFont(PageObject &object, const FontEntries &entries)
{
    object.fontSize =
        static_cast<std::int16_t>(std::clamp(entries.size, smallestFontSize, largestFontSize));
    object.fontName = entries.font;
}

void applyFormat(PageObject &object, const FormatEntries &entries)
{
    NumberFormat format = object.format;
    format.prefix = entries.prefix;
    format.suffix = entries.suffix;
    format.repeat = entries.repeat;
    for (const NamedCheck &named : namedChecks) {
        if (entries.check == QLatin1String(named.name))
            format.check = named.check;
    }
    format.system = systemNamed(entries.system);
    format.autoWidth = entries.autoWidth;
    std::optional<BarcodeStyle> barcode;
    for (const Symbology symbology : allSymbologies) {
        if (entries.barcode == symbologyTitle(symbology))
            barcode =
                BarcodeStyle{symbology, entries.barHeight, entries.moduleWidth, entries.barcodeText,
                             format.barcode ? format.barcode->unknownKeys : UnknownKeys()};
    }
    format.barcode = barcode;
    object.format = withinLimits(format);
}

void applyPicture(PageObject &object, const PictureEntries &entries)
{
    if (!object.picture)
        return;
    PictureRef &picture = *object.picture;
    picture.width = std::clamp(entries.width, smallestPictureSide, largestPictureSide);
    picture.height = std::clamp(entries.height, smallestPictureSide, largestPictureSide);
    picture.page = std::max(entries.page, 1);
    picture.background = entries.background;
    picture.printed = entries.printed;
}

void applyNamedColor(PageObject &object, const QString &name)
{
    for (const NamedColor &color : namedColors) {
        if (name == QLatin1String(color.name))
            object.color = color.value;
    }
}

void applyCustomColor(PageObject &object, std::int32_t color)
{
    object.color = color;
    object.customColor = 1;
}
