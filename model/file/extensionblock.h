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

// What a document carries after its drawing order: its objects in table
// order, each with what its entry holds beyond its record (its number
// format, picture, side, shape, and the keys this version does not know),
// the bytes of the pictures they show by id, the sheet of labels, the data
// source, and the block's own keys this version does not know.
struct ExtensionBlock
{
    QList<PageObject> objects;
    std::map<QString, QByteArray> pictures;
    std::optional<SheetLayout> sheet;
    QString id; // the document's, as a UUID; empty for none
    Duplex duplex = Duplex::Off;
    std::optional<DataSourceSettings> data;
    UnknownKeys unknownKeys;

    bool operator==(const ExtensionBlock &) const = default;
};

// Reads the bytes after a document's drawing order into the objects its
// records gave, `records`, as they stand in the table: "PGTX", a little-endian uint32 byte length,
// then that many bytes of UTF-8 JSON. No bytes leave every object as its record has it; bytes after
// the block are left to the caller. Nothing when the block is damaged: a bad tag, a length past the
// end, JSON that does not parse, or a value of the wrong type, out of range or naming no object (an
// object's entry, a number's counting). A version other than 1 counts as damaged: later additions
// come as new keys, which are kept. A damaged block is never used in part.
std::optional<ExtensionBlock> readExtensionBlock(QByteArrayView bytes, QList<PageObject> records);

// The block's bytes, keys in a stable order, only objects and keys that
// differ from the defaults; what an object's record holds is left to it. Empty when every format is
// the default and nothing unknown is kept, so such a document stays as it always was. Formats are
// written within their limits, so the block always reads back.
QByteArray extensionBlockBytes(const ExtensionBlock &block);
