#include "file/documentfile.h"

#include "file/extensionblock.h"
#include "file/recordcodec.h"
#include "filenames.h"
#include "kinds.h"
#include "numbering.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

namespace {

constexpr int headerSize = 48;
constexpr int orderEntrySize = 4;
constexpr int maxErrorTextLength = 100;
const QByteArray extensionBlockTag = QByteArrayLiteral("PGTX");
// The tag and the block's length.
constexpr qsizetype blockHeaderSize = 8;

// The values of the header after its format marks and before its reserved
// tail.
struct DocumentHeader
{
    std::int32_t recordSize = 0;
    std::int32_t objectCount = 0;
    std::int32_t linkCount = 0;
    std::int32_t pageShown = 0;
    std::int32_t pagesToPrint = 0;
};

FileMessage systemError(const QString &text)
{
    return {text.left(maxErrorTextLength), QStringLiteral("Error"), text};
}

FileMessage badHeader()
{
    return {QStringLiteral("Bad file header"), QStringLiteral("O-o-o-ps"),
            QStringLiteral("Bad file header")};
}

QByteArray headerBytes(const DocumentHeader &header)
{
    QByteArray bytes(headerSize, '\0');
    auto *data = reinterpret_cast<uchar *>(bytes.data());
    constexpr std::array<quint16, 4> formatMarks = {2, 0, 4, 1};
    for (std::size_t i = 0; i < formatMarks.size(); ++i)
        qToLittleEndian<quint16>(formatMarks[i], data + 2 * i);
    qToLittleEndian<qint32>(header.recordSize, data + 8);
    qToLittleEndian<qint32>(header.objectCount, data + 12);
    qToLittleEndian<qint32>(header.linkCount, data + 16);
    qToLittleEndian<qint32>(header.pageShown, data + 20);
    qToLittleEndian<qint32>(header.pagesToPrint, data + 24);
    return bytes;
}

// A header that would make the records unreadable or the counts meaningless is
// refused before anything is read.
std::optional<DocumentHeader> parseHeader(const QByteArray &data)
{
    if (data.size() != headerSize)
        return std::nullopt;
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    DocumentHeader header;
    header.recordSize = qFromLittleEndian<qint32>(bytes + 8);
    header.objectCount = qFromLittleEndian<qint32>(bytes + 12);
    header.linkCount = qFromLittleEndian<qint32>(bytes + 16);
    header.pageShown = qFromLittleEndian<qint32>(bytes + 20);
    header.pagesToPrint = qFromLittleEndian<qint32>(bytes + 24);
    if (header.recordSize != recordSize || header.objectCount < 0 || header.linkCount < 0)
        return std::nullopt;
    return header;
}

// The record read from the first `got` bytes of its 388; what was not read
// is zero, but link fields not read say "not linked": zero would name link 0
// and break an intact link of the records before it.
PageObject partialRecord(const RecordBytes &bytes, qint64 got)
{
    PageObject object = decodeRecord(bytes);
    if (got < linkIdOffset + 4)
        object.linkId = -1;
    if (got < linkPrevOffset + 4)
        object.linkPrev = -1;
    if (got < linkNextOffset + 4)
        object.linkNext = -1;
    return object;
}

// Reads up to `count` records. A file that ends early gives one message for
// its short record and keeps the records begun.
QList<PageObject> readRecords(QIODevice &device, std::int32_t count, QList<FileMessage> &messages)
{
    QList<PageObject> objects;
    for (std::int32_t i = 0; i < count; ++i) {
        RecordBytes bytes{};
        const qint64 got = device.read(reinterpret_cast<char *>(bytes.data()), recordSize);
        if (got < 0) {
            messages.append(systemError(device.errorString()));
            return objects;
        }
        if (got == recordSize) {
            objects.append(decodeRecord(bytes));
            continue;
        }
        const PageObject object = partialRecord(bytes, got);
        // The program's box names the font of the cut record, as far as it was read.
        messages.append(
            {object.fontName, QStringLiteral("fontNameChar"),
             QStringLiteral("the file ends inside object %1 of %2").arg(i + 1).arg(count)});
        if (got > 0)
            objects.append(object);
        return objects;
    }
    return objects;
}

bool isPermutation(const QList<std::int32_t> &order)
{
    std::vector<bool> seen(static_cast<std::size_t>(order.size()), false);
    for (const std::int32_t entry : order) {
        if (entry < 0 || entry >= order.size() || seen[entry])
            return false;
        seen[entry] = true;
    }
    return true;
}

QList<std::int32_t> identityOrder(int count)
{
    QList<std::int32_t> order(count);
    for (int i = 0; i < count; ++i)
        order[i] = i;
    return order;
}

// The file's drawing order when it names every loaded object once; the
// identity order otherwise.
QList<std::int32_t> readDrawOrder(QIODevice &device, int count, bool usable)
{
    if (!usable)
        return identityOrder(count);
    const QByteArray bytes = device.read(qint64{count} * orderEntrySize);
    if (bytes.size() != qint64{count} * orderEntrySize)
        return identityOrder(count);
    QList<std::int32_t> order(count);
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    for (int i = 0; i < count; ++i)
        order[i] = qFromLittleEndian<qint32>(data + i * orderEntrySize);
    return isPermutation(order) ? order : identityOrder(count);
}

// A proper chain has one head; walking linkNext from it meets every member
// once, each naming its predecessor in linkPrev, and ends with -1. Checking
// linkPrev at every step also rules out cycles.
bool isProperChain(const QList<PageObject> &objects, const std::vector<int> &members,
                   std::int32_t link)
{
    int head = -1;
    for (const int member : members) {
        if (objects[member].linkPrev != -1)
            continue;
        if (head != -1)
            return false;
        head = member;
    }
    if (head == -1)
        return false;
    int previous = head;
    for (std::size_t visited = 1; visited < members.size(); ++visited) {
        const std::int32_t next = objects[previous].linkNext;
        if (next < 0 || next >= objects.size())
            return false;
        const PageObject &member = objects[next];
        if (member.linkId != link || member.linkPrev != previous)
            return false;
        previous = next;
    }
    return objects[previous].linkNext == -1;
}

// Dissolves every link whose chain is broken or whose number is out of range;
// proper links keep their numbers.
void repairLinks(QList<PageObject> &objects, std::int32_t linkCount)
{
    std::vector<std::vector<int>> chains(static_cast<std::size_t>(linkCount));
    for (int i = 0; i < objects.size(); ++i) {
        PageObject &object = objects[i];
        if (object.linkId < 0 || object.linkId >= linkCount)
            object.unlink();
        else
            chains[object.linkId].push_back(i);
    }
    for (std::size_t link = 0; link < chains.size(); ++link) {
        const std::vector<int> &members = chains[link];
        if (members.empty() || isProperChain(objects, members, static_cast<std::int32_t>(link)))
            continue;
        for (const int member : members)
            objects[member].unlink();
    }
}

// Up to `most` bytes, read a piece at a time: no more is taken than arrives.
QByteArray readAtMost(QIODevice &device, qint64 most)
{
    constexpr qint64 piece = qint64{1} << 20;
    QByteArray bytes;
    while (bytes.size() < most) {
        const QByteArray read = device.read(std::min(most - bytes.size(), piece));
        if (read.isEmpty())
            break;
        bytes += read;
    }
    return bytes;
}

// Skips `count` bytes; false when the file ends first.
bool skip(QIODevice &device, qint64 count)
{
    constexpr qint64 chunk = 1 << 16;
    while (count > 0) {
        const QByteArray skipped = device.read(std::min(count, chunk));
        if (skipped.isEmpty())
            return false;
        count -= skipped.size();
    }
    return true;
}

FileMessage damagedFormats()
{
    const QString text = QStringLiteral("Some number formats could not be read");
    return {text, QStringLiteral("Number Formats"), text};
}

QByteArray formatBytes(const Document &doc)
{
    ExtensionBlock block;
    block.unknownKeys = doc.extensionKeys;
    block.sheet = doc.sheet;
    block.id = doc.id;
    block.duplex = doc.duplex;
    block.data = doc.data;
    block.objects = doc.objects;
    for (PageObject &object : block.objects) {
        // Hexadecimal is the record's to say, and so is a start its field
        // holds; a start it cannot hold goes in the block with its system.
        if (object.format.system == NumberSystem::Hexadecimal && recordHoldsStart(object)) {
            object.format.system = NumberSystem::Decimal;
            object.start = static_cast<std::int32_t>(static_cast<std::uint32_t>(object.start));
        }
        // Only the pictures shown go with the document.
        if (object.picture && doc.pictures.contains(object.picture->id))
            block.pictures[object.picture->id] = doc.pictures.bytes(object.picture->id);
    }
    return extensionBlockBytes(block);
}

// Whether the bytes after the drawing order are meant as a block: they
// begin with its tag, or with the tag's first letters, or carry a length
// that fits them followed by JSON. Anything else is the leftover tail of a
// longer file written over in place, which readers have always passed over.
bool isBlock(const QByteArray &tail)
{
    if (tail.startsWith(extensionBlockTag.left(3)))
        return true;
    if (tail.size() <= blockHeaderSize || tail[blockHeaderSize] != '{')
        return false;
    const auto length = qFromLittleEndian<quint32>(tail.constData() + extensionBlockTag.size());
    return length <= quint64(tail.size() - blockHeaderSize);
}

// Whether every number the data source says how to count is a number; of
// objects a cut left out nothing is known.
bool countsNumbersOnly(const std::optional<DataSourceSettings> &data, const Document &doc)
{
    if (!data)
        return true;
    return std::all_of(data->counting.begin(), data->counting.end(), [&doc](const auto &entry) {
        return !doc.isLive(entry.first) || kindRow(doc.objects[entry.first].kind).numbered;
    });
}

// The data source with only the countings of objects the table holds.
std::optional<DataSourceSettings> dataOf(std::optional<DataSourceSettings> data,
                                         const Document &doc)
{
    if (data)
        std::erase_if(data->counting,
                      [&doc](const auto &entry) { return !doc.isLive(entry.first); });
    return data;
}

// Gives the objects the number formats of the block after the drawing order
// and keeps the block's bytes. A block that is damaged is not used at all.
void readFormats(QIODevice &device, std::int32_t storedObjects, Document &doc,
                 QList<FileMessage> &messages)
{
    const QByteArray bytes = readAtMost(device, maxExtensionBlockBytes + 1);
    if (!isBlock(bytes))
        return;
    QList<PageObject> records = doc.objects;
    records.resize(std::max(storedObjects, 0));
    std::optional<ExtensionBlock> block =
        bytes.startsWith(extensionBlockTag) && bytes.size() <= maxExtensionBlockBytes
            ? readExtensionBlock(bytes, std::move(records))
            : std::nullopt;
    // A back number shows a front number's text: one that names no number
    // of the table, or that is no number itself, is damage, as a value out
    // of range is; so is a shape's drawing on another kind.
    const auto entrySound = [&doc](const PageObject &object, int index) {
        const bool mirrorSound =
            object.sameAs == -1 ||
            (object.sameAs != index && doc.isLive(object.sameAs) && kindRow(object.kind).numbered &&
             kindRow(doc.objects[object.sameAs].kind).numbered);
        return mirrorSound && (!object.shape || object.kind == KindShape);
    };
    bool entriesSound = true;
    for (int i = 0; block && i < doc.count() && i < block->objects.size(); ++i)
        entriesSound = entriesSound && entrySound(block->objects[i], i);
    for (int i = 0; block && entriesSound && i < block->objects.size(); ++i) {
        const std::int32_t source = block->objects[i].sameAs;
        // A number that shows another's shows it itself.
        entriesSound =
            source == -1 || (source < block->objects.size() && block->objects[source].sameAs == -1);
    }
    if (block && !countsNumbersOnly(block->data, doc))
        block.reset();
    if (!block || !entriesSound) {
        messages.append(damagedFormats());
        doc.storedBlock = StoredBlock{bytes, formatBytes(doc), true};
        return;
    }
    for (int i = 0; i < doc.count() && i < block->objects.size(); ++i)
        doc.objects[i] = block->objects[i];
    // Kept under the ids their bytes give, whatever the file called them.
    std::map<QString, QString> ids;
    for (const auto &[id, bytes] : block->pictures)
        ids[id] = doc.pictures.add(bytes);
    for (PageObject &object : doc.objects) {
        if (object.picture && ids.count(object.picture->id))
            object.picture->id = ids[object.picture->id];
    }
    doc.extensionKeys = block->unknownKeys;
    doc.sheet = block->sheet;
    doc.id = block->id;
    doc.duplex = block->duplex;
    doc.data = dataOf(block->data, doc);
    const auto length = qFromLittleEndian<quint32>(bytes.constData() + extensionBlockTag.size());
    doc.storedBlock =
        StoredBlock{bytes.left(blockHeaderSize + qsizetype(length)), formatBytes(doc), false};
}

// Writes all of `data`. A short write is retried so that a full disk or a file
// size limit ends in an error carrying the system's text; Qt alone would
// accept the shorter file.
bool writeBytes(QSaveFile &file, const QByteArray &data)
{
    const char *next = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        const qint64 written = file.write(next, left);
        if (written <= 0)
            return false;
        next += written;
        left -= written;
    }
    return true;
}

