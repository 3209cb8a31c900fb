#pragma once

#include "document.h"

#include <QList>
#include <QSizeF>

#include <cstdint>
#include <functional>
#include <optional>

// The object table's own operations. They change the document and report
// what happened; the caller tells the user (a beep, a message) and redraws.

// Appends an object of `kind` at (px, py) with the defaults of its kind, on
// top of the drawing order. Nothing when the table is full.
std::optional<int> createObject(Document &doc, std::int32_t kind, std::int32_t px, std::int32_t py);

// The copy of `source` that becomes object `index`: everything of the
// source but its place in a link, its selection mark and its name, which is
// the copy's own. Every object a command copies is copied so.
PageObject copyOf(const PageObject &source, int index);
// Appends a picture object showing page `page` of the picture file `bytes`
// (named `file`) at (px, py), `size` page units large, on top of the drawing
// order; the document keeps the bytes. Nothing when the table is full.
std::optional<int> placePicture(Document &doc, std::int32_t px, std::int32_t py,
                                const QByteArray &bytes, const QString &file, std::int32_t page,
                                QSizeF size);
// How messages name object `index`: its name, or "object N" (from 1) when it has none.
QString shownName(const Document &doc, int index);

// How many links a deletion dissolved; each is worth one warning.
struct Removal
{
    int dissolvedLinks = 0;
    int removedObjects = 0;
};

// Makes every number that shows the text of `source` (sameAs), and that
// `mirror` picks by index, a number of its own showing what it showed.
void keepShownNumbers(Document &doc, int source, const std::function<bool(int)> &mirror);
// Puts the objects from index `first` on, just added, on `side`. A number
// among them that showed the text of a number now on the back keeps
// showing what it showed, as a number of its own: only front numbers are
// shown on the back.
void putOnSide(Document &doc, int first, Side side);
// Removes one object, dissolving its link and dropping how it counts across
// data rows; a number that showed its text keeps showing what it showed. An
// index outside the live objects does nothing.
Removal deleteObject(Document &doc, int index);
// Removes every selected object, from the highest index down.
Removal deleteSelected(Document &doc);
// Empties the table for a new document; the capacity stays.
void clearDocument(Document &doc);

// The topmost object whose box contains the point, or -1.
int hitTest(const Document &doc, const QList<Bounds32> &boxes, std::int32_t px, std::int32_t py);
// Moves the selected objects; nothing when none is selected.
void moveSelected(Document &doc, std::int32_t dx, std::int32_t dy);

// Makes an unlinked object the head of a new link. False, changing nothing,
// when the object cannot start a link.
bool startLink(Document &doc, int index);
// Appends an unlinked object behind lastLinked and propagates the links.
// False, changing nothing, when it cannot.
bool appendToLink(Document &doc, int index);
// Unlinks every member of link `link` and renumbers the links above it.
void destroyLink(Document &doc, std::int32_t link);
