#include "selection.h"

#include <algorithm>

namespace {

bool intersects(const Bounds32 &a, const Bounds32 &b)
{
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

} // namespace

void selectPress(Selection &selection, int hit, bool shift)
{
    if (hit < 0 || hit >= selection.count()) {
        deselectAll(selection);
        return;
    }
    if (shift) {
        selection.setMark(hit, selection.isSelected(hit) ? 0 : 1);
        return;
    }
    if (!selection.isSelected(hit))
        deselectAll(selection);
    selection.setMark(hit, 1);
}

void selectAll(Selection &selection, Side side)
{
    for (int i = 0; i < selection.count(); ++i)
        selection.setMark(i, selection.side(i) == side ? 1 : -1);
}

void deselectOtherSide(Selection &selection, Side side)
{
    for (int i = 0; i < selection.count(); ++i) {
        if (selection.side(i) != side && selection.isSelected(i))
            selection.setMark(i, -1);
    }
}

void deselectAll(Selection &selection)
{
    for (int i = 0; i < selection.count(); ++i)
        selection.setMark(i, -1);
}

void selectInRect(Selection &selection, const QList<Bounds32> &boxes, const Bounds32 &rect)
{
    const auto count = std::min<qsizetype>(selection.count(), boxes.size());
    for (int i = 0; i < count; ++i) {
        if (intersects(boxes[i], rect))
            selection.setMark(i, 1);
    }
}
