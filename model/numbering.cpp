#include "numbering.h"

#include "kinds.h"
#include "numberconversion.h"
#include "numberrun.h"
#include "paginetteerror.h"
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

std::int32_t valueOnPage(const PageObject &object, std::int32_t page)
{
    return wrapAdd(object.start, wrapMul(wrapSub(page, 1), object.stepPage));
}

QString formatNumber(const QString &valueText, std::int16_t digits, std::int16_t *zeros)
{
    if (digits <= 0)
        return QString();
    QString text;
    const qsizetype fill = appendFilled(text, valueText, digits);
    if (zeros)
        *zeros = clampToInt16(fill);
    return text;
}

QString numberValueText(const PageObject &object, std::int32_t value, bool asUnsigned)
{
    const NumberSystem system = object.format.system;
    if (system != NumberSystem::Decimal)
        return systemDigits(value, system).value_or(QString::number(value));
    return asUnsigned ? QString::number(static_cast<std::uint32_t>(value)) : QString::number(value);
}

QString widthText(const PageObject &object, std::int32_t value, bool asUnsigned,
                  std::int16_t *zeros)
{
    const QString digits = numberValueText(object, value, asUnsigned);
    if (padsWithZeros(object.format.system))
        return formatNumber(digits, object.digits, zeros);
    if (object.digits <= 0)
        return QString();
    if (zeros)
        *zeros = 0;
    return digits;
}

int seriesHead(const Document &doc, int index)
{
    int head = index;
    // A proper chain has fewer steps than there are objects; the bound stops
    // a damaged one that loops.
    for (int steps = 0; steps < doc.count(); ++steps) {
        const std::int32_t previous = doc.objects[head].linkPrev;
        if (!doc.objects[head].isLinked() || !doc.isLive(previous))
            break;
        head = previous;
    }
    return head;
}

std::vector<int> seriesHeads(const Document &doc)
{
    std::vector<int> heads(static_cast<std::size_t>(doc.count()));
    for (int i = 0; i < doc.count(); ++i)
        heads[static_cast<std::size_t>(i)] = i;
    for (int i = 0; i < doc.count(); ++i) {
        const PageObject &object = doc.objects[i];
        if (!object.isLinked() || object.linkPrev != -1)
            continue;
        int current = i;
        for (int steps = 0; steps < doc.count(); ++steps) {
            const std::int32_t next = doc.objects[current].linkNext;
            if (!doc.isLive(next) || next == i)
                break;
            heads[static_cast<std::size_t>(next)] = i;
            current = next;
        }
    }
    return heads;
}

NumberFormat seriesFormat(const Document &doc, int index, int head)
{
    NumberFormat format = doc.objects[index].format;
    format.repeat = doc.objects[head].format.repeat;
    return format;
}

int shownSource(const Document &doc, int index)
{
    const std::int32_t source = doc.objects[index].sameAs;
    return source != index && doc.isLive(source) && kindRow(doc.objects[source].kind).numbered &&
                   kindRow(doc.objects[index].kind).numbered
               ? source
               : index;
}

QString objectText(const Document &doc, int index, std::int32_t page)
{
    index = shownSource(doc, index);
    const PageObject &object = doc.objects[index];
    if (!kindRow(object.kind).numbered)
        return object.text;
    return numberText(object.start, object.stepPage, object.digits,
                      seriesFormat(doc, index, seriesHead(doc, index)), page, doc.pagesToPrint);
}

RunTexts::RunTexts(const Document &doc) : m_doc(doc)
{
    const std::vector<int> heads = seriesHeads(doc);
    m_runs.reserve(static_cast<std::size_t>(doc.count()));
    for (int i = 0; i < doc.count(); ++i) {
        // A back number that is the same as a front one runs as that one.
        const int source = shownSource(doc, i);
        const PageObject &object = doc.objects[source];
        if (kindRow(object.kind).numbered)
            m_runs.emplace_back(std::in_place, object.start, object.stepPage, object.digits,
                                seriesFormat(doc, source, heads[static_cast<std::size_t>(source)]),
                                doc.pagesToPrint);
        else
            m_runs.emplace_back();
    }
}

