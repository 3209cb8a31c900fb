#include "editing.h"

#include "kinds.h"
#include "objecttable.h"
#include "selection.h"
#include "wrapint.h"

bool linkPress(Document &doc, int hit, bool shift)
{
    // A number showing another's text has no values of its own to link.
    if (doc.isLive(hit) && doc.objects[hit].sameAs != -1)
        return false;
    return shift ? appendToLink(doc, hit) : startLink(doc, hit);
}

bool unlinkPress(Document &doc, int hit)
{
    if (!doc.isLive(hit) || !doc.objects[hit].isLinked())
        return false;
    destroyLink(doc, doc.objects[hit].linkId);
    return true;
}

bool duplicateSelected(Document &doc)
{
    QList<PageObject> copies;
    for (const PageObject &object : std::as_const(doc.objects)) {
        if (object.isSelected())
            copies.append(object);
    }
    Selection selection(doc);
    deselectAll(selection);

    for (const PageObject &source : std::as_const(copies)) {
        if (doc.isFull())
            break;
        const int m = doc.count();
        PageObject copy = copyOf(source, m);
        copy.x = wrapAdd(copy.x, 10);
        copy.y = wrapAdd(copy.y, 10);
        copy.selected = 1;
        doc.objects.append(copy);
        doc.drawOrder.append(m);
    }
    return copies.isEmpty() || !doc.isFull();
}
