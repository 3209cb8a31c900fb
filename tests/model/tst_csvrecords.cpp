#include "data/csvrecordreader.h"
#include "data/datasource.h"

#include <QTest>

namespace {

using Records = QList<QStringList>;

// Every record of `text` as `dialect` reads it, and how the last ended.
std::pair<Records, CsvRecordReader::Read> recordsOf(const QString &text, const CsvDialect &dialect)
{
    CsvRecordReader reader(text, dialect);
    Records records;
    CsvRecordReader::Read read = CsvRecordReader::Read::Whole;
    QStringList cells;
    while (read == CsvRecordReader::Read::Whole && !reader.atEnd()) {
        read = reader.readRecord(cells);
        records.append(cells);
    }
    return {records, read};
}

} // namespace

Q_DECLARE_METATYPE(CsvRecordReader::Read)

class TestCsvRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordsAreRead_data();
    void recordsAreRead();
    void aLineOfEndlessSeparatorsIsReadOver();
};

void TestCsvRecords::recordsAreRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<bool>("asNewline");
    QTest::addColumn<qsizetype>("cellLimit");
    QTest::addColumn<Records>("records");
    QTest::addColumn<CsvRecordReader::Read>("end");

    using Read = CsvRecordReader::Read;
    const qsizetype many = 1000;
    QTest::newRow("plain, every line end")
        << "a,b\r\nc,d\re\nf" << QChar(u',') << true << many
        << Records{{"a", "b"}, {"c", "d"}, {"e"}, {"f"}} << Read::Whole;
    QTest::newRow("a separator at the end makes an empty cell")
        << "a;\n;" << QChar(u';') << true << many << Records{{"a", ""}, {"", ""}} << Read::Whole;
    QTest::newRow("quoted separators, doubled quotes")
        << "\"a,b\",\"say \"\"hi\"\"\"" << QChar(u',') << true << many
        << Records{{"a,b", "say \"hi\""}} << Read::Whole;
    QTest::newRow("quoted line breaks as a spreadsheet reads them")
        << "\"a\r\nb\rc\nd\",e" << QChar(u',') << true << many << Records{{"a\nb\nc\nd", "e"}}
        << Read::Whole;
    QTest::newRow("quoted line breaks kept as written")
        << "\"a\r\nb\rc\nd\",e" << QChar(u',') << false << many << Records{{"a\r\nb\rc\nd", "e"}}
        << Read::Whole;
    QTest::newRow("text after a closing quote stays in its cell")
        << "\"a\"b\tc" << QChar(u'\t') << true << many << Records{{"ab", "c"}} << Read::Whole;
    QTest::newRow("a quote left open")
        << "a\n\"b,c" << QChar(u',') << true << many << Records{{"a"}, {"b,c"}} << Read::QuoteOpen;
    QTest::newRow("the limit itself") << "a,b,c" << QChar(u',') << true << qsizetype(3)
                                      << Records{{"a", "b", "c"}} << Read::Whole;
    QTest::newRow("past the limit, one cell past it kept")
        << "a,b,\"c\",\"d,e\",f\ng" << QChar(u',') << true << qsizetype(2)
        << Records{{"a", "b", "c"}} << Read::TooManyCells;
}

void TestCsvRecords::recordsAreRead()
{
    QFETCH(QString, text);
    QFETCH(QChar, separator);
    QFETCH(bool, asNewline);
    QFETCH(qsizetype, cellLimit);
    QFETCH(Records, records);
    QFETCH(CsvRecordReader::Read, end);

    const auto [read, last] = recordsOf(text, {separator, cellLimit, asNewline});
    QCOMPARE(read, records);
    QCOMPARE(last, end);
}

void TestCsvRecords::aLineOfEndlessSeparatorsIsReadOver()
{
    const QString commas(60 << 20, u',');
    CsvRecordReader reader(commas, {u',', 1000});
    QStringList cells;
    QCOMPARE(reader.readRecord(cells), CsvRecordReader::Read::TooManyCells);
    QCOMPARE(cells.size(), 1001);
    QVERIFY(reader.atEnd());

    DataSourceOptions options;
    options.header = false;
    const DataRead read =
        readData(QByteArray(60 << 20, ','), QStringLiteral("orders.csv"), options);
    QVERIFY(!read.table);
    QCOMPARE(read.error, QStringLiteral("orders.csv, row 1: more than 1000 columns"));
}

QTEST_GUILESS_MAIN(TestCsvRecords)
#include "tst_csvrecords.moc"
