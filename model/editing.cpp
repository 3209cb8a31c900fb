#include "editing.h"

#include "objecttable.h"
#include "services.h"
#include "wrapint.h"

#include <vector>

namespace {

bool isLive(const DocumentState &doc, int index)
{
    return index >= 0 && index < doc.objectCount;
}

// A copy and the object it was taken from, whose strings it takes.
struct Copy
{
    mainStruct2 record;
    int source;
};

} // namespace

void selectPress(DocumentState &doc, int hit, bool shift)
{
    if (!isLive(doc, hit)) {
        deselectAll(doc);
        return;
    }
    std::int16_t &mark = doc.objects[hit].selected;
    if (shift) {
        mark = mark == 1 ? 0 : 1;
    } else {
        if (mark != 1)
            deselectAll(doc);
        mark = 1;
    }
    refreshSelection(doc);
}

bool linkPress(DocumentState &doc, int hit, bool shift)
{
    return shift ? appendToLink(doc, hit) : startLink(doc, hit);
}

bool unlinkPress(DocumentState &doc, int hit)
{
    if (!isLive(doc, hit) || doc.objects[hit].linkId == -1)
        return false;
    destroyLink(doc, doc.objects[hit].linkId);
    return true;
}

void selectAll(DocumentState &doc)
{
    for (int i = 0; i < doc.objectCount; ++i)
        doc.objects[i].selected = 1;
    refreshSelection(doc);
}

bool duplicateSelected(DocumentState &doc)
{
    std::vector<Copy> duplicateBuffer;
    for (int i = 0; i < doc.objectCount; ++i) {
        if (doc.objects[i].selected == 1)
            duplicateBuffer.push_back({doc.objects[i], i});
    }
    deselectAll(doc);

    for (const Copy &copy : duplicateBuffer) {
        if (doc.objectCount >= doc.objectCapacity)
            break;
        const int m = doc.objectCount;
        mainStruct2 &object = doc.objects[m];
        object = copy.record;
        object.x = wrapAdd(object.x, 10);
        object.y = wrapAdd(object.y, 10);
        object.linkId = -1;
        object.linkPrev = -1;
        object.linkNext = -1;
        object.selected = 1;
        doc.fontNames[m] = doc.fontNames[copy.source];
        doc.texts[m] = doc.texts[copy.source];
        doc.names[m] = defaultName(object.kind, m);
        doc.drawOrder[m] = m;
        ++doc.objectCount;
    }
    runLayout(doc);
    refreshSelection(doc);
    return duplicateBuffer.empty() || doc.objectCount < doc.objectCapacity;
}