// What a record stores for an object: a number's text and zero count as it
// shows them on the page shown.
PageObject storedForm(const PageObject &object, std::int32_t pageShown)
{
    PageObject stored = object;
    if (kindRow(object.kind).numbered)
        stored.text = widthText(object, valueOnPage(object, pageShown), &stored.zeros);
    return stored;
}

} // namespace

LoadResult loadDocument(const QString &path, std::int32_t capacity)
{
    QFile file;
    const QString error = openForReading(file, path);
    if (!error.isEmpty()) {
        LoadResult refused;
        refused.messages.append(
            {QStringLiteral("Can't open file"), QStringLiteral("File Name"), error});
        return refused;
    }
    return readDocument(file, capacity);
}

LoadResult readDocument(const QByteArray &bytes, std::int32_t capacity)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readDocument(buffer, capacity);
}

LoadResult readDocument(QIODevice &device, std::int32_t capacity)
{
    LoadResult result;
    QByteArray headerData(headerSize, '\0');
    const qint64 got = device.read(headerData.data(), headerSize);
    if (got < 0) {
        result.messages.append(systemError(device.errorString()));
        return result;
    }
    headerData.truncate(got);
    const std::optional<DocumentHeader> header = parseHeader(headerData);
    if (!header) {
        result.messages.append(badHeader());
        return result;
    }
    result.storedObjects = header->objectCount;

    Document doc = emptyDocument(capacity);
    const bool countCut = header->objectCount > doc.capacity;
    doc.objects = readRecords(device, std::min(header->objectCount, doc.capacity), result.messages);
    const bool whole = doc.count() == header->objectCount;
    // After a cut the file's order describes records that were not read.
    doc.drawOrder = readDrawOrder(device, doc.count(), !countCut);
    // The formats follow the whole order, past the records that were cut.
    if (whole || (countCut && result.messages.isEmpty() &&
                  skip(device, qint64{header->objectCount - doc.count()} * recordSize +
                                   qint64{header->objectCount} * orderEntrySize)))
        readFormats(device, header->objectCount, doc, result.messages);
    // A block that names objects left out cannot go back as it came.
    if (countCut)
        doc.storedBlock.reset();
    doc.linkCount = std::min(header->linkCount, doc.capacity);
    repairLinks(doc.objects, doc.linkCount);
    doc.pagesToPrint = header->pagesToPrint;
    doc.pageShown = std::min(header->pageShown, header->pagesToPrint);
    result.document = std::move(doc);
    return result;
}

