#include "documentfile.h"

#include "codepage.h"
#include "objecttable.h"
#include "services.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr int headerSize = 48;
constexpr int orderEntrySize = 4;
constexpr int maxErrorTextLength = 100;

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

// The live part of a table as read from a file, kept apart from the document
// until it is complete and sound.
struct LoadedObjects
{
    std::vector<mainStruct2> records;
    std::vector<QString> fontNames;
    std::vector<QString> texts;
    std::vector<QString> names;
    std::vector<std::int32_t> drawOrder;
};

int reportSystemError(const QString &text)
{
    showMessage(text.left(maxErrorTextLength), QStringLiteral("Error"));
    return -1;
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
// refused before anything is changed.
std::optional<DocumentHeader> parseHeader(const std::array<uchar, headerSize> &data)
{
    DocumentHeader header;
    header.recordSize = qFromLittleEndian<qint32>(data.data() + 8);
    header.objectCount = qFromLittleEndian<qint32>(data.data() + 12);
    header.linkCount = qFromLittleEndian<qint32>(data.data() + 16);
    header.pageShown = qFromLittleEndian<qint32>(data.data() + 20);
    header.pagesToPrint = qFromLittleEndian<qint32>(data.data() + 24);
    if (header.recordSize != recordSize || header.objectCount < 0 || header.linkCount < 0)
        return std::nullopt;
    return header;
}

template <std::size_t N> void fillArea(char (&area)[N], const QString &text)
{
    std::memset(area, 0, N);
    const QByteArray bytes = toWindows1252(text).left(N - 1);
    std::memcpy(area, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

template <std::size_t N> QString areaText(const char (&area)[N])
{
    return fromWindows1252(area, N);
}

// Writes all of `data`. A short write is retried so that a full disk or a file
// size limit ends in an error carrying the system's text; Qt alone would
// accept the shorter file.
bool writeBytes(QSaveFile &file, const char *data, qint64 size)
{
    while (size > 0) {
        const qint64 written = file.write(data, size);
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

void appendRecord(LoadedObjects &loaded, const mainStruct2 &record, bool withStrings)
{
    loaded.records.push_back(record);
    loaded.fontNames.push_back(withStrings ? areaText(record.fontNameChar) : QString());
    loaded.texts.push_back(withStrings ? areaText(record.textChar) : QString());
    loaded.names.push_back(withStrings ? areaText(record.nameChar) : QString());
}

// The record read from the first `got` bytes of its 388; what was not read
// is zero, but link fields not read say "not linked": zero would name link 0
// and break an intact link of the records before it.
mainStruct2 partialRecord(const RecordBytes &bytes, qint64 got)
{
    mainStruct2 record = recordFromBytes(bytes);
    constexpr qint64 linkIdEnd = offsetof(mainStruct2, linkId) + 4;
    constexpr qint64 linkPrevEnd = offsetof(mainStruct2, linkPrev) + 4;
    constexpr qint64 linkNextEnd = offsetof(mainStruct2, linkNext) + 4;
    if (got < linkIdEnd)
        record.linkId = -1;
    if (got < linkPrevEnd)
        record.linkPrev = -1;
    if (got < linkNextEnd)
        record.linkNext = -1;
    return record;
}

// Reads up to `count` records. A file that ends early gives one message for
// its short record and keeps the records begun.
void readRecords(QIODevice &file, std::int32_t count, LoadedObjects &loaded)
{
    for (std::int32_t i = 0; i < count; ++i) {
        RecordBytes bytes{};
        const qint64 got = file.read(reinterpret_cast<char *>(bytes.data()), recordSize);
        if (got < 0) {
            showMessage(QStringLiteral("Read error"), QStringLiteral("Record"));
            appendRecord(loaded, partialRecord(RecordBytes{}, 0), false);
            continue;
        }
        const mainStruct2 record = partialRecord(bytes, got);
        if (got < recordSize) {
            showMessage(areaText(record.fontNameChar), QStringLiteral("fontNameChar"));
            if (got > 0)
                appendRecord(loaded, record, true);
            return;
        }
        appendRecord(loaded, record, true);
    }
}

bool isPermutation(const std::vector<std::int32_t> &order)
{
    std::vector<bool> seen(order.size(), false);
    for (const std::int32_t entry : order) {
        if (entry < 0 || static_cast<std::size_t>(entry) >= order.size() || seen[entry])
            return false;
        seen[entry] = true;
    }
    return true;
}

// The file's drawing order when it names every loaded object once; the
// identity order otherwise.
std::vector<std::int32_t> readDrawOrder(QIODevice &file, std::size_t count, bool usable)
{
    std::vector<std::int32_t> order(count);
    if (usable) {
        QByteArray bytes(static_cast<qsizetype>(count * orderEntrySize), '\0');
        if (file.read(bytes.data(), bytes.size()) == bytes.size()) {
            const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
            for (std::size_t i = 0; i < count; ++i)
                order[i] = qFromLittleEndian<qint32>(data + i * orderEntrySize);
            if (isPermutation(order))
                return order;
        }
    }
    for (std::size_t i = 0; i < count; ++i)
        order[i] = static_cast<std::int32_t>(i);
    return order;
}

void unlink(mainStruct2 &record)
{
    record.linkId = -1;
    record.linkPrev = -1;
    record.linkNext = -1;
}

// A proper chain has one head; walking linkNext from it meets every member
// once, each naming its predecessor in linkPrev, and ends with -1. Checking
// linkPrev at every step also rules out cycles.
bool isProperChain(const std::vector<mainStruct2> &records, const std::vector<int> &members,
                   std::int32_t link)
{
    int head = -1;
    for (const int member : members) {
        if (records[member].linkPrev != -1)
            continue;
        if (head != -1)
            return false;
        head = member;
    }
    if (head == -1)
        return false;
    int previous = head;
    for (std::size_t visited = 1; visited < members.size(); ++visited) {
        const std::int32_t next = records[previous].linkNext;
        if (next < 0 || static_cast<std::size_t>(next) >= records.size())
            return false;
        const mainStruct2 &member = records[next];
        if (member.linkId != link || member.linkPrev != previous)
            return false;
        previous = next;
    }
    return records[previous].linkNext == -1;
}

// Dissolves every link whose chain is broken or whose number is out of range;
// proper links keep their numbers.
void repairLinks(std::vector<mainStruct2> &records, std::int32_t linkCount)
{
    std::vector<std::vector<int>> chains(static_cast<std::size_t>(linkCount));
    for (std::size_t i = 0; i < records.size(); ++i) {
        mainStruct2 &record = records[i];
        if (record.linkId < 0 || record.linkId >= linkCount)
            unlink(record);
        else
            chains[record.linkId].push_back(static_cast<int>(i));
    }
    for (std::size_t link = 0; link < chains.size(); ++link) {
        const std::vector<int> &members = chains[link];
        if (members.empty() || isProperChain(records, members, static_cast<std::int32_t>(link)))
            continue;
        for (const int member : members)
            unlink(records[member]);
    }
}

void installObjects(DocumentState &doc, const LoadedObjects &loaded)
{
    const auto count = static_cast<std::int32_t>(loaded.records.size());
    for (std::int32_t i = 0; i < count; ++i) {
        doc.objects[i] = loaded.records[i];
        doc.fontNames[i] = loaded.fontNames[i];
        doc.texts[i] = loaded.texts[i];
        doc.names[i] = loaded.names[i];
        doc.drawOrder[i] = loaded.drawOrder[i];
    }
    // Free slots look as after clearing, so nothing of an earlier document
    // survives in them.
    const QString freeText = QStringLiteral(" ");
    for (std::int32_t i = count; i < doc.objectCapacity; ++i) {
        doc.objects[i] = zeroRecord();
        doc.fontNames[i] = freeText;
        doc.texts[i] = freeText;
        doc.names[i] = freeText;
        doc.drawOrder[i] = 0;
    }
    doc.objectCount = count;
}

// The document read from `file`, past its opening, as loadDocument describes.
int readDocument(DocumentState &doc, QIODevice &file);
std::optional<std::int32_t> readObjectCount(QIODevice &file);

} // namespace

int saveDocument(DocumentState &doc, const QString &path)
{
    const std::int32_t count = std::clamp(doc.objectCount, 0, doc.objectCapacity);
    QSaveFile file(path);
    // A file the user may write in a folder they may not: written in place,
    // since no temporary file can be made beside it.
    file.setDirectWriteFallback(true);
    // Unbuffered, so that every write reports its own outcome.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return reportSystemError(file.errorString());

    DocumentHeader header;
    header.recordSize = recordSize;
    header.objectCount = count;
    header.linkCount = doc.linkCount;
    header.pageShown = doc.pageShown;
    header.pagesToPrint = doc.pagesToPrint;
    const QByteArray headerData = headerBytes(header);
    bool written = writeBytes(file, headerData.constData(), headerData.size());

    for (std::int32_t i = 0; written && i < count; ++i) {
        mainStruct2 &record = doc.objects[i];
        fillArea(record.fontNameChar, doc.fontNames[i]);
        fillArea(record.textChar, doc.texts[i]);
        fillArea(record.nameChar, doc.names[i]);
        const RecordBytes bytes = recordToBytes(record);
        written = writeBytes(file, reinterpret_cast<const char *>(bytes.data()), recordSize);
    }
    for (std::int32_t i = 0; written && i < count; ++i) {
        uchar entry[orderEntrySize];
        qToLittleEndian<qint32>(doc.drawOrder[i], entry);
        written = writeBytes(file, reinterpret_cast<const char *>(entry), orderEntrySize);
    }

    // Until commit the target is untouched (unless written in place); a
    // failed save discards the temporary file and leaves the old document
    // as it was.
    if (!written || !file.commit())
        return reportSystemError(file.errorString());
    return 0;
}

int loadDocument(DocumentState &doc, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showMessage(QStringLiteral("Can't open file"), QStringLiteral("File Name"));
        return -1;
    }
    return readDocument(doc, file);
}

int loadDocument(DocumentState &doc, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readDocument(doc, buffer);
}

namespace {

int readDocument(DocumentState &doc, QIODevice &file)
{
    std::array<uchar, headerSize> headerData{};
    const qint64 got = file.read(reinterpret_cast<char *>(headerData.data()), headerSize);
    if (got < 0)
        return reportSystemError(file.errorString());
    const std::optional<DocumentHeader> header =
        got == headerSize ? parseHeader(headerData) : std::nullopt;
    if (!header) {
        showMessage(QStringLiteral("Bad file header"), QStringLiteral("O-o-o-ps"));
        return -1;
    }

    const std::int32_t capacity = doc.objectCapacity;
    const bool countCut = header->objectCount > capacity;
    const std::int32_t linkCount = std::min(header->linkCount, capacity);

    LoadedObjects loaded;
    readRecords(file, std::min(header->objectCount, capacity), loaded);
    // After a cut the file's order describes records that were not read.
    loaded.drawOrder = readDrawOrder(file, loaded.records.size(), !countCut);
    repairLinks(loaded.records, linkCount);

    installObjects(doc, loaded);
    doc.linkCount = linkCount;
    doc.pagesToPrint = header->pagesToPrint;
    doc.pageShown = std::min(header->pageShown, header->pagesToPrint);
    doc.lastLinked = -1;
    refreshSelection(doc);
    return 0;
}

} // namespace

std::optional<std::int32_t> storedObjectCount(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return readObjectCount(file);
}

std::optional<std::int32_t> storedObjectCount(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readObjectCount(buffer);
}

namespace {

std::optional<std::int32_t> readObjectCount(QIODevice &file)
{
    std::array<uchar, headerSize> headerData{};
    if (file.read(reinterpret_cast<char *>(headerData.data()), headerSize) != headerSize)
        return std::nullopt;
    const std::optional<DocumentHeader> header = parseHeader(headerData);
    if (!header)
        return std::nullopt;
    return header->objectCount;
}

} // namespace
