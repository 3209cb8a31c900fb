#include "objecttable.h"

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

void refreshSelection(DocumentState &doc)
{
    doc.selectedCount = countSelected(doc);
    doc.currentObject = firstSelected(doc);
}
