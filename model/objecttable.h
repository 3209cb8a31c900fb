#pragma once

#include "documentstate.h"

#include <cstdint>

// Appends an object with the defaults of its kind and runs the layout pass.
// Returns its index, or -1 when the table is full.
int createObject(DocumentState &doc, std::int32_t kind, std::int32_t px, std::int32_t py);
// Removes one object, dissolving its link; an index outside the live objects
// does nothing.
void deleteObject(DocumentState &doc, int index);
void deleteSelected(DocumentState &doc);
// The name an object placed or copied into slot `index` takes: "num" and the
// slot for a number, "txt" and the slot for any other kind.
QString defaultName(std::int32_t kind, int index);
// Empties the table for a new document.
void clearDocument(DocumentState &doc);

std::int32_t countSelected(const DocumentState &doc);
// Lowest selected index, or objectCount when none is selected.
std::int32_t firstSelected(const DocumentState &doc);
void deselectAll(DocumentState &doc);
// Adds every object whose bounds meet `rect` (window pixels) to the selection.
void selectInRect(DocumentState &doc, const Bounds32 &rect);
// The topmost object whose bounds contain the point, or -1; also kept in lastHit.
int hitTest(DocumentState &doc, std::int32_t px, std::int32_t py);
void moveSelected(DocumentState &doc, std::int32_t dx, std::int32_t dy);

// Makes an unlinked object the head of a new link. Returns false, changing
// nothing, when the object cannot start a link; the caller beeps.
bool startLink(DocumentState &doc, int index);
// Appends an unlinked object behind lastLinked and propagates the links.
// Returns false, changing nothing, when it cannot; the caller beeps.
bool appendToLink(DocumentState &doc, int index);
// Unlinks every member of link `link` and renumbers the links above it.
void destroyLink(DocumentState &doc, std::int32_t link);

// Sets `selectedCount` and `currentObject` from the selection marks.
void refreshSelection(DocumentState &doc);
