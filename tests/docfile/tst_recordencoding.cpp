#include "codepage.h"
#include "docbytes.h"
#include "objectrecord.h"

#include <QTest>

class TestRecordEncoding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodingIgnoresReservedBytes();
    void negativeValuesRoundTrip();
    void codePageMapsBothWays_data();
    void codePageMapsBothWays();
    void everyByteSurvivesReadAndWrite();
    void missingCharactersBecomeQuestionMarks();
    void readingStopsAtNulOrAreaEnd();
};

void TestRecordEncoding::decodingIgnoresReservedBytes()
{
    RecordBytes bytes;
    bytes.fill(0xAB);
    const mainStruct2 record = recordFromBytes(bytes);
    QCOMPARE(record.x, std::int32_t(0xABABABABu));
    QCOMPARE(record.selected, std::int16_t(0xABAB));

    // The record's fields lie at their file offsets in memory too, so the reserved
    // areas can be read at the same places: zero when read, and zero when written back.
    const QByteArray inMemory(reinterpret_cast<const char *>(&record), recordSize);
    const QByteArray written = toByteArray(recordToBytes(record));
    for (const auto &[offset, width] :
         {std::pair{12, 8}, {38, 2}, {42, 2}, {76, 2}, {80, 12}, {156, 4}, {224, 4}, {292, 90}}) {
        QCOMPARE(inMemory.mid(offset, width), QByteArray(width, '\0'));
        QCOMPARE(written.mid(offset, width), QByteArray(width, '\0'));
    }
    QCOMPARE(written.mid(92, 64), QByteArray(64, char(0xAB)));
    QCOMPARE(getLe(written, 384, 4), std::int32_t(0xABABABABu));
}

void TestRecordEncoding::negativeValuesRoundTrip()
{
    mainStruct2 record = zeroRecord();
    record.x = -2;
    record.start = INT32_MIN;
    record.digits = -1;
    record.fontSize = INT16_MIN;
    record.angle = -90;
    record.linkPrev = -1;
    const RecordBytes bytes = recordToBytes(record);
    const QByteArray written = toByteArray(bytes);
    QCOMPARE(written.mid(0, 4), QByteArray::fromHex("feffffff"));
    QCOMPARE(written.mid(8, 4), QByteArray::fromHex("00000080"));
    QCOMPARE(written.mid(28, 2), QByteArray::fromHex("ffff"));
    QCOMPARE(written.mid(40, 2), QByteArray::fromHex("0080"));
    QCOMPARE(written.mid(384, 4), QByteArray::fromHex("a6ffffff"));

    const mainStruct2 back = recordFromBytes(bytes);
    QCOMPARE(back.x, -2);
    QCOMPARE(back.start, INT32_MIN);
    QCOMPARE(back.digits, -1);
    QCOMPARE(back.fontSize, INT16_MIN);
    QCOMPARE(back.angle, -90);
    QCOMPARE(back.linkPrev, -1);
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