QByteArray documentBytes(const Document &doc, const QList<Bounds32> &boxes)
{
    DocumentHeader header;
    header.recordSize = recordSize;
    header.objectCount = doc.count();
    header.linkCount = doc.linkCount;
    header.pageShown = doc.pageShown;
    header.pagesToPrint = doc.pagesToPrint;
    QByteArray bytes = headerBytes(header);
    bytes.reserve(headerSize + doc.count() * (recordSize + orderEntrySize));
    for (int i = 0; i < doc.count(); ++i) {
        const Bounds32 box = i < boxes.size() ? boxes[i] : Bounds32{};
        const RecordBytes record = encodeRecord(storedForm(doc.objects[i], doc.pageShown), box);
        bytes.append(reinterpret_cast<const char *>(record.data()), recordSize);
    }
    for (const std::int32_t entry : doc.drawOrder) {
        uchar data[orderEntrySize];
        qToLittleEndian<qint32>(entry, data);
        bytes.append(reinterpret_cast<const char *>(data), orderEntrySize);
    }
    // Nothing more unless some object uses what the records cannot hold; the
    // block read goes back as it came while its formats are unchanged.
    const QByteArray formats = formatBytes(doc);
    const bool asRead = doc.storedBlock && formats == doc.storedBlock->formats;
    bytes.append(asRead ? doc.storedBlock->bytes : formats);
    return bytes;
}

bool saveDropsUnreadFormats(const Document &doc)
{
    return doc.storedBlock && doc.storedBlock->damaged &&
           formatBytes(doc) != doc.storedBlock->formats;
}

QString saveDocument(const Document &doc, const QList<Bounds32> &boxes, const QString &path)
{
    QSaveFile file(path);
    // A file the user may write in a folder they may not: written in place,
    // since no temporary file can be made beside it.
    file.setDirectWriteFallback(true);
    // Unbuffered, so that every write reports its own outcome.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString().left(maxErrorTextLength);
    // Until commit the target is untouched (unless written in place); a
    // failed save discards the temporary file and leaves the old document
    // as it was.
    if (!writeBytes(file, documentBytes(doc, boxes)) || !file.commit())
        return file.errorString().left(maxErrorTextLength);
    return {};
}
