#pragma once

#include "datasourcesettings.h"
#include "pageobject.h"
#include "sheetlayout.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

// The extension block a document was read with, kept so that a save gives
// it back byte for byte while the formats it holds are unchanged, and a
// damaged one is never dropped without asking.
struct StoredBlock
{
    QByteArray bytes;   // as the file held them
    QByteArray formats; // the block the formats read from it would make
    bool damaged = false;

    bool operator==(const StoredBlock &) const = default;
};

// Whether the run is printed on both sides of the paper, and about which
// edge the paper turns between them.
enum class Duplex : std::uint8_t
{
    Off,
    LongEdge,
    ShortEdge,
};

// The largest object table the program allows.
inline constexpr int maxObjectCapacity = 10000;

// A document: its objects in table order, the order they are drawn in, and
// the values that travel with them in the file.
struct Document
{
    QList<PageObject> objects;
    // Entry k is the index of the object drawn k-th, bottom first; a
    // permutation of the objects' indices.
    QList<std::int32_t> drawOrder;
    std::int32_t linkCount = 0; // links are numbered 0 .. linkCount - 1
    // The object the Link tool put into a link last, or -1.
    std::int32_t lastLinked = -1;
    std::int32_t pageShown = 1;
    std::int32_t pagesToPrint = 1;
    // The most objects it may hold, from the preferences; checked on insert.
    std::int32_t capacity = 0;
    // The bytes of the pictures its objects show, and of those they showed:
    // a step taken back may show them again.
    PictureStore pictures;
    // The sheet of labels it prints on, each page of the run one label;
    // none for plain paper, a page a sheet.
    std::optional<SheetLayout> sheet;
    Duplex duplex = Duplex::Off;
    // Which job it is, as a UUID: a copy of the file on another machine is
    // the same job. Empty until it is first saved with a shared print log.
    QString id;
    // The data file whose rows its runs print; none: a run of Pages pages.
    std::optional<DataSourceSettings> data;
    // What the file said of the document that this version does not know.
    UnknownKeys extensionKeys;
    std::optional<StoredBlock> storedBlock;

    bool operator==(const Document &) const = default;

    int count() const { return static_cast<int>(objects.size()); }
    bool isFull() const { return count() >= capacity; }
    bool isLive(std::int64_t index) const { return index >= 0 && index < count(); }
};

// The side `object` prints on. A one-sided document prints its front alone:
// what it holds on a back (a two-sided job printed one-sided) stays off the
// paper.
Side sideOf(const Document &doc, const PageObject &object);

// What the user is told when `what` ("The matrix") needs `needed` new
// objects and the table has room for `room` more.
QString noRoomMessage(const QString &what, std::int64_t needed, std::int32_t room);

// An empty document with room for `capacity` objects.
Document emptyDocument(std::int32_t capacity);

std::int32_t selectedCount(const Document &doc);
// The lowest selected index, or the object count when none is selected.
std::int32_t firstSelected(const Document &doc);
// The object that the Object Properties window edits: the only selected
// one, or -1.
int soleSelected(const Document &doc);
