#include "continuenumbering.h"

#include "kinds.h"
#include "numbering.h"
#include "rundata.h"
#include "wrapint.h"

#include <algorithm>
#include <vector>

namespace {

// The members of the link `head` starts, in link order.
std::vector<int> linkMembers(const Document &doc, int head)
{
    std::vector<int> members{head};
    for (int steps = 0; steps < doc.count(); ++steps) {
        const std::int32_t next = doc.objects[members.back()].linkNext;
        if (!doc.isLive(next) || next == head)
            break;
        members.push_back(next);
    }
    return members;
}

// How far a member's values move over the run: the values it printed times
// its step. A member that is no number shows one fixed value; it keeps step
// with the member before it.
NumberValue advanceOf(const PageObject &object, std::int32_t values, NumberValue before)
{
    return kindRow(object.kind).numbered ? valueMul(values, object.stepPage) : before;
}

void moveLink(Document &doc, int head, std::int32_t pages)
{
    const std::vector<int> members = linkMembers(doc, head);
    const std::int32_t values = valuesInRun(pages, doc.objects[head].format.repeat);
    std::vector<NumberValue> advance;
    NumberValue before = 0;
    for (const int member : members) {
        before = advanceOf(doc.objects[member], values, before);
        advance.push_back(before);
    }

    bool stacked = members.size() > 1;
    for (std::size_t i = 0; stacked && i + 1 < members.size(); ++i) {
        const PageObject &from = doc.objects[members[i]];
        stacked = advance[i] != 0 &&
                  doc.objects[members[i + 1]].start == valueAdd(from.start, advance[i]);
    }
    PageObject &first = doc.objects[head];
    if (stacked) {
        // The next run's first stack follows this run's last one.
        const PageObject &last = doc.objects[members.back()];
        first.start = valueAdd(last.start, advance.back());
        return;
    }
    first.start = valueAdd(first.start, advance.front());
    // Members that count in other steps than the one before them move by
    // their own; their link step takes up the difference.
    for (std::size_t i = 0; i + 1 < members.size(); ++i) {
        PageObject &from = doc.objects[members[i]];
        // A link step is 32 bits in the file; it wraps there as it always has.
        from.stepLink = wrapAdd(
            from.stepLink, static_cast<std::int32_t>(static_cast<std::uint32_t>(
                               static_cast<std::uint64_t>(valueSub(advance[i + 1], advance[i])))));
    }
}

// Moves every series that counts on past a run of `pages`; with `data`,
// the others stay.
void moveOn(Document &doc, std::int32_t pages, const RunData *data)
{
    for (int i = 0; i < doc.count(); ++i) {
        PageObject &object = doc.objects[i];
        const bool head = object.isLinked() ? object.linkPrev == -1 : kindRow(object.kind).numbered;
        if (!head || (data && data->countingOf(i) != NumberCounting::Mode::On))
            continue;
        if (object.isLinked()) {
            moveLink(doc, i, pages);
        } else {
            const std::int32_t values = valuesInRun(pages, object.format.repeat);
            object.start = valueAdd(object.start, valueMul(values, object.stepPage));
        }
    }
    for (PageObject &object : doc.objects) {
        if (kindRow(object.kind).numbered)
            widthText(object, object.start, &object.zeros);
    }
    propagateLinks(doc);
}

// What each number of `doc`, in table order, shows on page 1 of `texts`.
QList<NextFirstValue> firstTexts(const Document &doc, const RunTexts &texts)
{
    QList<NextFirstValue> values;
    for (int i = 0; i < doc.count(); ++i) {
        const PageObject &object = doc.objects[i];
        if (kindRow(object.kind).numbered)
            values.append({object.name, texts.text(i, 1)});
    }
    return values;
}

} // namespace

bool continuePast(Document &doc, const std::map<QString, PrintedExtremes> &printed)
{
    const std::vector<int> heads = seriesHeads(doc);
    const RunTexts texts(doc);
    std::map<int, std::int64_t> moves; // by head
    for (int i = 0; i < doc.count(); ++i) {
        const PageObject &object = doc.objects[i];
        const auto found = printed.find(object.name);
        if (!kindRow(object.kind).numbered || object.name.isEmpty() || found == printed.end())
            continue;
        const std::int64_t first = texts.value(i, 1);
        const bool down = doc.objects[heads[i]].stepPage < 0;
        const NumberValue past = valueSub(
            valueAdd(down ? found->second.lowest : found->second.highest, object.stepPage), first);
        auto [move, added] = moves.emplace(heads[i], past);
        if (!added)
            move->second = down ? std::min(move->second, past) : std::max(move->second, past);
    }
    bool moved = false;
    for (const auto &[head, move] : moves) {
        const bool down = doc.objects[head].stepPage < 0;
        if (down ? move >= 0 : move <= 0)
            continue;
        PageObject &object = doc.objects[head];
        object.start = valueAdd(object.start, move);
        widthText(object, object.start, &object.zeros);
        moved = true;
    }
    propagateLinks(doc);
    return moved;
}

void continueNumbering(Document &doc)
{
    moveOn(doc, doc.pagesToPrint, nullptr);
}

void continueNumbering(Document &doc, const RunData &data)
{
    moveOn(doc, data.table() ? data.rows().pageCount() : doc.pagesToPrint, &data);
}

QList<NextFirstValue> firstValues(const Document &doc)
{
    return firstTexts(doc, RunTexts(doc));
}

QList<NextFirstValue> firstValues(const Document &doc, const RunData &data)
{
    return firstTexts(doc, RunTexts(doc, data));
}
