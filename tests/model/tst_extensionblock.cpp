#include "file/extensionblock.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

// The JSON of a version 1 block whose objects are `objects`.
QByteArray versionOne(const QByteArray &objects)
{
    return R"({"version":1,"objects":)" + objects + "}";
}

QJsonObject jsonOf(const QByteArray &block)
{
    return QJsonDocument::fromJson(block.mid(headerSize)).object();
}

ExtensionBlock blockWith(int count, int index, const NumberFormat &format,
                         const UnknownKeys &unknownKeys = {})
{
    ExtensionBlock block;
    block.objects.resize(count);
    block.objects[index].format = format;
    block.objects[index].unknownKeys = unknownKeys;
    return block;
}

} // namespace

class ExtensionBlockTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writes_data();
    void writes();
    void reads_data();
    void reads();
    void unknownValuesGoBackAsTheyCame_data();
    void unknownValuesGoBackAsTheyCame();
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
        << blockWith(1, 0, {}, {{"engraving", R"({"depth":2})"}})
        << QByteArray(R"({"objects":{"0":{"engraving":{"depth":2}}},"version":1})");
    QTest::newRow("known keys win over unknown ones")
        << blockWith(1, 0, {.repeat = 2}, {{"repeat", "7"}, {"system", R"("hex")"}})
        << QByteArray(R"({"objects":{"0":{"repeat":2}},"version":1})");
    ExtensionBlock topLevel = blockWith(1, 0, {});
    topLevel.unknownKeys.insert("later", "[1,2]");
    QTest::newRow("unknown top-level key")
        << topLevel << QByteArray(R"({"later":[1,2],"objects":{},"version":1})");
    QTest::newRow("within the limits")
        << blockWith(1, 0, {.prefix = QString(70, u'p'), .repeat = 5000})
        << R"({"objects":{"0":{"prefix":")" + QByteArray(63, 'p') +
               R"(","repeat":1000}},"version":1})";
    ExtensionBlock data = blockWith(3, 0, {});
    data.data = DataSourceSettings{.file = "orders.csv", .quantity = "Qty"};
    data.data->counting[0] = {NumberCounting::Mode::Restart};
    data.data->counting[2] = {NumberCounting::Mode::StartColumn, "First"};
    QTest::newRow("a data source")
        << data
        << QByteArray(R"({"data":{"counting":{"0":"restart","2":{"startColumn":"First"}},)"
                      R"("file":"orders.csv","quantity":"Qty"},"objects":{},"version":1})");
    ExtensionBlock everyChoice = blockWith(1, 0, {});
    everyChoice.data = DataSourceSettings{.file = "../jobs/orders.xlsx",
                                          .header = false,
                                          .separator = ";",
                                          .encoding = "windows-1252",
                                          .sheet = "May"};
    everyChoice.data->counting[0] = {};
    QTest::newRow("a data source's every choice")
        << everyChoice
        << QByteArray(R"({"data":{"counting":{"0":"on"},"encoding":"windows-1252",)"
                      R"("file":"../jobs/orders.xlsx","header":false,"separator":";",)"
                      R"("sheet":"May"},"objects":{},"version":1})");
    ExtensionBlock twoSided = blockWith(3, 0, {});
    twoSided.duplex = Duplex::ShortEdge;
    twoSided.objects[1].side = Side::Back;
    twoSided.objects[2].side = Side::Back;
    twoSided.objects[2].sameAs = 0;
    QTest::newRow("two sides") << twoSided
                               << QByteArray(R"({"duplex":"short","objects":{"1":{"side":"back"},)"
                                             R"("2":{"sameAs":0,"side":"back"}},"version":1})");
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
    const std::optional<ExtensionBlock> read =
        readExtensionBlock(bytes, QList<PageObject>(block.objects.size()));
    QVERIFY(read);
    QCOMPARE(extensionBlockBytes(*read), bytes);
}

