#include "numbering.h"

#include "kinds.h"
#include "numberconversion.h"
#include "numberrun.h"
#include "paginetteerror.h"
#include "rundata.h"

#include <algorithm>
#include <limits>
#include <map>
#include <utility>
#include <vector>

namespace {

std::int16_t clampToInt16(qsizetype value)
{
    return static_cast<std::int16_t>(std::clamp<qsizetype>(
        value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

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

// The width of the widest value a number counting `counting` prints over
// `rows` in a run of `pages`, its start being `start` (or each row's own).
int widthOverRows(NumberValue start, std::int32_t stepPage, const NumberFormat &format,
                  NumberCounting::Mode counting, const std::vector<NumberValue> *rowStarts,
                  NumberValue fromHead, const RunRows &rows, std::int32_t pages)
{
    const auto widest = [&](NumberValue from, std::int32_t count) {
        return autoWidthDigits(from, stepPage, format.repeat, count, format.system);
    };
    if (counting == NumberCounting::Mode::On)
        return widest(start, pages);
    int width = 0;
    std::int32_t longestRow = 0;
    for (qsizetype r = 0; r < rows.rowCount(); ++r) {
        const std::int32_t quantity = rows.quantityOf(r);
        if (quantity == 0)
            continue;
        if (counting == NumberCounting::Mode::StartColumn)
            width = std::max(
                width,
                widest(valueAdd((*rowStarts)[static_cast<std::size_t>(r)], fromHead), quantity));
        longestRow = std::max(longestRow, quantity);
    }
    return counting == NumberCounting::Mode::Restart ? widest(start, longestRow) : width;
}

// Each object's shownSource, which a run reads once.
std::vector<int> shownSources(const Document &doc)
{
    std::vector<int> sources(static_cast<std::size_t>(doc.count()));
    for (int i = 0; i < doc.count(); ++i)
        sources[static_cast<std::size_t>(i)] = shownSource(doc, i);
    return sources;
}

} // namespace

NumberValue valueOnPage(const PageObject &object, std::int32_t page)
{
    return valueAdd(object.start, valueMul(NumberValue{page} - 1, object.stepPage));
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

QString numberValueText(const PageObject &object, NumberValue value)
{
    const NumberSystem system = object.format.system;
    if (system != NumberSystem::Decimal)
        return systemDigits(value, system).value_or(QString::number(value));
    return QString::number(value);
}

QString widthText(const PageObject &object, NumberValue value, std::int16_t *zeros)
{
    const QString digits = numberValueText(object, value);
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

bool printsOwnValues(const Document &doc, int index)
{
    return kindRow(doc.objects[index].kind).numbered && shownSource(doc, index) == index;
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

RunTexts::RunTexts(const Document &doc)
    : m_doc(doc), m_pages(doc.pagesToPrint), m_sources(shownSources(doc))
{
    const std::vector<int> heads = seriesHeads(doc);
    m_runs.reserve(static_cast<std::size_t>(doc.count()));
    for (int i = 0; i < doc.count(); ++i) {
        const PageObject &object = doc.objects[i];
        if (kindRow(object.kind).numbered)
            m_runs.emplace_back(std::in_place, object.start, object.stepPage, object.digits,
                                seriesFormat(doc, i, heads[static_cast<std::size_t>(i)]),
                                doc.pagesToPrint);
        else
            m_runs.emplace_back();
    }
}

RunTexts::RunTexts(const Document &doc, const RunData &data)
    : m_doc(doc), m_data(&data), m_sources(shownSources(doc))
{
    const RunRows &rows = data.rows();
    m_pages = data.table() ? rows.pageCount() : doc.pagesToPrint;
    const std::vector<int> heads = seriesHeads(doc);
    const FieldNames textNames = data.fieldNames(false);
    const FieldNames affixNames = data.fieldNames(true);
    m_runs.reserve(static_cast<std::size_t>(doc.count()));
    m_dataTexts.resize(static_cast<std::size_t>(doc.count()));
    for (int i = 0; i < doc.count(); ++i) {
        const PageObject &object = doc.objects[i];
        const KindRow &kind = kindRow(object.kind);
        DataTexts &texts = m_dataTexts[static_cast<std::size_t>(i)];
        texts.shown = kind.numbered || kind.showsText;
        if (!kind.numbered) {
            if (kind.showsText)
                texts.text = readFields(object.text, textNames, {}).text;
            texts.usesRow = texts.text.usesRow();
            m_runs.emplace_back();
            continue;
        }
        const int head = heads[static_cast<std::size_t>(i)];
        const NumberFormat format = withinLimits(seriesFormat(doc, i, head));
        texts.prefix = readFields(format.prefix, affixNames, {}).text;
        texts.suffix = readFields(format.suffix, affixNames, {}).text;
        texts.counting = data.countingOf(head);
        texts.rowStarts = data.rowStarts(head);
        if (texts.counting == NumberCounting::Mode::StartColumn && !texts.rowStarts)
            texts.counting = NumberCounting::Mode::On;
        texts.fromHead = valueSub(object.start, doc.objects[head].start);
        texts.usesRow = texts.prefix.usesRow() || texts.suffix.usesRow() ||
                        texts.counting != NumberCounting::Mode::On;
        // The affixes are filled in here; the run forms the digits alone,
        // to the width of the whole run's widest value when it follows it.
        NumberFormat digitsOnly = format;
        digitsOnly.prefix.clear();
        digitsOnly.suffix.clear();
        digitsOnly.autoWidth = false;
        const int width = format.autoWidth
                              ? widthOverRows(object.start, object.stepPage, format, texts.counting,
                                              texts.rowStarts, texts.fromHead, rows, m_pages)
                              : object.digits;
        m_runs.emplace_back(std::in_place, object.start, object.stepPage,
                            static_cast<std::int16_t>(width), digitsOnly, m_pages);
    }
    for (int i = 0; i < doc.count(); ++i) {
        const std::optional<NumberRun> &run = m_runs[static_cast<std::size_t>(i)];
        if (run)
            run->appendNumber(m_dataTexts[static_cast<std::size_t>(i)].last, value(i, m_pages));
    }
}

QString RunTexts::text(int index, std::int32_t page) const
{
    index = m_sources[static_cast<std::size_t>(index)];
    const std::optional<NumberRun> &run = m_runs[static_cast<std::size_t>(index)];
    if (!m_data)
        return run ? run->text(page) : m_doc.objects[index].text;
    const DataTexts &texts = m_dataTexts[static_cast<std::size_t>(index)];
    if (!texts.shown)
        return m_doc.objects[index].text;
    FieldValues values{page, m_pages, texts.last};
    RowPlace place;
    if (texts.usesRow) {
        place = m_data->rows().placeOf(page);
        values.row = m_data->table()->rows[place.row];
        values.rowNumber = place.row + 1;
    }
    if (!run)
        return texts.text.filled(values);
    if (texts.prefix.isEmpty() && texts.suffix.isEmpty() && !texts.usesRow)
        return run->text(page);
    QString out;
    texts.prefix.appendTo(out, values);
    run->appendNumber(out, valueAt(index, page, place));
    texts.suffix.appendTo(out, values);
    return out;
}

NumberValue RunTexts::value(int index, std::int32_t page) const
{
    index = m_sources[static_cast<std::size_t>(index)];
    const std::optional<NumberRun> &run = m_runs[static_cast<std::size_t>(index)];
    if (!run)
        return 0;
    if (!m_data || counting(index) == NumberCounting::Mode::On)
        return run->value(page);
    return valueAt(index, page, m_data->rows().placeOf(page));
}

NumberValue RunTexts::valueAt(int index, std::int32_t page, const RowPlace &place) const
{
    const NumberRun &run = *m_runs[static_cast<std::size_t>(index)];
    const DataTexts &texts = m_dataTexts[static_cast<std::size_t>(index)];
    // The place in the row counts as the page does in a run of that row alone.
    const auto pageInRow = static_cast<std::int32_t>(place.index + 1);
    switch (texts.counting) {
    case NumberCounting::Mode::On:
        break;
    case NumberCounting::Mode::Restart:
        return run.value(pageInRow);
    case NumberCounting::Mode::StartColumn:
        return run.valueFrom(
            valueAdd((*texts.rowStarts)[static_cast<std::size_t>(place.row)], texts.fromHead),
            pageInRow);
    }
    return run.value(page);
}

NumberCounting::Mode RunTexts::counting(int index) const
{
    index = m_sources[static_cast<std::size_t>(index)];
    if (m_dataTexts.empty())
        return NumberCounting::Mode::On;
    return m_dataTexts[static_cast<std::size_t>(index)].counting;
}

int RunTexts::repeat(int index) const
{
    index = m_sources[static_cast<std::size_t>(index)];
    const std::optional<NumberRun> &run = m_runs[static_cast<std::size_t>(index)];
    return run ? run->repeat() : 1;
}

QList<ValueSpan> printedSpans(const RunTexts &texts, int index, std::int32_t firstPage,
                              std::int32_t lastPage)
{
    const NumberValue step = texts.document().objects[index].stepPage;
    const std::int64_t repeat = std::max(texts.repeat(index), 1);
    // The values pages first..last print of a series whose page `page` is
    // the `offset`-th page of its counting (from 0).
    const auto span = [&](std::int32_t page, std::int64_t offset, std::int64_t pages) {
        const std::int64_t count = (offset + pages - 1) / repeat - offset / repeat + 1;
        return ValueSpan{texts.value(index, page), step, count};
    };
    if (texts.counting(index) == NumberCounting::Mode::On)
        return {span(firstPage, firstPage - 1, std::int64_t{lastPage} - firstPage + 1)};

    const RunRows &rows = texts.data()->rows();
    QList<ValueSpan> spans;
    // Every span is in the number's step: one is known by its first value.
    std::map<NumberValue, qsizetype> byFirst;
    qsizetype previous = -1;
    for (qsizetype row = rows.placeOf(firstPage).row; row < rows.rowCount(); ++row) {
        const std::int64_t rowFirst = rows.firstPageOf(row);
        if (rowFirst > lastPage)
            break;
        const std::int64_t from = std::max<std::int64_t>(firstPage, rowFirst);
        const std::int64_t to =
            std::min<std::int64_t>(lastPage, rowFirst + rows.quantityOf(row) - 1);
        if (to < from)
            continue;
        const ValueSpan printed =
            span(static_cast<std::int32_t>(from), from - rowFirst, to - from + 1);
        if (previous >= 0) {
            ValueSpan &before = spans[previous];
            const NumberValue after = valueAdd(before.first, valueMul(before.count, step));
            if (after == printed.first) {
                before.count += printed.count;
                continue;
            }
        }
        const auto [found, added] = byFirst.try_emplace(printed.first, spans.size());
        if (added)
            spans.append(printed);
        else
            spans[found->second].count = std::max(spans[found->second].count, printed.count);
        previous = found->second;
    }
    return spans;
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
    return widthText(object, object.start);
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
            to.start = valueAdd(from.start, from.stepLink);
            to.digits = from.digits;
            const QString formed = widthText(to, to.start, &to.zeros);
            if (!kindRow(to.kind).numbered)
                to.text = formed;
            current = next;
        }
    }
}

void parseStart(PageObject &object, const QString &entry, NumberSystem system)
{
    const NumberSystemRow &row = numberSystemRow(system);
    const std::optional<NumberValue> start = row.read(entry);
    if (!start)
        throw PaginetteError(QString::fromLatin1(row.refusal).arg(entry));
    object.format.system = system;
    object.start = *start;
    object.digits = clampToInt16(entry.size());
    // A decimal entry's zeros are its width less its value's digits; other
    // systems count the zeros typed.
    object.zeros = system == NumberSystem::Decimal
                       ? clampToInt16(object.digits - numberValueText(object, *start).size())
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
