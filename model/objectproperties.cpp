#include "objectproperties.h"

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

NumberEntries numberEntriesOf(DocumentState &doc, int index)
{
    mainStruct2 &object = doc.objects[index];
    doc.texts[index] =
        formatNumber(numberValueText(object, object.start, true), object.digits, &object.zeros);
    return NumberEntries{doc.texts[index], object.format != 0 ? hexadecimalFormat : decimalFormat,
                         QString::number(object.stepPage), QString::number(object.stepLink)};
}

PositionEntries positionEntriesOf(const DocumentState &doc, int index)
{
    const mainStruct2 &object = doc.objects[index];
    return PositionEntries{QString::number(object.x), QString::number(object.y),
                           QString::number(object.angle), doc.names[index]};
}

std::optional<QString> colorNameOf(const mainStruct2 &object)
{
    if (object.customColor == 1)
        return customColorName();
    for (const NamedColor &color : namedColors) {
        if (color.value == object.color)
            return QLatin1String(color.name);
    }
    return std::nullopt;
}

int sizeEntryOf(const mainStruct2 &object)
{
    return std::clamp<int>(object.fontSize, smallestFontSize, largestFontSize);
}

std::optional<QString> endPreview(const DocumentState &doc, int index, const QString &entry,
                                  bool hexadecimal)
{
    mainStruct2 object = doc.objects[index];
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
    return pageText(object, doc.pagesToPrint);
}

void applyNumber(DocumentState &doc, int index, const NumberEntries &entries)
{
    mainStruct2 &object = doc.objects[index];
    object.format = entries.format == decimalFormat ? 0 : 1;
    if (object.format != 0) {
        parseStart(doc, index, entries.start, object.format);
        object.stepPage = textToInt32(entries.nextPage);
        object.stepLink = textToInt32(entries.nextLink);
    } else {
        object.start = textToInt32(entries.start);
        object.stepPage = textToInt32(entries.nextPage);
        object.stepLink = textToInt32(entries.nextLink);
        parseStart(doc, index, entries.start, 0);
    }
    propagateLinks(doc);
}

void applyText(DocumentState &doc, int index, const QString &text)
{
    doc.texts[index] = text;
}

void applyPosition(DocumentState &doc, int index, const PositionEntries &entries)
{
    mainStruct2 &object = doc.objects[index];
    object.x = textToInt32(entries.x);
    object.y = textToInt32(entries.y);
    object.angle = textToInt32(entries.angle);
    doc.names[index] = entries.name;
}

void applyFont(DocumentState &doc, int index, const FontEntries &entries)
{
    doc.objects[index].fontSize =
        static_cast<std::int16_t>(std::clamp(entries.size, smallestFontSize, largestFontSize));
    doc.fontNames[index] = entries.font;
}

void applyNamedColor(mainStruct2 &object, const QString &name)
{
    for (const NamedColor &color : namedColors) {
        if (name == QLatin1String(color.name))
            object.color = color.value;
    }
}

void applyCustomColor(mainStruct2 &object, std::int32_t color)
{
    object.color = color;
    object.customColor = 1;
}
