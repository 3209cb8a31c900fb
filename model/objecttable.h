#pragma once

#include "documentstate.h"

#include <cstdint>

struct Bounds32;

int createObject(DocumentState &doc, std::int32_t kind, std::int32_t px, std::int32_t py);
void deleteObject(DocumentState &doc, int index);
void deleteSelected(DocumentState &doc);
void clearDocument(DocumentState &doc);
std::int32_t countSelected(const DocumentState &doc);
std::int32_t firstSelected(const DocumentState &doc);
void deselectAll(DocumentState &doc);
void selectInRect(DocumentState &doc, const Bounds32 &rect);
int hitTest(DocumentState &doc, std::int32_t px, std::int32_t py);
void moveSelected(DocumentState &doc, std::int32_t dx, std::int32_t dy);
void startLink(DocumentState &doc, int index);
void appendToLink(DocumentState &doc, int index);
void destroyLink(DocumentState &doc, std::int32_t link);

// Sets `selectedCount` and `currentObject` from the selection marks.
void refreshSelection(DocumentState &doc);
