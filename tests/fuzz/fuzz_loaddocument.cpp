// Loads arbitrary bytes as a document file and aborts when the loaded document
// breaks one of its invariants, or when saving and reading it again changes it.

#include "file/documentfile.h"
#include "file/recordcodec.h"
#include "kinds.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int capacity = 20;
// A character area holds this many characters and its NUL.
constexpr int areaCharacters = 63;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "broken invariant: %s\n", what);
    std::abort();
}

void check(bool condition, const char *what)
{
    if (!condition)
        fail(what);
}

bool inRange(std::int32_t value, std::int32_t end)
{
    return value >= 0 && value < end;
}

void checkDrawOrder(const Document &doc)
{
    check(doc.drawOrder.size() == doc.objects.size(), "draw order and objects differ in size");
    std::vector<bool> seen(static_cast<std::size_t>(doc.count()), false);
    for (const std::int32_t entry : doc.drawOrder) {
        check(inRange(entry, doc.count()) && !seen[entry], "draw order not a permutation");
        seen[entry] = true;
    }
}

void checkLinks(const Document &doc)
{
    const std::int32_t n = doc.count();
    for (std::int32_t i = 0; i < n; ++i) {
        const PageObject &object = doc.objects[i];
        if (object.linkId == -1) {
            check(object.linkPrev == -1 && object.linkNext == -1, "unlinked object has neighbours");
            continue;
        }
        check(inRange(object.linkId, doc.linkCount), "link number out of range");
        if (object.linkPrev != -1) {
            check(inRange(object.linkPrev, n), "linkPrev outside the objects");
            check(doc.objects[object.linkPrev].linkNext == i, "linkPrev does not name me");
        }
        if (object.linkNext != -1) {
            check(inRange(object.linkNext, n), "linkNext outside the objects");
            check(doc.objects[object.linkNext].linkPrev == i, "linkNext does not name me");
            check(doc.objects[object.linkNext].linkId == object.linkId, "mixed link numbers");
        }
    }
    // One head per link number, and walking from it meets every member.
    for (std::int32_t link = 0; link < doc.linkCount; ++link) {
        int heads = 0;
        int members = 0;
        std::int32_t head = -1;
        for (std::int32_t i = 0; i < n; ++i) {
            if (doc.objects[i].linkId != link)
                continue;
            ++members;
            if (doc.objects[i].linkPrev == -1) {
                ++heads;
                head = i;
            }
        }
        if (members == 0)
            continue;
        check(heads == 1, "link without exactly one head");
        int walked = 0;
        for (std::int32_t at = head; at != -1 && walked <= members; at = doc.objects[at].linkNext)
            ++walked;
        check(walked == members, "link chain misses members or loops");
    }
}

void checkLoaded(const LoadResult &result)
{
    const Document &doc = *result.document;
    check(doc.capacity == capacity, "capacity not the one asked for");
    check(doc.count() <= doc.capacity, "more objects than the capacity");
    const std::int32_t expected = std::min(result.storedObjects, doc.capacity);
    check(doc.count() <= expected, "more objects than the file holds");
    // Only a file cut short has a message, and then one.
    check(result.messages.size() <= 1, "more than one message");
    check(!result.messages.isEmpty() || doc.count() == expected, "objects lost without a message");
    check(doc.linkCount >= 0 && doc.linkCount <= doc.capacity, "link count out of range");
    check(doc.pageShown <= doc.pagesToPrint, "page shown beyond the run");
    check(doc.lastLinked == -1, "lastLinked survived the load");
    for (const PageObject &object : doc.objects) {
        check(object.fontName.size() <= 64 && object.text.size() <= 64 && object.name.size() <= 64,
              "string longer than its area");
        check(object.reserved.isEmpty() || object.reserved.size() == recordSize,
              "reserved bytes not a whole record");
    }
    checkDrawOrder(doc);
    checkLinks(doc);
}

// What a saved document reads back as: strings cut to their areas. A number's
// text and zero count are the writer's to form from its value on the page shown.
Document expectedCopy(const Document &doc, const Document &copy)
{
    Document expected = doc;
    // A block not kept as read (it named objects the cut left out) is
    // written afresh, and the copy keeps what it read.
    if (!doc.storedBlock)
        expected.storedBlock = copy.storedBlock;
    for (int i = 0; i < expected.count(); ++i) {
        PageObject &object = expected.objects[i];
        if (kindRow(object.kind).numbered) {
            object.text = copy.objects[i].text;
            object.zeros = copy.objects[i].zeros;
        }
        for (QString *text : {&object.fontName, &object.text, &object.name})
            text->truncate(areaCharacters);
    }
    return expected;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail("cannot read the saved copy");
    return file.readAll();
}

void checkSavedCopyReadsAlike(const Document &doc, const QString &copyPath)
{
    check(saveDocument(doc, {}, copyPath).isEmpty(), "saving a loaded document failed");
    const LoadResult again = loadDocument(copyPath, capacity);
    // A damaged block goes back as it came, and is said to be damaged again.
    const bool damaged = doc.storedBlock && doc.storedBlock->damaged;
    check(again.document.has_value() && again.messages.size() == (damaged ? 1 : 0),
          "reading a saved document failed");
    const Document &copy = *again.document;
    check(copy.count() == doc.count(), "object count changed through save and read");
    check(copy == expectedCopy(doc, copy), "document changed through save and read");
    check(!doc.storedBlock ||
              (copy.storedBlock && copy.storedBlock->bytes == doc.storedBlock->bytes),
          "the block's bytes changed through save and read");
    // Saved once more, the copy gives the same file.
    check(documentBytes(copy, {}) == readAll(copyPath), "a saved copy saves differently");
}

const QTemporaryDir &workDir()
{
    static const QTemporaryDir dir;
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString inputPath = workDir().filePath(QStringLiteral("input.pgt"));
    {
        QFile input(inputPath);
        if (!input.open(QIODevice::WriteOnly | QIODevice::Truncate))
            fail("cannot write the input file");
        if (input.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size))
            fail("cannot write the input file");
    }

    const LoadResult result = loadDocument(inputPath, capacity);
    if (!result.document) {
        check(result.messages.size() == 1, "a refused file without exactly one message");
        check(result.storedObjects == 0, "a refused file claims objects");
        return 0;
    }
    checkLoaded(result);
    checkSavedCopyReadsAlike(*result.document, workDir().filePath(QStringLiteral("copy.pgt")));
    return 0;
}
