#include "numbering.h"

#include "numberconversion.h"
#include "services.h"
#include "wrapint.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace {

std::int16_t clampToInt16(qsizetype value)
{
    return static_cast<std::int16_t>(std::clamp<qsizetype>(
        value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

bool isLive(const DocumentState &doc, std::int64_t index)
{
    return index >= 0 && index < doc.objectCount;
}

// Fixed-width text of `value` for object `index`, stored as its text.
void storeFormatted(DocumentState &doc, int index, std::int32_t value, bool asUnsigned)
{
    mainStruct2 &object = doc.objects[index];
    doc.texts[index] =
        formatNumber(numberValueText(object, value, asUnsigned), object.digits, &object.zeros);
}

// Only this many characters of a hexadecimal entry are read.
constexpr qsizetype hexStartLength = 8;

int hexDigitValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

qsizetype leadingZeroCount(const QString &text)
{
    qsizetype count = 0;
    while (count < text.size() && text[count] == u'0')
        ++count;
    return count;
}

} // namespace

std::int32_t valueOnPage(const mainStruct2 &object, std::int32_t page)
{
    return wrapAdd(object.start, wrapMul(wrapSub(page, 1), object.stepPage));
}

QString formatNumber(const QString &valueText, std::int16_t digits, std::int16_t *zeros)
{
    if (digits <= 0) {
        beep();
        return QString();
    }
    const qsizetype fill = digits - valueText.size();
    if (zeros)
        *zeros = clampToInt16(fill);
    if (fill >= 0)
        return QString(fill, u'0') + valueText;
    return valueText.left(digits);
}

QString numberValueText(const mainStruct2 &object, std::int32_t value, bool asUnsigned)
{
    const auto bits = static_cast<std::uint32_t>(value);
    if (object.format != 0)
        return QString::number(bits, 16).toUpper();
    return asUnsigned ? QString::number(bits) : QString::number(value);
}

void formatPage(DocumentState &doc, std::int32_t page)
{
    for (int i = 0; i < doc.objectCount; ++i) {
        if (doc.objects[i].kind == KindNumber)
            storeFormatted(doc, i, valueOnPage(doc.objects[i], page), false);
    }
}

void formatStartTexts(DocumentState &doc)
{
    for (int i = 0; i < doc.objectCount; ++i) {
        if (doc.objects[i].kind == KindNumber)
            storeFormatted(doc, i, doc.objects[i].start, true);
    }
}

void propagateLinks(DocumentState &doc)
{
    // Heads in ascending link number, ties in table order.
    std::vector<std::pair<std::int32_t, int>> heads;
    for (int i = 0; i < doc.objectCount; ++i) {
        const mainStruct2 &object = doc.objects[i];
        if (object.linkId >= 0 && object.linkId < doc.objectCapacity && object.linkPrev == -1)
            heads.emplace_back(object.linkId, i);
    }
    std::stable_sort(heads.begin(), heads.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });

    for (const auto &head : heads) {
        int current = head.second;
        // A well-formed chain has fewer steps than there are objects; the bound
        // stops a damaged one that loops.
        for (int steps = 0; steps < doc.objectCount; ++steps) {
            const std::int32_t next = doc.objects[current].linkNext;
            if (!isLive(doc, next))
                break;
            const mainStruct2 &from = doc.objects[current];
            mainStruct2 &to = doc.objects[next];
            to.start = wrapAdd(from.start, from.stepLink);
            to.digits = from.digits;
            storeFormatted(doc, next, to.start, true);
            current = next;
        }
    }
    runLayout(doc);
}

void parseStart(DocumentState &doc, int index, const QString &entry, std::int16_t format)
{
    if (!isLive(doc, index))
        return;
    if (format == 0) {
        const std::int32_t start = textToInt32(entry);
        mainStruct2 &object = doc.objects[index];
        object.format = format;
        object.start = start;
        object.digits = clampToInt16(entry.size());
        doc.texts[index] = numberValueText(object, start, true);
        object.zeros = clampToInt16(object.digits - doc.texts[index].size());
    } else {
        mainStruct2 &object = doc.objects[index];
        object.format = format;
        object.start = readHexStart(entry);
        object.digits = clampToInt16(entry.size());
        object.zeros = clampToInt16(leadingZeroCount(entry));
    }
}

std::int32_t readHexStart(const QString &entry)
{
    std::uint32_t value = 0;
    for (const QChar c : QStringView(entry).left(hexStartLength)) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return -1;
        value = value * 16u + static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(value);
}

bool isHexadecimalEntry(const QString &entry)
{
    const QStringView read = QStringView(entry).left(hexStartLength);
    return !read.isEmpty() &&
           std::all_of(read.begin(), read.end(), [](QChar c) { return hexDigitValue(c) >= 0; });
}

QString endText(const DocumentState &doc, int index)
{
    if (!isLive(doc, index))
        return QString();
    return pageText(doc.objects[index], doc.pagesToPrint);
}

QString pageText(const mainStruct2 &object, std::int32_t page)
{
    return formatNumber(numberValueText(object, valueOnPage(object, page), false), object.digits);
}
