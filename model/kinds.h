#pragma once

#include "pageobject.h"

#include <QString>

#include <cstdint>

// What the model knows of each kind of object: one row per kind. The
// renderer keeps its own row per kind for boxes and drawing.
struct KindRow
{
    std::int32_t kind;
    // Copies (Duplicate, Create Matrix) are named this and their table index.
    const char *namePrefix;
    // Whether a placed object takes such a name; a picture has none of its own.
    bool namedWhenPlaced;
    // Whether its text comes from the number rule.
    bool numbered;
    // Whether its text is shown, and so may hold fields a run fills in.
    bool showsText;
    // The values a placed object starts with beyond the common ones.
    void (*placeDefaults)(PageObject &object);
};

// The row of `kind`; a kind no row names is shown and copied like text.
const KindRow &kindRow(std::int32_t kind);

// "num3" for a number in slot 3, "shp3" for a shape, "txt3" for any other kind.
QString defaultName(std::int32_t kind, int index);
