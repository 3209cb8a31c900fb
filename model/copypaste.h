#pragma once

#include "document.h"

#include <QString>

#include <cstdint>
#include <optional>

class QMimeData;

// What Copy takes: the selected objects as a document of their own, in
// table order, drawn in the order they were. A link goes whole or not at
// all: members of a link partly left behind become plain numbers that show
// the values they show now.
Document copiedObjects(const Document &doc);
// The texts the selected objects show on the page shown, one a line.
QString copiedText(const Document &doc);

// The clipboard's forms of copied objects: the program's own type, holding a
// document file's bytes, and plain text for other programs.
inline constexpr char objectsMimeType[] = "application/x-paginette-objects";
void putObjects(QMimeData &mime, const Document &copied, const QString &text);

// What Paste takes from a clipboard: the objects of the program's own form,
// read whole, else the text of other programs; or, when the clipboard holds
// more than a document can or objects that cannot be read whole, nothing,
// and why.
struct ClipboardContent
{
    std::optional<Document> objects;
    QString text;
    QString refusal;
};
ClipboardContent takeFromClipboard(const QMimeData &mime);

struct PasteResult
{
    bool pasted = false;
    std::int64_t needed = 0; // new objects
    std::int32_t room = 0;   // for more objects
};

// Adds the objects of `copied` to `doc`, selected alone, as copies named
// after their slots and drawn on top, their links among themselves kept.
// They move 10 units right and down as often as they would land on an
// object of their kind. Nothing is added when there is no room for them all.
PasteResult pasteObjects(Document &doc, const Document &copied);
// Each line of `text` as a text object, the first at (x, y), the next ones
// below it; the same room rule.
PasteResult pasteLines(Document &doc, const QString &text, std::int32_t x, std::int32_t y);
