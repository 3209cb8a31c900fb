#include "extensionblock.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>
#include <QtEndian>

Q_DECLARE_METATYPE(ExtensionBlock)

namespace {

constexpr qsizetype headerSize = 8;

QByteArray blockOf(const QByteArray &json, quint32 length)
{
    char lengthBytes[4];
    qToLittleEndian<quint32>(length, lengthBytes);
    return QByteArray("PGTX") + QByteArray(lengthBytes, 4) + json;
}

QByteArray blockOf(const QByteArray &json)
{
    return blockOf(json, static_cast<quint32>(json.size()));
}

// A version 1 block whose objects are `objects`.
QByteArray withObjects(const QByteArray &objects)
{
    return blockOf(R"({"version":1,"objects":)" + objects + "}");
}

QJsonObject jsonOf(const QByteArray &block)
{
    return QJsonDocument::fromJson(block.mid(headerSize)).object();
}

ExtensionBlock blockWith(int count, int index, const NumberFormat &format,
                         const QJsonObject &unknownKeys = {})
{
    ExtensionBlock block;
    block.objects.resize(static_cast<std::size_t>(count));
    block.objects[static_cast<std::size_t>(index)] = {format, unknownKeys};
    return block;
}

} // namespace

class ExtensionBlockTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writes_data();
    void writes();
    void readsEveryKey();
    void keepsWhatItDoesNotKnow_data();
    void keepsWhatItDoesNotKnow();
    void damaged_data();
    void damaged();
};

void ExtensionBlockTest::writes_data()
{
    QTest::addColumn<ExtensionBlock>("block");
    // Empty when no block is written at all.
    QTest::addColumn<QByteArray>("json");

    QTest::newRow("defaults") << blockWith(3, 1, {}) << QByteArray();
    QTest::newRow("one object")
        << blockWith(2, 1, {.prefix = "No. ", .repeat = 3, .check = CheckDigit::Luhn})
        << QByteArray(
               R"({"objects":{"1":{"check":"luhn","prefix":"No. ","repeat":3}},"version":1})");
    QTest::newRow("every key")
        << blockWith(1, 0,
                     {.prefix = "a",
                      .suffix = "b",
                      .repeat = 2,
                      .check = CheckDigit::Mod10Weights31,
                      .system = NumberSystem::Letters,
                      .autoWidth = true})
        << QByteArray(R"({"objects":{"0":{"autoWidth":true,"check":"mod10-31","prefix":"a",)"
                      R"("repeat":2,"suffix":"b","system":"letters"}},"version":1})");
    QTest::newRow("unknown keys of a default format")
        << blockWith(1, 0, {}, {{"barcode", QJsonObject{{"module", 2}}}})
        << QByteArray(R"({"objects":{"0":{"barcode":{"module":2}}},"version":1})");
    QTest::newRow("known keys win over unknown ones")
        << blockWith(1, 0, {.repeat = 2}, {{"repeat", 7}, {"system", "hex"}})
        << QByteArray(R"({"objects":{"0":{"repeat":2}},"version":1})");
    ExtensionBlock topLevel = blockWith(1, 0, {});
    topLevel.unknownKeys.insert("later", QJsonArray{1, 2});
    QTest::newRow("unknown top-level key")
        << topLevel << QByteArray(R"({"later":[1,2],"objects":{},"version":1})");
    QTest::newRow("within the limits")
        << blockWith(1, 0, {.prefix = QString(70, u'p'), .repeat = 5000})
        << R"({"objects":{"0":{"prefix":")" + QByteArray(63, 'p') +
               R"(","repeat":1000}},"version":1})";
    ExtensionBlock twoObjects = blockWith(11, 2, {.system = NumberSystem::Hexadecimal});
    twoObjects.objects[10].format.system = NumberSystem::Base36;
    QTest::newRow("index order")
        << twoObjects
        << QByteArray(R"({"objects":{"10":{"system":"base36"},"2":{"system":"hex"}},"version":1})");
}

void ExtensionBlockTest::writes()
{
    QFETCH(ExtensionBlock, block);
    QFETCH(QByteArray, json);
    const QByteArray bytes = extensionBlockBytes(block);
    QCOMPARE(bytes, json.isEmpty() ? QByteArray() : blockOf(json));
    // What is written reads back, and writes the same bytes again.
    const auto count = static_cast<std::int32_t>(block.objects.size());
    const std::optional<ExtensionBlock> read = readExtensionBlock(bytes, count);
    QVERIFY(read);
    QCOMPARE(extensionBlockBytes(*read), bytes);
}

void ExtensionBlockTest::readsEveryKey()
{
    const std::optional<ExtensionBlock> read = readExtensionBlock(
        withObjects(R"({"1":{"prefix":"№ ","suffix":"✓😀","repeat":1000,"check":"mod11",)"
                    R"("system":"base36","autoWidth":false},"2":{"check":"mod7"},)"
                    R"("3":{"check":"mod9","system":"decimal"}})"),
        5);
    ExtensionBlock expected;
    expected.objects.resize(5);
    expected.objects[1].format = {.prefix = "№ ",
                                  .suffix = "✓😀",
                                  .repeat = 1000,
                                  .check = CheckDigit::Mod11,
                                  .system = NumberSystem::Base36};
    expected.objects[2].format.check = CheckDigit::Mod7;
    expected.objects[3].format.check = CheckDigit::Mod9;
    QCOMPARE(read, std::optional(expected));
    QCOMPARE(readExtensionBlock(QByteArray(), 2), std::optional(ExtensionBlock{{{}, {}}, {}}));
}

