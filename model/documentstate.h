#pragma once

#include "objectrecord.h"

#include <QString>

#include <cstdint>
#include <vector>

// The largest object table the program allows.
inline constexpr int maxObjectCapacity = 10000;

// The object table and the document values that travel with it.
// Every array holds exactly `objectCapacity` entries and is never resized.
struct DocumentState
{
    explicit DocumentState(int capacity = 0);

    std::vector<mainStruct2> objects;
    std::vector<QString> fontNames;
    std::vector<QString> texts;
    std::vector<QString> names;
    std::vector<std::int32_t> drawOrder;

    std::int32_t objectCount = 0;
    std::int32_t objectCapacity = 0;
    std::int32_t selectedCount = 0;
    std::int32_t currentObject = -1;
    std::int32_t linkCount = 0;
    std::int32_t lastLinked = -1;
    std::int32_t lastHit = -1;
    std::int32_t pageShown = 1;
    std::int32_t pagesToPrint = 1;
};

// The program-wide document; tests build their own DocumentState instead.
DocumentState &theDocument();
void resetTheDocument(int capacity);
