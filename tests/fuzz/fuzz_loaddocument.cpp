// Loads arbitrary bytes as a document file and aborts when the loaded table
// breaks one of its invariants, or when saving and reloading it changes it.

#include "documentfile.h"
#include "services.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int capacity = 20;

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

bool isZero(const mainStruct2 &record)
{
    const RecordBytes bytes = recordToBytes(record);
    for (const std::uint8_t byte : bytes) {
        if (byte != 0)
            return false;
    }
    return true;
}

bool inRange(std::int32_t value, std::int32_t end)
{
    return value >= 0 && value < end;
}

void checkLinks(const DocumentState &doc)
{
    const std::int32_t n = doc.objectCount;
    for (std::int32_t i = 0; i < n; ++i) {
        const mainStruct2 &object = doc.objects[i];
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

void checkInvariants(const DocumentState &doc)
{
    check(doc.objects.size() == capacity && doc.drawOrder.size() == capacity &&
              doc.fontNames.size() == capacity && doc.texts.size() == capacity &&
              doc.names.size() == capacity,
          "arrays resized");
    check(doc.objectCount >= 0 && doc.objectCount <= capacity, "object count out of range");
    check(doc.linkCount >= 0 && doc.linkCount <= capacity, "link count out of range");
    check(doc.pageShown <= doc.pagesToPrint, "page shown beyond the run");
    check(doc.lastLinked == -1, "lastLinked survived the load");

    std::vector<bool> seen(capacity, false);
    for (std::int32_t k = 0; k < doc.objectCount; ++k) {
        const std::int32_t entry = doc.drawOrder[k];
        check(inRange(entry, doc.objectCount) && !seen[entry], "draw order not a permutation");
        seen[entry] = true;
    }
    for (std::int32_t i = doc.objectCount; i < capacity; ++i)
        check(isZero(doc.objects[i]) && doc.fontNames[i] == QLatin1String(" ") &&
                  doc.texts[i] == QLatin1String(" ") && doc.names[i] == QLatin1String(" "),
              "free slot not cleared");
    for (std::int32_t i = 0; i < doc.objectCount; ++i)
        check(doc.fontNames[i].size() <= 64 && doc.texts[i].size() <= 64 &&
                  doc.names[i].size() <= 64,
              "string longer than its area");

    std::int32_t selected = 0;
    std::int32_t first = doc.objectCount;
    for (std::int32_t i = 0; i < doc.objectCount; ++i) {
        if (doc.objects[i].selected != 1)
            continue;
        if (selected++ == 0)
            first = i;
    }
    check(doc.selectedCount == selected && doc.currentObject == first, "selection out of step");
    checkLinks(doc);
}

bool sameRecordFields(const mainStruct2 &a, const mainStruct2 &b)
{
    // The character areas may hold bytes after their NUL; the strings carry
    // their meaning and are compared separately.
    mainStruct2 left = a;
    mainStruct2 right = b;
    for (mainStruct2 *record : {&left, &right}) {
        std::memset(record->fontNameChar, 0, sizeof record->fontNameChar);
        std::memset(record->textChar, 0, sizeof record->textChar);
        std::memset(record->nameChar, 0, sizeof record->nameChar);
    }
    return recordToBytes(left) == recordToBytes(right);
}

void checkSavedCopyLoadsAlike(DocumentState &doc, const QString &copyPath)
{
    // Strings of 64 characters are cut when saved; the copy differs there.
    for (std::int32_t i = 0; i < doc.objectCount; ++i) {
        if (doc.fontNames[i].size() > 63 || doc.texts[i].size() > 63 || doc.names[i].size() > 63)
            return;
    }
    check(saveDocument(doc, copyPath) == 0, "saving a loaded document failed");
    DocumentState copy(capacity);
    check(loadDocument(copy, copyPath) == 0, "reloading a saved document failed");
    check(copy.objectCount == doc.objectCount && copy.linkCount == doc.linkCount &&
              copy.pageShown == doc.pageShown && copy.pagesToPrint == doc.pagesToPrint,
          "document values changed through save and load");
    for (std::int32_t i = 0; i < doc.objectCount; ++i) {
        check(sameRecordFields(copy.objects[i], doc.objects[i]), "record changed");
        check(copy.fontNames[i] == doc.fontNames[i] && copy.texts[i] == doc.texts[i] &&
                  copy.names[i] == doc.names[i],
              "strings changed");
        check(copy.drawOrder[i] == doc.drawOrder[i], "draw order changed");
    }
}

// A refused file leaves the table as a new one was built.
void checkUntouched(const DocumentState &doc)
{
    const DocumentState fresh(capacity);
    check(doc.objectCount == 0 && doc.linkCount == 0 && doc.pageShown == 1 &&
              doc.pagesToPrint == 1 && doc.currentObject == -1 && doc.selectedCount == 0,
          "refused file changed the document values");
    for (std::int32_t i = 0; i < capacity; ++i)
        check(isZero(doc.objects[i]) && doc.drawOrder[i] == 0 &&
                  doc.fontNames[i] == fresh.fontNames[i] && doc.texts[i] == fresh.texts[i] &&
                  doc.names[i] == fresh.names[i],
              "refused file changed the table");
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

    DocumentState doc(capacity);
    if (loadDocument(doc, inputPath) != 0) {
        checkUntouched(doc);
        return 0;
    }
    checkInvariants(doc);
    checkSavedCopyLoadsAlike(doc, workDir().filePath(QStringLiteral("copy.pgt")));
    return 0;
}
