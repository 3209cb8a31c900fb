#include "arrange.h"

#include "wrapint.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

bool isHorizontal(AlignRule rule)
{
    return rule == AlignRule::Left || rule == AlignRule::HCenter || rule == AlignRule::Right;
}

// Left and bottom meet at the smallest value, the others at the largest.
bool meetsAtSmallest(AlignRule rule)
{
    return rule == AlignRule::Left || rule == AlignRule::Bottom;
}

// The value a rule lines up, for an object of text width w.
std::int32_t alignedValue(AlignRule rule, const PageObject &object, std::int32_t w)
{
    switch (rule) {
    case AlignRule::Left:
        return object.x;
    case AlignRule::HCenter:
        return wrapAdd(object.x, w / 2);
    case AlignRule::Right:
        return wrapAdd(object.x, w);
    case AlignRule::Top:
        return wrapSub(object.y, object.fontSize);
    case AlignRule::VCenter:
        return wrapSub(object.y, object.fontSize / 2);
    case AlignRule::Bottom:
        break;
    }
    return object.y;
}

// The x (horizontal rules) or y that gives the object the value `meeting`.
std::int32_t placedAt(AlignRule rule, std::int32_t meeting, const PageObject &object,
                      std::int32_t w)
{
    switch (rule) {
    case AlignRule::HCenter:
        return wrapSub(meeting, w / 2);
    case AlignRule::Right:
        return wrapSub(meeting, w);
    case AlignRule::Top:
        return wrapAdd(meeting, object.fontSize);
    case AlignRule::VCenter:
        return wrapAdd(meeting, object.fontSize / 2);
    case AlignRule::Left:
    case AlignRule::Bottom:
        break;
    }
    return meeting;
}

// The position in the live part of drawOrder that holds `index`, searched
// from the bottom up or from the top down.
std::optional<int> positionOf(const Document &doc, std::int32_t index, bool fromTop)
{
    const auto size = static_cast<int>(doc.drawOrder.size());
    for (int k = 0; k < size; ++k) {
        const int p = fromTop ? size - 1 - k : k;
        if (doc.drawOrder[p] == index)
            return p;
    }
    return std::nullopt;
}

} // namespace

bool alignSelected(Document &doc, AlignRule rule, const TextWidthOf &widthOf)
{
    const bool horizontal = isHorizontal(rule);
    std::vector<int> members;
    std::vector<std::int32_t> widths;
    for (int i = 0; i < doc.count(); ++i) {
        if (doc.objects[i].isSelected()) {
            members.push_back(i);
            widths.push_back(horizontal ? widthOf(i) : 0);
        }
    }
    if (members.empty())
        return false;

    // Strict comparisons: among equal values the first in table order stays.
    std::int32_t meeting = alignedValue(rule, doc.objects[members.front()], widths.front());
    for (std::size_t k = 1; k < members.size(); ++k) {
        const std::int32_t value = alignedValue(rule, doc.objects[members[k]], widths[k]);
        if (meetsAtSmallest(rule) ? value < meeting : value > meeting)
            meeting = value;
    }

    bool moved = false;
    for (std::size_t k = 0; k < members.size(); ++k) {
        PageObject &object = doc.objects[members[k]];
        std::int32_t &coordinate = horizontal ? object.x : object.y;
        const std::int32_t placed = placedAt(rule, meeting, object, widths[k]);
        moved = moved || placed != coordinate;
        coordinate = placed;
    }
    return moved;
}

bool moveInDrawOrder(Document &doc, DrawOrderMove move)
{
    const int current = soleSelected(doc);
    if (current < 0)
        return false;
    const int last = static_cast<int>(doc.drawOrder.size()) - 1;
    const auto order = doc.drawOrder.begin();
    // Send Backward looks from the top down; the others from the bottom up.
    const std::optional<int> found = positionOf(doc, current, move == DrawOrderMove::SendBackward);
    if (!found)
        return false;
    const int p = *found;

    switch (move) {
    case DrawOrderMove::BringForward:
        if (p == last)
            return false;
        std::swap(order[p], order[p + 1]);
        return true;
    case DrawOrderMove::SendBackward:
        if (p == 0)
            return false;
        std::swap(order[p - 1], order[p]);
        return true;
    case DrawOrderMove::BringToFront:
        std::rotate(order + p, order + p + 1, order + last + 1);
        return p != last;
    case DrawOrderMove::SendToBack:
        std::rotate(order, order + p, order + p + 1);
        return p != 0;
    }
    return false;
}
