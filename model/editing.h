#pragma once

#include "documentstate.h"

// What a press and the Edit commands do to the object table. `hit` is the
// object under the pointer, or -1 for empty page. Those that change the
// selection refresh its cached count; the caller redraws and sets the
// document's modified flag.

// Main mode: a press on empty page deselects all; Shift toggles the object
// under the pointer; a plain press on an unselected object selects it alone,
// and on a selected one keeps the whole selection, ready to be dragged.
void selectPress(DocumentState &doc, int hit, bool shift);

// Link mode: a press starts a link at an unlinked object, a Shift press
// appends one behind the object linked last. False, changing nothing, when
// refused (the caller beeps).
bool linkPress(DocumentState &doc, int hit, bool shift);

// Unlink mode: dissolves the link of the object under the pointer. False
// when there was none.
bool unlinkPress(DocumentState &doc, int hit);

void selectAll(DocumentState &doc);

// Copies every selected object 10 units right of and below itself, unlinked
// and on top, and leaves exactly the copies selected. False when the table
// is full and copies were asked for, whether or not all could be made (the
// caller beeps once).
bool duplicateSelected(DocumentState &doc);
