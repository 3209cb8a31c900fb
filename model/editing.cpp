#include "editing.h"

#include "kinds.h"
#include "objecttable.h"
#include "wrapint.h"

void selectPress(Document &doc, int hit, bool shift)
{
    if (!doc.isLive(hit)) {
        deselectAll(doc);
        return;
    }
    if (shift) {
        std::int16_t &mark = doc.objects[hit].selected;
        mark = mark == 1 ? 0 : 1;
        return;
    }
    if (!doc.objects[hit].isSelected())
        deselectAll(doc);
    doc.objects[hit].selected = 1;
}

bool linkPress(Document &doc, int hit, bool shift)
{
    return shift ? appendToLink(doc, hit) : startLink(doc, hit);
}

bool unlinkPress(Document &doc, int hit)
{
    if (!doc.isLive(hit) || !doc.objects[hit].isLinked())
        return false;
    destroyLink(doc, doc.objects[hit].linkId);
    return true;
}

void selectAll(Document &doc)
{
    for (PageObject &object : doc.objects)
        object.selected = 1;
}

bool duplicateSelected(Document &doc)
{
    QList<PageObject> copies;
    for (const PageObject &object : std::as_const(doc.objects)) {
        if (object.isSelected())
            copies.append(object);
    }
    deselectAll(doc);

    for (PageObject copy : std::as_const(copies)) {
        if (doc.isFull())
            break;
        const int m = doc.count();
        copy.x = wrapAdd(copy.x, 10);
        copy.y = wrapAdd(copy.y, 10);
        copy.linkId = -1;
        copy.linkPrev = -1;
        copy.linkNext = -1;
        copy.selected = 1;
        copy.name = defaultName(copy.kind, m);
        doc.objects.append(copy);
        doc.drawOrder.append(m);
    }
    return copies.isEmpty() || !doc.isFull();
}