void ExtensionBlockTest::reads_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("readable");
    // The JSON the block read writes back; empty when it writes nothing.
    QTest::addColumn<QByteArray>("rewritten");

    const auto same = [](const char *name, const QByteArray &json) {
        QTest::newRow(name) << blockOf(json) << true << json;
    };
    const auto damaged = [](const char *name, const QByteArray &bytes) {
        QTest::newRow(name) << bytes << false << QByteArray();
    };

    const QByteArray sound = versionOne(R"({"0":{"repeat":2}})");
    QTest::newRow("no block") << QByteArray() << true << QByteArray();
    QTest::newRow("bytes after the block") << blockOf(sound) + "later" << true << sound;
    QTest::newRow("every name")
        << blockOf(versionOne(
               R"({"0":{"check":"luhn","system":"hex"},"1":{"check":"mod10-31","system":"base36"},)"
               R"("2":{"check":"mod11","system":"letters"},"3":{"check":"mod7","system":"decimal"},)"
               R"("4":{"check":"mod9","prefix":"№ ","suffix":"✓😀","repeat":1000,"autoWidth":true}})"))
        << true
        << versionOne(
               R"({"0":{"check":"luhn","system":"hex"},"1":{"check":"mod10-31","system":"base36"},)"
               R"("2":{"check":"mod11","system":"letters"},"3":{"check":"mod7"},)"
               R"("4":{"check":"mod9","prefix":"№ ","suffix":"✓😀","repeat":1000,"autoWidth":true}})");
    QTest::newRow("defaults are not written")
        << blockOf(
               versionOne(R"({"0":{"repeat":1,"autoWidth":false,"prefix":"","system":"decimal"}})"))
        << true << QByteArray();
    same("barcode kept", versionOne(R"({"0":{"repeat":3,"barcode":)"
                                    R"({"symbology":"qr","height":40,"module":2,"text":true}}})"));
    same("top-level keys kept",
         R"({"version":1,"fonts":["A"],"objects":{"1":{"system":"hex"}},"z":null})");
    same("unknown key of a default format", versionOne(R"({"4":{"later":[1]}})"));
    const QByteArray a63(63, 'a');
    same("prefix of 63", versionOne(R"({"0":{"prefix":")" + a63 + "\"}}"));
    same("repeat 1000", versionOne(R"({"0":{"repeat":1000}})"));
    QTest::newRow("no objects") << blockOf(R"({"version":1})") << true << QByteArray();
    const QByteArray sheet =
        R"({"version":1,"objects":{},"sheet":{"make":"Avery","part":"5160","paper":[612,792],)"
        R"("shape":"rectangle","label":[189,72],"corner":4.5,"order":"stack",)"
        R"("grids":[[3,10,11.25,36,200.25,72],[1,1,0,0,0,0]],"later":1}})";
    same("a sheet, with a key it does not know", sheet);
    same("a custom sheet", R"({"version":1,"objects":{},"sheet":{"paper":[100,100],)"
                           R"("shape":"cd","label":[50,50],"hole":10,"order":"rows",)"
                           R"("grids":[[1,1,0,0,0,0]]}})");
    QByteArray noCells = sheet;
    damaged("a sheet without cells", blockOf(noCells.replace("[3,10,", "[0,10,")));
    QByteArray noPaper = sheet;
    damaged("a sheet without paper", blockOf(noPaper.replace("[612,792]", "[612]")));
    QByteArray shape = sheet;
    damaged("a shape not known", blockOf(shape.replace("rectangle", "star")));

    const QByteArray data =
        R"({"version":1,"objects":{},"data":{"file":"orders.csv","header":true,"separator":",",)"
        R"("encoding":"auto","sheet":"Orders","quantity":"Qty","later":[1],)"
        R"("counting":{"0":"on","1":"restart","4":{"startColumn":"First","from":2}}}})";
    QTest::newRow("a data source, with keys it does not know")
        << blockOf(data) << true
        << QByteArray(
               R"({"version":1,"objects":{},"data":{"file":"orders.csv","separator":",",)"
               R"("sheet":"Orders","quantity":"Qty","later":[1],)"
               R"("counting":{"0":"on","1":"restart","4":{"startColumn":"First","from":2}}}})");
    const auto damagedData = [&](const char *name, const QByteArray &from, const QByteArray &to) {
        QByteArray changed = data;
        QVERIFY(changed.contains(from));
        damaged(name, blockOf(changed.replace(from, to)));
    };
    damagedData("a counting past the objects", R"("4":{)", R"("5":{)");
    damagedData("a counting not by index", R"("1":"restart")", R"("one":"restart")");
    damagedData("a counting of no known mode", "restart", "again");
    damagedData("a start column not named", R"("startColumn":"First")", R"("startColumn":3)");
    damagedData("a start column left out", R"("startColumn":"First",)", "");
    damagedData("counting not an object",
                R"({"0":"on","1":"restart","4":{"startColumn":"First","from":2}})", R"(["on"])");
    damagedData("no file", R"("file":"orders.csv",)", "");
    damagedData("an empty file name", R"("file":"orders.csv")", R"("file":"")");
    damagedData("a separator of two characters", R"("separator":",")", R"("separator":",;")");
    damagedData("header not true or false", R"("header":true)", R"("header":1)");
    damagedData("no encoding", R"("encoding":"auto")", R"("encoding":"")");
    damaged("a flip edge of no known name", blockOf(R"({"version":1,"duplex":"top"})"));
    damaged("a side of no known name", blockOf(versionOne(R"({"0":{"side":"left"}})")));
    damaged("same as no index", blockOf(versionOne(R"({"0":{"sameAs":"num0"}})")));
    damaged("same as a negative index", blockOf(versionOne(R"({"0":{"sameAs":-1}})")));
    damaged("same as half an index", blockOf(versionOne(R"({"0":{"sameAs":1.5}})")));
    damaged("data not an object", blockOf(R"({"version":1,"objects":{},"data":"orders.csv"})"));
    damaged("bad tag", "PGTY" + blockOf(sound).mid(4));
    damaged("shorter than a header", QByteArray("PGTX\x01\x00", 6));
    damaged("length past the end", blockOf(sound).chopped(1));
    damaged("largest length", blockOf("{}", 0xFFFFFFFF));
    damaged("not JSON", blockOf("{version:1}"));
    damaged("JSON array", blockOf("[1]"));
    damaged("no version", blockOf(R"({"objects":{}})"));
    damaged("version 2", blockOf(R"({"version":2})"));
    damaged("objects not an object", blockOf(versionOne("[]")));
    damaged("index past the objects", blockOf(versionOne(R"({"5":{}})")));
    damaged("index not a number", blockOf(versionOne(R"({"a":{}})")));
    damaged("negative index", blockOf(versionOne(R"({"-1":{}})")));
    damaged("index with a leading zero", blockOf(versionOne(R"({"01":{}})")));
    damaged("huge index", blockOf(versionOne(R"({"99999999999":{}})")));
    damaged("entry not an object", blockOf(versionOne(R"({"0":3})")));
    damaged("prefix of 64", blockOf(versionOne(R"({"0":{"prefix":"a)" + a63 + "\"}}")));
    damaged("repeat 1001", blockOf(versionOne(R"({"0":{"repeat":1001}})")));
    damaged("repeat 0", blockOf(versionOne(R"({"0":{"repeat":0}})")));
    damaged("repeat 2.5", blockOf(versionOne(R"({"0":{"repeat":2.5}})")));
    damaged("check mod12", blockOf(versionOne(R"({"0":{"check":"mod12"}})")));
    damaged("check with a blank", blockOf(versionOne(R"({"0":{"check":"luhn "}})")));
    same("a shape, every key",
         versionOne(R"({"2":{"shape":{"type":"ellipse","width":72,"height":36.5,"stroke":0.5,)"
                    R"("color":"#ff0000","fill":"#00ff7f","dash":[3,1.5],"later":"kept"}}})"));
    same("a perforation line", versionOne(R"({"0":{"shape":{"type":"line","width":144,)"
                                          R"("height":0,"stroke":1,"color":"#000000",)"
                                          R"("dash":[2,2]}}})"));
    const QByteArray line = R"("width":144,"height":0,"stroke":1,"color":"#000000")";
    damaged("a shape of no known type",
            blockOf(versionOne(R"({"0":{"shape":{"type":"star",)" + line + "}}}")));
    damaged("a shape without its type", blockOf(versionOne(R"({"0":{"shape":{)" + line + "}}}")));
    damaged("a stroke past an inch",
            blockOf(versionOne(R"({"0":{"shape":{"type":"line","stroke":73}}})")));
    damaged("a colour by name",
            blockOf(versionOne(R"({"0":{"shape":{"type":"line","color":"red"}}})")));
    damaged("a dash of 17 lengths", blockOf(versionOne(R"({"0":{"shape":{"type":"line","dash":[)" +
                                                       QByteArray("1,").repeated(16) + "1]}}}")));
    damaged("a dash of nothing",
            blockOf(versionOne(R"({"0":{"shape":{"type":"line","dash":[0,2]}}})")));

    damaged("system in capitals", blockOf(versionOne(R"({"0":{"system":"HEX"}})")));
    damaged("autoWidth as number", blockOf(versionOne(R"({"0":{"autoWidth":1}})")));
    damaged("one bad entry of two", blockOf(versionOne(R"({"0":{"repeat":2},"1":{"repeat":0}})")));
}

void ExtensionBlockTest::reads()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readable);
    QFETCH(QByteArray, rewritten);

    const std::optional<ExtensionBlock> read = readExtensionBlock(bytes, QList<PageObject>(5));
    QCOMPARE(read.has_value(), readable);
    if (!read)
        return;
    QCOMPARE(read->objects.size(), 5);
    const QByteArray written = extensionBlockBytes(*read);
    QCOMPARE(written.isEmpty(), rewritten.isEmpty());
    QCOMPARE(jsonOf(written), QJsonDocument::fromJson(rewritten).object());
}