QString RunTexts::text(int index, std::int32_t page) const
{
    const std::optional<NumberRun> &run = m_runs[static_cast<std::size_t>(index)];
    return run ? run->text(page) : m_doc.objects[index].text;
}

std::int32_t RunTexts::value(int index, std::int32_t page) const
{
    const std::optional<NumberRun> &run = m_runs[static_cast<std::size_t>(index)];
    return run ? run->value(page) : 0;
}

int RunTexts::repeat(int index) const
{
    const std::optional<NumberRun> &run = m_runs[static_cast<std::size_t>(index)];
    return run ? run->repeat() : 1;
}

bool showsInDecimal(const Document &doc, int index, std::int32_t page)
{
    index = shownSource(doc, index);
    const PageObject &object = doc.objects[index];
    return kindRow(object.kind).numbered &&
           NumberRun(object.start, object.stepPage, object.digits,
                     seriesFormat(doc, index, seriesHead(doc, index)), doc.pagesToPrint)
               .showsDecimal(page);
}

bool showsNothing(const PageObject &object)
{
    return kindRow(object.kind).numbered && object.digits <= 0;
}

QString startText(const PageObject &object)
{
    return widthText(object, object.start, true);
}

void propagateLinks(Document &doc)
{
    // Heads in ascending link number, ties in table order.
    std::vector<std::pair<std::int32_t, int>> heads;
    for (int i = 0; i < doc.count(); ++i) {
        const PageObject &object = doc.objects[i];
        if (object.linkId >= 0 && object.linkId < doc.capacity && object.linkPrev == -1)
            heads.emplace_back(object.linkId, i);
    }
    std::stable_sort(heads.begin(), heads.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });

    for (const auto &head : heads) {
        int current = head.second;
        // A well-formed chain has fewer steps than there are objects; the bound
        // stops a damaged one that loops.
        for (int steps = 0; steps < doc.count(); ++steps) {
            const std::int32_t next = doc.objects[current].linkNext;
            if (!doc.isLive(next))
                break;
            const PageObject &from = doc.objects[current];
            PageObject &to = doc.objects[next];
            to.start = wrapAdd(from.start, from.stepLink);
            to.digits = from.digits;
            const QString formed = widthText(to, to.start, true, &to.zeros);
            if (!kindRow(to.kind).numbered)
                to.text = formed;
            current = next;
        }
    }
}

void parseStart(PageObject &object, const QString &entry, NumberSystem system)
{
    const NumberSystemRow &row = numberSystemRow(system);
    const std::optional<std::int32_t> start = row.read(entry);
    if (!start)
        throw PaginetteError(QString::fromLatin1(row.refusal).arg(entry));
    object.format.system = system;
    object.start = *start;
    object.digits = clampToInt16(entry.size());
    // A decimal entry's zeros are its width less its value's digits; other
    // systems count the zeros typed.
    object.zeros = system == NumberSystem::Decimal
                       ? clampToInt16(object.digits - numberValueText(object, *start, true).size())
                       : clampToInt16(leadingZeroCount(entry));
}

bool isHexadecimalEntry(const QString &entry)
{
    const QStringView read = QStringView(entry).left(hexStartLength);
    return !read.isEmpty() &&
           std::all_of(read.begin(), read.end(), [](QChar c) { return hexDigitValue(c) >= 0; });
}

QString endText(const Document &doc, int index)
{
    if (!doc.isLive(index))
        return QString();
    return objectText(doc, index, doc.pagesToPrint);
}

std::optional<WidthGrowth> widthGrowth(const Document &doc, int index, std::int32_t firstPage,
                                       std::int32_t lastPage)
{
    const PageObject &object = doc.objects[index];
    if (!kindRow(object.kind).numbered || object.format.autoWidth || object.digits <= 0)
        return std::nullopt;
    const NumberFormat format = seriesFormat(doc, index, seriesHead(doc, index));
    return firstGrowth(object.start, object.stepPage, format.repeat, object.digits, firstPage,
                       lastPage, format.system);
}
