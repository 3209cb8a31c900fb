#include "documentbuilder.h"
#include "printlog.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("none");
}

} // namespace

class TestPrintLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fieldsAreQuotedWhereTheyMustBe_data();
    void fieldsAreQuotedWhereTheyMustBe();
    void runsAreAddedUnderOneHeader();
};

void TestPrintLog::fieldsAreQuotedWhereTheyMustBe_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QByteArray>("record");

    QTest::newRow("plain") << QStringList{"a", "b c", "1"} << QByteArray("a,b c,1\r\n");
    QTest::newRow("a comma") << QStringList{"Smith, J", "2"} << QByteArray("\"Smith, J\",2\r\n");
    QTest::newRow("quotes") << QStringList{"say \"hi\""} << QByteArray("\"say \"\"hi\"\"\"\r\n");
    QTest::newRow("line breaks") << QStringList{"one\ntwo", "three\r\n"}
                                 << QByteArray("\"one\ntwo\",\"three\r\n\"\r\n");
    QTest::newRow("blanks at the ends") << QStringList{" lead", "trail ", "in side"}
                                        << QByteArray("\" lead\",\"trail \",in side\r\n");
    QTest::newRow("not ASCII") << QStringList{"Größe №5"} << QByteArray("Größe №5\r\n");
}

void TestPrintLog::fieldsAreQuotedWhereTheyMustBe()
{
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, record);

    QCOMPARE(csvRecord(fields), record);
    QCOMPARE(parseCsv(record + csvRecord({"next"})), (QList<QStringList>{fields, {"next"}}));
}

void TestPrintLog::runsAreAddedUnderOneHeader()
{
    Document doc = emptyDocument(20);
    addNumber(doc, 10, 10, 125, 5);
    doc.objects[0].name = QStringLiteral("ticket");
    addObject(doc, KindText, 10, 40, QStringLiteral("Admit one"));
    addNumber(doc, 10, 70, 1, 3, 10);
    doc.objects[2].name = QStringLiteral("stub, left");
    doc.objects[2].format.prefix = QStringLiteral("{page}/{pages}:");
    doc.pagesToPrint = 10;
    const QDateTime when(QDate(2026, 3, 14), QTime(9, 26, 53));
    const PrintLogEntry reprint =
        logEntry(doc, PrintPlan{4, 6, 2, false, {}}, QStringLiteral("/home/ann/tickets.pgt"),
                 QStringLiteral("office"), when);
    const PrintLogEntry whole = logEntry(doc, wholeRun(10), QStringLiteral("/home/ann/t.pgt"),
                                         QStringLiteral("/home/ann/t.pdf"), when.addDays(1));

    const QTemporaryDir dir;
    PrintLog log(dir.filePath(QStringLiteral("paginette/print-log.csv")));
    QCOMPARE(log.append(reprint), QString());
    QCOMPARE(log.append(whole), QString());

    const QList<QStringList> expected{
        {"Date", "Document", "Printer", "First page", "Last page", "Copies", "Number",
         "First value", "Last value"},
        {"2026-03-14 09:26:53", "/home/ann/tickets.pgt", "office", "4", "6", "2", "ticket", "00128",
         "00130", "stub, left", "4/10:031", "6/10:051"},
        {"2026-03-15 09:26:53", "/home/ann/t.pgt", "/home/ann/t.pdf", "1", "10", "1", "ticket",
         "00125", "00134", "stub, left", "1/10:001", "10/10:091"}};
    QCOMPARE(log.read(), expected);
    QVERIFY(contentOf(log.path())
                .startsWith("Date,Document,Printer,First page,Last page,Copies,Number,First "
                            "value,Last value\r\n2026-03-14 09:26:53,/home/ann/tickets.pgt,"));
    QCOMPARE(QDir(dir.filePath(QStringLiteral("paginette"))).entryList(QDir::Files),
             QStringList{"print-log.csv"});
}

QTEST_GUILESS_MAIN(TestPrintLog)
#include "tst_printlog.moc"
