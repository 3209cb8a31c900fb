#include "docbytes.h"
#include "file/recordcodec.h"
#include "file/windows1252.h"

#include <QTest>

class TestRecordEncoding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyFieldAndReservedByteRoundTrips();
    void reservedBytesAreKeptOnlyWhenSet_data();
    void reservedBytesAreKeptOnlyWhenSet();
    void negativeValuesRoundTrip();
    void codePageMapsBothWays_data();
    void codePageMapsBothWays();
    void everyByteSurvivesReadAndWrite();
    void missingCharactersBecomeQuestionMarks();
    void readingStopsAtNulOrAreaEnd();
};

void TestRecordEncoding::everyFieldAndReservedByteRoundTrips()
{
    RecordBytes bytes;
    bytes.fill(0xAB);
    const PageObject object = decodeRecord(bytes);
    QCOMPARE(object.x, std::int32_t(0xABABABABu));
    QCOMPARE(object.selected, std::int16_t(0xABAB));
    QCOMPARE(object.angle, std::int32_t(0xABABABABu));
    QCOMPARE(object.text, QString(64, QChar(0xAB)));

    // Written back with its box, the record comes out as it went in, but that a
    // character area holds at most 63 characters and its NUL.
    const std::int32_t edge = std::int32_t(0xABABABABu);
    QByteArray expected = toByteArray(bytes);
    for (const int areaEnd : {155, 223, 291})
        expected[areaEnd] = '\0';
    // Any number system the record knows as hexadecimal is stored as 1.
    expected[382] = 1;
    expected[383] = 0;
    QCOMPARE(toByteArray(encodeRecord(object, Bounds32{edge, edge, edge, edge})), expected);
}

void TestRecordEncoding::reservedBytesAreKeptOnlyWhenSet_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<bool>("writtenBack");
    // The first and last byte of every reserved area, and the field bytes after them.
    for (const auto &[start, width] :
         {std::pair{12, 8}, {38, 2}, {42, 2}, {76, 2}, {80, 12}, {156, 4}, {224, 4}, {292, 90}}) {
        QTest::addRow("reserved %d", start) << start << true << true;
        QTest::addRow("reserved %d", start + width - 1) << start + width - 1 << true << true;
        // The box after 42 is not read: the program computes it anew.
        QTest::addRow("field %d", start + width) << start + width << false << (start != 42);
    }
    QTest::addRow("field 11") << 11 << false << true;
}

void TestRecordEncoding::reservedBytesAreKeptOnlyWhenSet()
{
    QFETCH(int, offset);
    QFETCH(bool, kept);
    QFETCH(bool, writtenBack);
    RecordBytes bytes{};
    bytes[offset] = 0x5A;
    const PageObject object = decodeRecord(bytes);
    QCOMPARE(object.reserved.isEmpty(), !kept);
    const QByteArray written = toByteArray(encodeRecord(object, Bounds32{}));
    QByteArray expected = writtenBack ? toByteArray(bytes) : QByteArray(recordSize, '\0');
    // The format field holds 1 for any value other than decimal's 0.
    if (offset == 382)
        expected[382] = 1;
    QCOMPARE(written, expected);
}

void TestRecordEncoding::negativeValuesRoundTrip()
{
    PageObject object;
    object.x = -2;
    object.start = INT32_MIN;
    object.digits = -1;
    object.fontSize = INT16_MIN;
    object.angle = -90;
    object.linkPrev = -1;
    object.selected = -1;
    const RecordBytes bytes = encodeRecord(object, Bounds32{-1, -2, -3, INT32_MIN});
    const QByteArray written = toByteArray(bytes);
    QCOMPARE(written.mid(0, 4), QByteArray::fromHex("feffffff"));
    QCOMPARE(written.mid(8, 4), QByteArray::fromHex("00000080"));
    QCOMPARE(written.mid(28, 2), QByteArray::fromHex("ffff"));
    QCOMPARE(written.mid(40, 2), QByteArray::fromHex("0080"));
    QCOMPARE(written.mid(44, 16), QByteArray::fromHex("fffffffffeffffff"
                                                      "fdffffff00000080"));
    QCOMPARE(written.mid(384, 4), QByteArray::fromHex("a6ffffff"));

    QVERIFY(decodeRecord(bytes) == object);
}

void TestRecordEncoding::codePageMapsBothWays_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << QStringLiteral("Arial 12") << QByteArray("Arial 12");
    QTest::newRow("latin-1") << QStringLiteral("caf\u00e9 \u00ff") << QByteArray("caf\xe9 \xff");
    QTest::newRow("euro") << QStringLiteral("5 \u20ac") << QByteArray("5 \x80");
    QTest::newRow("quotes and dashes")
        << QStringLiteral("\u201chi\u201d \u2013 \u2122") << QByteArray("\x93hi\x94 \x96 \x99");
    QTest::newRow("undefined codes")
        << QStringLiteral("\u0081\u008d\u008f\u0090\u009d") << QByteArray("\x81\x8d\x8f\x90\x9d");
}

void TestRecordEncoding::codePageMapsBothWays()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toWindows1252(text), bytes);
    QCOMPARE(fromWindows1252(bytes.constData(), int(bytes.size())), text);
}

void TestRecordEncoding::everyByteSurvivesReadAndWrite()
{
    QByteArray all;
    for (int byte = 1; byte < 256; ++byte)
        all.append(char(byte));
    const QString text = fromWindows1252(all.constData(), int(all.size()));
    QCOMPARE(text.size(), all.size());
    QCOMPARE(toWindows1252(text), all);
}

void TestRecordEncoding::missingCharactersBecomeQuestionMarks()
{
    // A character outside the basic plane is one '?', not one per surrogate.
    QCOMPARE(toWindows1252(QStringLiteral("a\u4e2db\U0001F600c\u0080")), QByteArray("a?b?c?"));
}

void TestRecordEncoding::readingStopsAtNulOrAreaEnd()
{
    const char area[8] = {'a', 'b', '\0', 'c', 'd', 'e', 'f', 'g'};
    QCOMPARE(fromWindows1252(area, 8), QStringLiteral("ab"));
    const char full[4] = {'w', 'x', 'y', 'z'};
    QCOMPARE(fromWindows1252(full, 3), QStringLiteral("wxy"));
}

QTEST_GUILESS_MAIN(TestRecordEncoding)
#include "tst_recordencoding.moc"
