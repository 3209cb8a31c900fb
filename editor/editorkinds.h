#pragma once

#include "toolglyphs.h"

#include <QFlags>

#include <cstdint>
#include <span>

// The tabs of the Object Properties window, one page class each.
enum class PropertyPage
{
    Number = 0x01,
    Text = 0x02,
    Position = 0x04,
    Font = 0x08,
    Format = 0x10,
    Picture = 0x20,
    Shape = 0x40,
};
Q_DECLARE_FLAGS(PropertyPages, PropertyPage)
Q_DECLARE_OPERATORS_FOR_FLAGS(PropertyPages)

// An editing mode's Tools item and tool bar button, and the status texts
// they write into the mode label.
struct ModeTool
{
    const char *itemName;
    const char *itemCaption;
    const char *buttonName;
    const char *buttonCaption;
    const char *hint;
    const char *buttonStatus;
    const char *itemStatus;
    Glyph glyph;
};

// How the editor offers each kind of object: one row per kind, beside the
// model's in model/kinds and the renderer's in render/objectshapes.
struct EditorKindRow
{
    std::int32_t kind;
    // Its place mode; the hint names the step that places it.
    ModeTool tool;
    // A press in the mode asks the shell for the file the object shows,
    // rather than placing it at once.
    bool placedFromFile;
    // The Object Properties pages that edit it; the others show disabled.
    PropertyPages pages;
};

// Every kind's row, in the order of their tools.
std::span<const EditorKindRow> editorKindRows();
// The row of `kind`; a kind no row names is edited like text.
const EditorKindRow &editorKindRow(std::int32_t kind);
