#pragma once

#include "datasourcesettings.h"
#include "document.h"
#include "numberformat.h"
#include "picture.h"
#include "sheetlayout.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

// What a document stores of one object beyond its record: its number
// format, its picture, and the keys of its entry this version does not
// know, to be written back as they came.
struct StoredObject
{
    NumberFormat format;
    std::optional<PictureRef> picture;
    UnknownKeys unknownKeys;
    Side side = Side::Front;
    std::int32_t sameAs = -1; // a table index; checked against the records by the reader

    bool operator==(const StoredObject &) const = default;
};

// What a document carries after its drawing order: one stored object per
// object in table order, the bytes of the pictures they show by id, the
// sheet of labels, the data source, and the block's own keys this version
// does not know.
struct ExtensionBlock
{
    std::vector<StoredObject> objects;
    std::map<QString, QByteArray> pictures;
    std::optional<SheetLayout> sheet;
    QString id; // the document's, as a UUID; empty for none
    Duplex duplex = Duplex::Off;
    std::optional<DataSourceSettings> data;
    UnknownKeys unknownKeys;

    bool operator==(const ExtensionBlock &) const = default;
};

// Reads the bytes after a document's drawing order for a table of
// `objectCount` objects: "PGTX", a little-endian uint32 byte length, then that
// many bytes of UTF-8 JSON. No bytes give every object the default format;
// bytes after the block are left to the caller. Nothing when the block is
// damaged: a bad tag, a length past the end, JSON that does not parse, or a
// value of the wrong type, out of range or naming no object (an object's
// entry, a number's counting). A version other than 1 counts as damaged:
// later additions come as new keys, which are kept.
// A damaged block is never used in part.
std::optional<ExtensionBlock> readExtensionBlock(QByteArrayView bytes, std::int32_t objectCount);

// The block's bytes, keys in a stable order, only objects and keys that
// differ from the defaults. Empty when every format is the default and
// nothing unknown is kept, so such a document stays as it always was.
// Formats are written within their limits, so the block always reads back.
QByteArray extensionBlockBytes(const ExtensionBlock &block);
