#include "objecttable.h"

#include "numbering.h"
#include "services.h"
#include "wrapint.h"

#include <algorithm>
#include <limits>

namespace {

const QString emptySlotText = QStringLiteral(" ");

bool isLive(const DocumentState &doc, std::int64_t index)
{
    return index >= 0 && index < doc.objectCount;
}

void clearSlot(DocumentState &doc, int slot)
{
    doc.objects[slot] = zeroRecord();
    doc.fontNames[slot] = emptySlotText;
    doc.texts[slot] = emptySlotText;
    doc.names[slot] = emptySlotText;
}

// Keeps a remembered object index naming the same object after `removed` was
// taken out of the table; -1 when it was the removed one.
void followRemoval(std::int32_t &remembered, int removed)
{
    if (remembered == removed)
        remembered = -1;
    else if (remembered > removed)
        --remembered;
}

void removeFromDrawOrder(DocumentState &doc, int removed, int oldCount)
{
    const auto begin = doc.drawOrder.begin();
    const auto last = begin + oldCount;
    const auto kept = std::remove(begin, last, removed);
    std::for_each(begin, kept, [removed](std::int32_t &entry) {
        if (entry > removed)
            --entry;
    });
    // Free entries are zero; a damaged order that lacked the entry drops its last one.
    std::fill(std::min(kept, begin + doc.objectCount), last, 0);
}

bool intersects(const Bounds32 &a, const Bounds32 &b)
{
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

bool contains(const Bounds32 &r, std::int32_t px, std::int32_t py)
{
    return r.left <= px && px < r.right && r.top <= py && py < r.bottom;
}

} // namespace

QString defaultName(std::int32_t kind, int index)
{
    return (kind == KindNumber ? QStringLiteral("num%1") : QStringLiteral("txt%1")).arg(index);
}

int createObject(DocumentState &doc, std::int32_t kind, std::int32_t px, std::int32_t py)
{
    if (doc.objectCount >= doc.objectCapacity)
        return -1;
    const int n = doc.objectCount;
    mainStruct2 &object = doc.objects[n];
    object = zeroRecord();
    object.kind = kind;
    object.x = px;
    object.y = py;
    object.linkId = -1;
    object.linkPrev = -1;
    object.linkNext = -1;
    object.fontSize = 14;
    doc.fontNames[n] = QStringLiteral("Arial");

    if (kind == KindNumber) {
        object.start = 125;
        object.digits = 5;
        object.zeros = 2;
        object.stepPage = 1;
        object.stepLink = 1;
        doc.texts[n] = numberValueText(object, object.start, true);
        doc.names[n] = defaultName(kind, n);
    } else if (kind == KindText) {
        doc.texts[n] = QStringLiteral("Hello!");
        doc.names[n] = defaultName(kind, n);
    } else {
        // No text or name of its own, but none left over from an earlier object.
        doc.texts[n].clear();
        doc.names[n].clear();
    }

    doc.drawOrder[n] = n;
    ++doc.objectCount;
    runLayout(doc);
    return n;
}

void deleteObject(DocumentState &doc, int index)
{
    if (!isLive(doc, index))
        return;
    const std::int32_t link = doc.objects[index].linkId;
    if (link != -1) {
        showMessage(QStringLiteral("You delete linked object. Link will be destroyed."),
                    QStringLiteral("O-o-ops!"));
    }

    const int oldCount = doc.objectCount;
    for (int i = index; i + 1 < oldCount; ++i) {
        doc.objects[i] = doc.objects[i + 1];
        doc.fontNames[i] = std::move(doc.fontNames[i + 1]);
        doc.texts[i] = std::move(doc.texts[i + 1]);
        doc.names[i] = std::move(doc.names[i + 1]);
    }
    clearSlot(doc, oldCount - 1);
    doc.objectCount = oldCount - 1;
    removeFromDrawOrder(doc, index, oldCount);

    followRemoval(doc.lastLinked, index);
    followRemoval(doc.lastHit, index);
    if (link != -1)
        destroyLink(doc, link);

    for (int i = 0; i < doc.objectCount; ++i) {
        mainStruct2 &object = doc.objects[i];
        if (object.linkId == -1)
            continue;
        if (object.linkPrev > index)
            --object.linkPrev;
        if (object.linkNext > index)
            --object.linkNext;
    }
    refreshSelection(doc);
}

void deleteSelected(DocumentState &doc)
{
    // From the top down, so the indices still to visit do not move.
    for (int i = doc.objectCount - 1; i >= 0; --i) {
        if (doc.objects[i].selected == 1)
            deleteObject(doc, i);
    }
    refreshSelection(doc);
}

void clearDocument(DocumentState &doc)
{
    for (int i = 0; i < doc.objectCapacity; ++i)
        clearSlot(doc, i);
    std::fill(doc.drawOrder.begin(), doc.drawOrder.end(), 0);
    doc.objectCount = 0;
    doc.linkCount = 0;
    doc.lastLinked = -1;
    doc.lastHit = -1;
    doc.pageShown = 1;
    doc.pagesToPrint = 1;
    refreshSelection(doc);
}

std::int32_t countSelected(const DocumentState &doc)
{
    std::int32_t count = 0;
    for (std::int32_t i = 0; i < doc.objectCount; ++i) {
        if (doc.objects[i].selected == 1)
            ++count;
    }
    return count;
}

std::int32_t firstSelected(const DocumentState &doc)
{
    for (std::int32_t i = 0; i < doc.objectCount; ++i) {
        if (doc.objects[i].selected == 1)
            return i;
    }
    return doc.objectCount;
}

void deselectAll(DocumentState &doc)
{
    for (int i = 0; i < doc.objectCount; ++i)
        doc.objects[i].selected = -1;
    refreshSelection(doc);
}

void selectInRect(DocumentState &doc, const Bounds32 &rect)
{
    for (int i = 0; i < doc.objectCount; ++i) {
        if (intersects(doc.objects[i].bounds, rect))
            doc.objects[i].selected = 1;
    }
    refreshSelection(doc);
}

int hitTest(DocumentState &doc, std::int32_t px, std::int32_t py)
{
    int hit = -1;
    for (int k = 0; k < doc.objectCount; ++k) {
        const std::int32_t index = doc.drawOrder[k];
        // Later entries are drawn above earlier ones, so the last match wins.
        if (isLive(doc, index) && contains(doc.objects[index].bounds, px, py))
            hit = index;
    }
    doc.lastHit = hit;
    return hit;
}

void moveSelected(DocumentState &doc, std::int32_t dx, std::int32_t dy)
{
    if (doc.selectedCount == 0)
        return;
    for (int i = 0; i < doc.objectCount; ++i) {
        mainStruct2 &object = doc.objects[i];
        if (object.selected == 1) {
            object.x = wrapAdd(object.x, dx);
            object.y = wrapAdd(object.y, dy);
        }
    }
}

bool startLink(DocumentState &doc, int index)
{
    if (!isLive(doc, index) || doc.objects[index].linkId != -1 || doc.linkCount < 0 ||
        doc.linkCount == std::numeric_limits<std::int32_t>::max())
        return false;
    doc.objects[index].linkId = doc.linkCount;
    ++doc.linkCount;
    doc.lastLinked = index;
    return true;
}

bool appendToLink(DocumentState &doc, int index)
{
    if (!isLive(doc, index) || doc.objects[index].linkId != -1 || !isLive(doc, doc.lastLinked))
        return false;
    mainStruct2 &tail = doc.objects[doc.lastLinked];
    // The new member joins the link of lastLinked, which must still end there.
    if (tail.linkId == -1 || tail.linkNext != -1)
        return false;
    mainStruct2 &object = doc.objects[index];
    object.linkId = tail.linkId;
    object.linkPrev = doc.lastLinked;
    tail.linkNext = index;
    doc.lastLinked = index;
    propagateLinks(doc);
    return true;
}

void destroyLink(DocumentState &doc, std::int32_t link)
{
    if (link < 0)
        return;
    if (isLive(doc, doc.lastLinked) && doc.objects[doc.lastLinked].linkId == link)
        doc.lastLinked = -1;
    for (int i = 0; i < doc.objectCount; ++i) {
        mainStruct2 &object = doc.objects[i];
        if (object.linkId == link) {
            object.linkId = -1;
            object.linkPrev = -1;
            object.linkNext = -1;
        } else if (object.linkId > link) {
            --object.linkId;
        }
    }
    // A number beyond linkCount, found only in a damaged file, is not counted.
    if (link < doc.linkCount)
        --doc.linkCount;
}

void refreshSelection(DocumentState &doc)
{
    doc.selectedCount = countSelected(doc);
    doc.currentObject = firstSelected(doc);
}