void ExtensionBlockTest::unknownValuesGoBackAsTheyCame_data()
{
    QTest::addColumn<QByteArray>("json"); // written back byte for byte

    // As this version writes: keys in order, no blanks but inside the values.
    const auto written = [](const QByteArray &objects) {
        return R"({"objects":)" + objects + R"(,"version":1})";
    };
    QTest::newRow("a long integer") << written(R"({"0":{"serial":12345678901234567890}})");
    QTest::newRow("minus zero and 1.0") << written(R"({"0":{"a":-0,"b":1.0,"c":2E+3}})");
    QTest::newRow("blanks inside a value")
        << QByteArray(R"({"later":[ 1.50 , { "x" : "\u00e9" } ],"objects":{},"version":1})");
    QTest::newRow("a data source's unknown keys")
        << QByteArray(R"({"data":{"counting":{"0":{"from":-0,"startColumn":"A"}},"file":"a.csv",)"
                      R"("later":1.0},"objects":{},"version":1})");
    QTest::newRow("beside a barcode")
        << written(R"({"0":{"barcode":{"height":40,"module":2,"quiet":4.0,"symbology":"qr",)"
                   R"("text":true},"repeat":3}})");
}

void ExtensionBlockTest::unknownValuesGoBackAsTheyCame()
{
    QFETCH(QByteArray, json);
    const std::optional<ExtensionBlock> read =
        readExtensionBlock(blockOf(json), QList<PageObject>(2));
    QVERIFY(read);
    QCOMPARE(extensionBlockBytes(*read), blockOf(json));
}

QTEST_APPLESS_MAIN(ExtensionBlockTest)
#include "tst_extensionblock.moc"
