#pragma once

#include "document.h"

#include <cstdint>
#include <functional>

// The width of object `index` as shown, unscaled and unrotated. The model
// cannot measure text; the caller passes the renderer's measurement.
using TextWidthOf = std::function<std::int32_t(int index)>;

// The six align buttons: which coordinate of the selected objects is made equal.
enum class AlignRule
{
    Left,    // left edges, at the leftmost
    HCenter, // horizontal centres, at the rightmost
    Right,   // right edges, at the rightmost
    Top,     // y - fontSize, at the largest
    VCenter, // y - fontSize div 2, at the largest
    Bottom,  // top edges, at the topmost
};

// Moves the objects marked selected so that the rule's coordinate is equal for
// all of them. The search starts from the first selected object, so objects
// outside the selection never decide where the selection goes. Only x or y
// change; `widthOf` is asked only for the horizontal rules. Returns whether
// any object moved.
bool alignSelected(Document &doc, AlignRule rule, const TextWidthOf &widthOf);

// The four View > Arrange moves of the current object in the drawing order.
enum class DrawOrderMove
{
    BringForward,
    SendBackward,
    BringToFront,
    SendToBack,
};

// Moves the one selected object in `drawOrder`; nothing unless exactly one
// object is selected. Records stay in their slots. Returns whether the order changed.
bool moveInDrawOrder(Document &doc, DrawOrderMove move);
