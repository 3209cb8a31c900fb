#pragma once

#include "document.h"

// What a press and the Edit commands do to the document. `hit` is the object
// under the pointer, or -1 for empty page.

// Link mode: a press starts a link at an unlinked object, a Shift press
// appends one behind the object linked last. False, changing nothing, when
// refused.
bool linkPress(Document &doc, int hit, bool shift);

// Unlink mode: dissolves the link of the object under the pointer. False
// when there was none.
bool unlinkPress(Document &doc, int hit);

// Copies every selected object 10 units right of and below itself, unlinked
// and on top, and leaves exactly the copies selected. False when copies were
// asked for and the table filled up, whether or not all could be made.
bool duplicateSelected(Document &doc);
