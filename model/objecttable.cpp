#include "objecttable.h"

#include "kinds.h"
#include "numbering.h"
#include "wrapint.h"

#include <algorithm>
#include <functional>
#include <limits>

namespace {

// Keeps a remembered object index naming the same object after `removed` was
// taken out of the table; -1 when it was the removed one.
void followRemoval(std::int32_t &remembered, int removed)
{
    if (remembered == removed)
        remembered = -1;
    else if (remembered > removed)
        --remembered;
}

void removeFromDrawOrder(Document &doc, int removed)
{
    QList<std::int32_t> &order = doc.drawOrder;
    order.removeIf([removed](std::int32_t entry) { return entry == removed; });
    for (std::int32_t &entry : order) {
        if (entry > removed)
            --entry;
    }
    // A damaged order that lacked the entry keeps as many entries as objects.
    order.resize(std::min<qsizetype>(order.size(), doc.count()));
}

bool contains(const Bounds32 &r, std::int32_t px, std::int32_t py)
{
    return r.left <= px && px < r.right && r.top <= py && py < r.bottom;
}

} // namespace

std::optional<int> createObject(Document &doc, std::int32_t kind, std::int32_t px, std::int32_t py)
{
    if (doc.isFull())
        return std::nullopt;
    const int n = doc.count();
    const KindRow &row = kindRow(kind);
    PageObject object;
    object.kind = kind;
    object.x = px;
    object.y = py;
    object.fontSize = 14;
    object.fontName = QStringLiteral("Arial");
    row.placeDefaults(object);
    if (row.namedWhenPlaced)
        object.name = defaultName(kind, n);
    doc.objects.append(object);
    doc.drawOrder.append(n);
    return n;
}

PageObject copyOf(const PageObject &source, int index)
{
    PageObject copy = source;
    copy.unlink();
    copy.selected = -1;
    copy.name = defaultName(copy.kind, index);
    return copy;
}

std::optional<int> placePicture(Document &doc, std::int32_t px, std::int32_t py,
                                const QByteArray &bytes, const QString &file, std::int32_t page,
                                QSizeF size)
{
    const std::optional<int> placed = createObject(doc, KindPicture, px, py);
    if (!placed)
        return std::nullopt;
    PageObject &object = doc.objects[*placed];
    PictureRef &picture = object.picture.emplace();
    picture.id = doc.pictures.add(bytes);
    picture.file = file;
    picture.page = page;
    // Within the sides a picture may have, in its proportions as far as they go.
    if (size.width() > largestPictureSide || size.height() > largestPictureSide)
        size.scale(largestPictureSide, largestPictureSide, Qt::KeepAspectRatio);
    picture.width = std::clamp(size.width(), smallestPictureSide, largestPictureSide);
    picture.height = std::clamp(size.height(), smallestPictureSide, largestPictureSide);
    // What a reader that knows no pictures shows in its place.
    object.text = file;
    return placed;
}

QString shownName(const Document &doc, int index)
{
    const QString &name = doc.objects[index].name;
    return name.isEmpty() ? QStringLiteral("object %1").arg(index + 1) : name;
}

void keepShownNumbers(Document &doc, int source, const std::function<bool(int)> &mirror)
{
    const PageObject shown = doc.objects[source];
    const NumberFormat format = seriesFormat(doc, source, seriesHead(doc, source));
    for (int i = 0; i < doc.count(); ++i) {
        PageObject &object = doc.objects[i];
        if (object.sameAs != source || !mirror(i))
            continue;
        object.sameAs = -1;
        object.start = shown.start;
        object.stepPage = shown.stepPage;
        object.digits = shown.digits;
        object.zeros = shown.zeros;
        object.format = format;
    }
}

void putOnSide(Document &doc, int first, Side side)
{
    for (int i = first; i < doc.count(); ++i)
        doc.objects[i].side = side;
    for (int i = first; i < doc.count(); ++i) {
        const std::int32_t source = doc.objects[i].sameAs;
        if (doc.isLive(source) && (side == Side::Front || doc.objects[source].side == Side::Back))
            keepShownNumbers(doc, source, [i](int mirror) { return mirror == i; });
    }
}