void ExtensionBlockTest::keepsWhatItDoesNotKnow_data()
{
    QTest::addColumn<QByteArray>("json");

    QTest::newRow("barcode") << QByteArray(
        R"({"version":1,"objects":{"0":{"repeat":3,"barcode":)"
        R"({"symbology":"qr","height":40,"module":2,"text":true}}}})");
    QTest::newRow("top-level keys")
        << QByteArray(R"({"version":1,"fonts":["A"],"objects":{"1":{"system":"hex"}},"z":null})");
    QTest::newRow("default format") << QByteArray(R"({"version":1,"objects":{"2":{"later":1}}})");
}

void ExtensionBlockTest::keepsWhatItDoesNotKnow()
{
    QFETCH(QByteArray, json);
    const std::optional<ExtensionBlock> read = readExtensionBlock(blockOf(json), 3);
    QVERIFY(read);
    QCOMPARE(jsonOf(extensionBlockBytes(*read)), QJsonDocument::fromJson(json).object());
}

void ExtensionBlockTest::damaged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("readable");

    const QByteArray sound = withObjects(R"({"0":{"repeat":2}})");
    QTest::newRow("no block") << QByteArray() << true;
    QTest::newRow("bytes after the block") << sound + "later" << true;
    QTest::newRow("bad tag") << "PGTY" + sound.mid(4) << false;
    QTest::newRow("lower-case tag") << "pgtx" + sound.mid(4) << false;
    QTest::newRow("shorter than a header") << QByteArray("PGTX\x01\x00", 6) << false;
    QTest::newRow("length past the end") << sound.chopped(1) << false;
    QTest::newRow("largest length") << blockOf("{}", 0xFFFFFFFF) << false;
    QTest::newRow("no JSON") << blockOf("") << false;
    QTest::newRow("not JSON") << blockOf("{version:1}") << false;
    QTest::newRow("JSON array") << blockOf("[1]") << false;
    QTest::newRow("no version") << blockOf(R"({"objects":{}})") << false;
    QTest::newRow("version 2") << blockOf(R"({"version":2})") << false;
    QTest::newRow("version as text") << blockOf(R"({"version":"1"})") << false;
    QTest::newRow("no objects") << blockOf(R"({"version":1})") << true;
    QTest::newRow("objects not an object") << withObjects("[]") << false;
    QTest::newRow("last object") << withObjects(R"({"1":{}})") << true;
    QTest::newRow("index past the objects") << withObjects(R"({"2":{}})") << false;
    QTest::newRow("index not a number") << withObjects(R"({"a":{}})") << false;
    QTest::newRow("negative index") << withObjects(R"({"-1":{}})") << false;
    QTest::newRow("index with a sign") << withObjects(R"({"+1":{}})") << false;
    QTest::newRow("index with a leading zero") << withObjects(R"({"01":{}})") << false;
    QTest::newRow("huge index") << withObjects(R"({"99999999999":{}})") << false;
    QTest::newRow("entry not an object") << withObjects(R"({"0":3})") << false;
    const QByteArray a63(63, 'a');
    QTest::newRow("prefix of 63") << withObjects(R"({"0":{"prefix":")" + a63 + "\"}}") << true;
    QTest::newRow("prefix of 64") << withObjects(R"({"0":{"prefix":"a)" + a63 + "\"}}") << false;
    QTest::newRow("suffix of 64") << withObjects(R"({"0":{"suffix":"a)" + a63 + "\"}}") << false;
    QTest::newRow("prefix not text") << withObjects(R"({"0":{"prefix":5}})") << false;
    QTest::newRow("repeat 1000") << withObjects(R"({"0":{"repeat":1000}})") << true;
    QTest::newRow("repeat 1001") << withObjects(R"({"0":{"repeat":1001}})") << false;
    QTest::newRow("repeat 0") << withObjects(R"({"0":{"repeat":0}})") << false;
    QTest::newRow("repeat 2.5") << withObjects(R"({"0":{"repeat":2.5}})") << false;
    QTest::newRow("repeat as text") << withObjects(R"({"0":{"repeat":"3"}})") << false;
    QTest::newRow("check mod12") << withObjects(R"({"0":{"check":"mod12"}})") << false;
    QTest::newRow("check with a blank") << withObjects(R"({"0":{"check":"luhn "}})") << false;
    QTest::newRow("check none") << withObjects(R"({"0":{"check":"none"}})") << false;
    QTest::newRow("check as number") << withObjects(R"({"0":{"check":1}})") << false;
    QTest::newRow("system in capitals") << withObjects(R"({"0":{"system":"HEX"}})") << false;
    QTest::newRow("system octal") << withObjects(R"({"0":{"system":"octal"}})") << false;
    QTest::newRow("autoWidth as number") << withObjects(R"({"0":{"autoWidth":1}})") << false;
    QTest::newRow("unknown key") << withObjects(R"({"0":{"later":[1]}})") << true;
    QTest::newRow("one bad entry of two")
        << withObjects(R"({"0":{"repeat":2},"1":{"repeat":0}})") << false;
}

void ExtensionBlockTest::damaged()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readable);
    const std::optional<ExtensionBlock> read = readExtensionBlock(bytes, 2);
    QCOMPARE(read.has_value(), readable);
    if (read)
        QCOMPARE(read->objects.size(), std::size_t{2});
}

QTEST_APPLESS_MAIN(ExtensionBlockTest)
#include "tst_extensionblock.moc"
