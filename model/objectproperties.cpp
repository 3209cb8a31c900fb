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

const QString decimalFormat = QStringLiteral("decimal");
const QString hexadecimalFormat = QStringLiteral("hexadecimal");

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

NumberEntries numberEntriesOf(const PageObject &object)
{
    return NumberEntries{startText(object), object.format != 0 ? hexadecimalFormat : decimalFormat,
                         QString::number(object.stepPage), QString::number(object.stepLink)};
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

std::optional<QString> endPreview(const Document &doc, int index, const QString &entry,
                                  bool hexadecimal)
{
    PageObject object = doc.objects[index];
    if (hexadecimal) {
        if (!isHexadecimalEntry(entry))
            return std::nullopt;
        object.start = readHexStart(entry);
    } else {
        const std::optional<std::int32_t> start = readInt32(entry);
        if (!start)
            return std::nullopt;
        object.start = *start;
    }
    object.format = hexadecimal ? 1 : 0;
    object.digits = entryDigits(entry);
    return objectText(object, doc.pagesToPrint, doc.pagesToPrint);
}

void applyNumber(Document &doc, int index, const NumberEntries &entries)
{
    PageObject &object = doc.objects[index];
    object.format = entries.format == decimalFormat ? 0 : 1;
    if (object.format != 0) {
        parseStart(object, entries.start, object.format);
        object.stepPage = textToInt32(entries.nextPage);
        object.stepLink = textToInt32(entries.nextLink);
    } else {
        object.start = textToInt32(entries.start);
        object.stepPage = textToInt32(entries.nextPage);
        object.stepLink = textToInt32(entries.nextLink);
        parseStart(object, entries.start, 0);
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