Removal deleteObject(Document &doc, int index)
{
    Removal removal;
    if (!doc.isLive(index))
        return removal;
    keepShownNumbers(doc, index, [](int) { return true; });
    // The link goes first, while its chain and head are whole.
    const std::int32_t link = doc.objects[index].linkId;
    if (link != -1) {
        destroyLink(doc, link);
        removal.dissolvedLinks = 1;
    }
    doc.objects.removeAt(index);
    removeFromDrawOrder(doc, index);
    removal.removedObjects = 1;
    followRemoval(doc.lastLinked, index);
    if (doc.data)
        removeCounting(*doc.data, index);
    for (PageObject &object : doc.objects) {
        if (object.sameAs > index)
            --object.sameAs;
        if (!object.isLinked())
            continue;
        if (object.linkPrev > index)
            --object.linkPrev;
        if (object.linkNext > index)
            --object.linkNext;
    }
    return removal;
}

Removal deleteSelected(Document &doc)
{
    Removal total;
    // From the top down, so the indices still to visit do not move.
    for (int i = doc.count() - 1; i >= 0; --i) {
        if (!doc.objects[i].isSelected())
            continue;
        const Removal one = deleteObject(doc, i);
        total.dissolvedLinks += one.dissolvedLinks;
        total.removedObjects += one.removedObjects;
    }
    return total;
}

void clearDocument(Document &doc)
{
    doc = emptyDocument(doc.capacity);
}

int hitTest(const Document &doc, const QList<Bounds32> &boxes, std::int32_t px, std::int32_t py)
{
    int hit = -1;
    for (const std::int32_t index : doc.drawOrder) {
        // Later entries are drawn above earlier ones, so the last match wins.
        if (doc.isLive(index) && index < boxes.size() && contains(boxes[index], px, py))
            hit = index;
    }
    return hit;
}

void moveSelected(Document &doc, std::int32_t dx, std::int32_t dy)
{
    for (PageObject &object : doc.objects) {
        if (object.isSelected()) {
            object.x = wrapAdd(object.x, dx);
            object.y = wrapAdd(object.y, dy);
        }
    }
}

bool startLink(Document &doc, int index)
{
    if (!doc.isLive(index) || doc.objects[index].isLinked() || doc.linkCount < 0 ||
        doc.linkCount == std::numeric_limits<std::int32_t>::max())
        return false;
    doc.objects[index].linkId = doc.linkCount;
    ++doc.linkCount;
    doc.lastLinked = index;
    return true;
}

bool appendToLink(Document &doc, int index)
{
    if (!doc.isLive(index) || doc.objects[index].isLinked() || !doc.isLive(doc.lastLinked))
        return false;
    PageObject &tail = doc.objects[doc.lastLinked];
    // The new member joins the link of lastLinked, which must still end there.
    if (!tail.isLinked() || tail.linkNext != -1)
        return false;
    PageObject &object = doc.objects[index];
    object.linkId = tail.linkId;
    object.linkPrev = doc.lastLinked;
    tail.linkNext = index;
    doc.lastLinked = index;
    propagateLinks(doc);
    return true;
}

void destroyLink(Document &doc, std::int32_t link)
{
    if (link < 0)
        return;
    if (doc.isLive(doc.lastLinked) && doc.objects[doc.lastLinked].linkId == link)
        doc.lastLinked = -1;
    // Every member counted with its head's repeat; it keeps that repeat, so
    // that what each one prints stays as it was.
    const std::vector<int> heads = seriesHeads(doc);
    for (int i = 0; i < doc.count(); ++i) {
        if (doc.objects[i].linkId == link)
            doc.objects[i].format.repeat =
                doc.objects[heads[static_cast<std::size_t>(i)]].format.repeat;
    }
    for (PageObject &object : doc.objects) {
        if (object.linkId == link)
            object.unlink();
        else if (object.linkId > link)
            --object.linkId;
    }
    // A number beyond linkCount, found only in a damaged file, is not counted.
    if (link < doc.linkCount)
        --doc.linkCount;
}
