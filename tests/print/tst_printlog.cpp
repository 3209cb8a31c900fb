#include "documentbuilder.h"
#include "log/csv.h"
#include "log/printlog.h"
#include "numbervalue.h"
#include "smalldisk.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("none");
}

// What is at `path`, a link followed: "file", "FIFO", "character device", ...
QString typeAt(const QString &path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return QStringLiteral("none");
    if (S_ISREG(status.st_mode))
        return QStringLiteral("file");
    if (S_ISFIFO(status.st_mode))
        return QStringLiteral("FIFO");
    if (S_ISCHR(status.st_mode))
        return QStringLiteral("character device");
    return S_ISDIR(status.st_mode) ? QStringLiteral("folder") : QStringLiteral("other");
}

// A run of pages 1 to 3 of a document with one number, named as given.
PrintLogEntry entryOf(const QString &document, const QDateTime &when)
{
    Document doc = emptyDocument(1);
    addNumber(doc, 10, 10, 125, 5);
    doc.objects[0].name = QStringLiteral("ticket");
    doc.pagesToPrint = 3;
    return logEntry(doc, wholeRun(3), document, QStringLiteral("office"), when);
}

} // namespace

Q_DECLARE_METATYPE(PrintedValues)

class TestPrintLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fieldsAreQuotedWhereTheyMustBe_data();
    void fieldsAreQuotedWhereTheyMustBe();
    void runsAreAddedUnderOneHeader();
    void dataRunsReadBackAsLogged();
    void logsThatAreNoFileAreLeftAlone_data();
    void logsThatAreNoFileAreLeftAlone();
    void aFullDiskIsToldInTheSystemsWords();
    void runsAtOnceAllGetTheirLine();
    void valuesMeetAsCountingThemSays();
    void listsMeetWhereAPairOfTheirSpansMeets();
    void everyRunOfADocumentIsFound_data();
    void everyRunOfADocumentIsFound();
    void linesReadTheSameInPiecesOfAnySize();
    void aTornLineHidesNoOther_data();
    void aTornLineHidesNoOther();
};

void TestPrintLog::fieldsAreQuotedWhereTheyMustBe_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QByteArray>("record");

    QTest::newRow("plain") << QStringList{"a", "b c", "1"} << QByteArray("a,b c,1\r\n");
    QTest::newRow("a comma") << QStringList{"Smith, J", "2"} << QByteArray("\"Smith, J\",2\r\n");
    QTest::newRow("quotes") << QStringList{"say \"hi\""} << QByteArray("\"say \"\"hi\"\"\"\r\n");
    // A field's line breaks are escaped, so that a line of the log is a line
    // of the file; the mark tells the reader to take the escapes off.
    QTest::newRow("line breaks")
        << QStringList{"one\ntwo", "three\r", "\r\nfour\\n"}
        << QByteArray("\"'\\one\\ntwo\",\"'\\three\\r\",\"'\\\\r\\nfour\\\\n\"\r\n");
    QTest::newRow("a backslash alone") << QStringList{"a\\n", "'\\"} << QByteArray("a\\n,''\\\r\n");
    QTest::newRow("blanks at the ends") << QStringList{" lead", "trail ", "in side"}
                                        << QByteArray("\" lead\",\"trail \",in side\r\n");
    QTest::newRow("not ASCII") << QStringList{"Größe №5"} << QByteArray("Größe №5\r\n");
    // What a spreadsheet would run as a formula is written as text.
    QTest::newRow("formulas") << QStringList{"=HYPERLINK(\"x\")", "@SUM(1)", "-2+3", "+1"}
                              << QByteArray("\"'=HYPERLINK(\"\"x\"\")\",'@SUM(1),'-2+3,'+1\r\n");
    QTest::newRow("a tab or a return first")
        << QStringList{"\tx", "\ry"} << QByteArray("'\tx,\"'\\\\ry\"\r\n");
    QTest::newRow("the mark itself") << QStringList{"'=1", "'"} << QByteArray("''=1,''\r\n");
    QTest::newRow("inside is no formula") << QStringList{"a=b", "1-2"} << QByteArray("a=b,1-2\r\n");
}

void TestPrintLog::fieldsAreQuotedWhereTheyMustBe()
{
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, record);

    QCOMPARE(logRecord(fields), record);
    QCOMPARE(parseLog(record + logRecord({"next"})), (QList<QStringList>{fields, {"next"}}));
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
    doc.objects[2].format.repeat = 2;
    doc.pagesToPrint = 10;
    const QDateTime when(QDate(2026, 3, 14), QTime(9, 26, 53));
    const PrintLogEntry reprint =
        logEntry(doc, PrintPlan{4, 6, 2, false, {}}, QStringLiteral("/home/ann/tickets.pgt"),
                 QStringLiteral("office"), when);
    const PrintLogEntry whole = logEntry(doc, wholeRun(10), QStringLiteral("/home/ann/t.pgt"),
                                         QStringLiteral("/home/ann/t.pdf"), when.addDays(1));

    const QTemporaryDir dir;
    PrintLog log(dir.filePath(QStringLiteral("paginette/print-log.csv")));
    QCOMPARE(log.append(reprint), LoggedLine());
    QCOMPARE(log.append(whole), LoggedLine());

    const QList<QStringList> expected{
        {"Date", "Document", "Printer", "First page", "Last page", "Copies", "Number",
         "First value", "Last value", "Printed values"},
        {"2026-03-14 09:26:53", "/home/ann/tickets.pgt", "office", "4", "6", "2", "ticket", "00128",
         "00130", "stub, left", "4/10:011", "6/10:021", "128+1*3 11+10*2"},
        {"2026-03-15 09:26:53", "/home/ann/t.pgt", "/home/ann/t.pdf", "1", "10", "1", "ticket",
         "00125", "00134", "stub, left", "1/10:001", "10/10:041", "125+1*10 1+10*5"}};
    QCOMPARE(log.read().items, expected);
    QVERIFY(contentOf(log.path())
                .startsWith("Date,Document,Printer,First page,Last page,Copies,Number,First "
                            "value,Last value,Printed values\r\n2026-03-14 09:26:53,"));
    QCOMPARE(QDir(dir.filePath(QStringLiteral("paginette"))).entryList(QDir::Files),
             QStringList{"print-log.csv"});
    // The runs of one document read back as they were logged, to the second.
    QCOMPARE(log.entriesOf(QStringLiteral("/home/ann/t.pgt")).items, QList<PrintLogEntry>{whole});

    // A line of an older version, without the values, reads without them.
    QFile older(log.path());
    QVERIFY(older.open(QIODevice::Append));
    older.write(logRecord(logFields(whole).mid(0, 12)));
    older.close();
    PrintLogEntry withoutValues = whole;
    withoutValues.numbers[0].values.clear();
    withoutValues.numbers[1].values.clear();
    QCOMPARE(log.entriesOf(QStringLiteral("/home/ann/t.pgt")).items,
             (QList<PrintLogEntry>{whole, withoutValues}));
}

// A data run's line, several spans a number and the run's date, reads back
// as it was logged, and an older line without the date still reads.
void TestPrintLog::dataRunsReadBackAsLogged()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    const QTemporaryDir dir;
    PrintLog log(dir.filePath(QStringLiteral("print-log.csv")));
    // Texts with every character the log's lines treat apart.
    const auto hostile = [&random] {
        static const QString pieces[] = {"\n", "\r", "\r\n", "\\", "\\n", "\"",
                                         ",",  "'",  "=",    " ",  "a",   "№"};
        QString text = QStringLiteral("/jobs/");
        for (int n = random.bounded(6); n > 0; --n)
            text += pieces[random.bounded(qsizetype(std::size(pieces)))];
        return text;
    };
    QList<PrintLogEntry> logged;
    for (int run = 0; run < 50; ++run) {
        PrintLogEntry entry;
        entry.when = QDateTime(QDate(2026, 1, 1).addDays(run), QTime(8, run % 60, 5));
        entry.document = hostile();
        entry.printer = QStringLiteral("press");
        entry.lastPage = 1 + random.bounded(1000);
        for (int n = random.bounded(4); n > 0; --n) {
            PrintLogEntry::NumberSpan number{
                QStringLiteral("num%1").arg(n), hostile(), QStringLiteral("=9"), {}};
            for (int span = 1 + random.bounded(5); span > 0; --span)
                number.values.append({static_cast<std::int32_t>(random.generate()),
                                      random.bounded(-3, 4), random.bounded(1, 100000)});
            entry.numbers.append(number);
        }
        entry.notShared = random.bounded(2) == 1;
        if (random.bounded(4) != 0)
            entry.runDate = QDateTime(QDate(2025, 12, 31).addDays(run),
                                      QTime(23, 59, 58, random.bounded(1000)));
        QCOMPARE(log.append(entry), LoggedLine());
        logged.append(entry);
    }
    QList<PrintLogEntry> read;
    for (const QStringList &fields : log.read().items.mid(1))
        read.append(entryFromFields(fields).value_or(PrintLogEntry{}));
    QVERIFY2(read == logged, qPrintable(QStringLiteral("seed %1").arg(seed)));
    for (const PrintLogEntry &entry : logged)
        QVERIFY(log.entriesOf(entry.document).items.contains(entry));
    // A run's line is a line of the file, whatever its fields hold.
    QCOMPARE(contentOf(log.path()).count('\n'), logged.size() + 1);

    // Without its last field, a line of an older version: no date, all else kept.
    PrintLogEntry older = logged.front();
    older.runDate = QDateTime(QDate(2026, 2, 1), QTime(7, 0));
    const QStringList fields = logFields(older);
    older.runDate.reset();
    QCOMPARE(entryFromFields(fields.mid(0, fields.size() - 1)), std::optional(older));
}

void TestPrintLog::logsThatAreNoFileAreLeftAlone_data()
{
    QTest::addColumn<QString>("made"); // what the log's name leads to
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("said"); // %1 the log's path
    // Whether the line is nowhere: a log left alone is switched off, not failed.
    QTest::addColumn<bool>("unrecorded");

    const QString leftAlone =
        QStringLiteral("The print log %1 is not a regular file; it was left alone");
    QTest::newRow("a link to a file") << "link to file"
                                      << "file" << QString() << false;
    // The usual way to switch a log off.
    QTest::newRow("a link to /dev/null") << "link to /dev/null"
                                         << "character device" << leftAlone << false;
    QTest::newRow("a FIFO with no reader") << "FIFO"
                                           << "FIFO" << leftAlone << false;
    QTest::newRow("a folder") << "folder"
                              << "folder"
                              << "The print log %1 could not be written: Is a directory" << true;
}

void TestPrintLog::logsThatAreNoFileAreLeftAlone()
{
    QFETCH(QString, made);
    QFETCH(QString, type);
    QFETCH(QString, said);
    QFETCH(bool, unrecorded);

    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("print-log.csv"));
    const QString file = dir.filePath(QStringLiteral("elsewhere.csv"));
    const QByteArray name = QFile::encodeName(path);
    if (made == QLatin1String("link to file"))
        QVERIFY(QFile::link(file, path));
    else if (made == QLatin1String("link to /dev/null"))
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), path));
    else if (made == QLatin1String("FIFO"))
        QVERIFY2(::mkfifo(name.constData(), 0600) == 0, "no FIFO");
    else
        QVERIFY(QDir().mkdir(path));

    PrintLog log(path);
    const LoggedLine logged =
        log.append(entryOf(QStringLiteral("/a.pgt"), QDateTime::currentDateTime()));

    QCOMPARE(unrecorded ? logged.error : logged.note, said.isEmpty() ? said : said.arg(path));
    QCOMPARE(unrecorded ? logged.note : logged.error, QString());
    QCOMPARE(typeAt(path), type);
    QCOMPARE(QFileInfo(path).isSymLink(), made.startsWith(QLatin1String("link")));
    if (said.isEmpty()) {
        QCOMPARE(log.read().items.size(), 2);
        QCOMPARE(typeAt(file), QStringLiteral("file"));
    } else {
        const PrintLog::Read<QStringList> read = log.read();
        QCOMPARE(read.items, QList<QStringList>{});
        QVERIFY(!read.error.isEmpty());
    }
}

void TestPrintLog::aFullDiskIsToldInTheSystemsWords()
{
    const SmallDisk disk;
    if (!disk.mounted())
        QSKIP(qPrintable(disk.reason));
    PrintLog log(disk.path() + QStringLiteral("/print-log.csv"));
    QCOMPARE(log.append(entryOf(QStringLiteral("/a.pgt"), QDateTime::currentDateTime())),
             LoggedLine());
    const QByteArray before = contentOf(log.path());
    QVERIFY(disk.fill());

    Document doc = emptyDocument(200);
    for (int i = 0; i < 200; ++i)
        addNumber(doc, 10, 10, i, 5);
    const QString said = log.append(logEntry(doc, wholeRun(1), QStringLiteral("/b.pgt"), {},
                                             QDateTime::currentDateTime()))
                             .error;

    QCOMPARE(said, QStringLiteral("The print log %1 could not be written: No space left on device")
                       .arg(log.path()));
    // No cut line is left behind.
    QCOMPARE(contentOf(log.path()), before);
}

void TestPrintLog::runsAtOnceAllGetTheirLine()
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("print-log.csv"));
    {
        // A long log: appending costs no more for it.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray line = logRecord(logFields(entryOf(QStringLiteral("/old.pgt"), {})));
        QByteArray block;
        while (block.size() < (1 << 20))
            block += line;
        for (int i = 0; i < 4; ++i)
            QCOMPARE(file.write(block), block.size());
    }
    constexpr int runs = 10;
    std::vector<std::thread> threads;
    std::vector<LoggedLine> said(runs);
    for (int run = 0; run < runs; ++run) {
        threads.emplace_back([&said, &path, run] {
            PrintLog log(path);
            said[static_cast<std::size_t>(run)] = log.append(
                entryOf(QStringLiteral("/run%1.pgt").arg(run), QDateTime::currentDateTime()));
        });
    }
    for (std::thread &thread : threads)
        thread.join();

    std::set<QString> logged;
    for (int run = 0; run < runs; ++run) {
        QCOMPARE(said[static_cast<std::size_t>(run)], LoggedLine());
        const QList<PrintLogEntry> entries =
            PrintLog(path).entriesOf(QStringLiteral("/run%1.pgt").arg(run)).items;
        QCOMPARE(entries.size(), 1);
        logged.insert(entries.front().document);
    }
    QCOMPARE(logged.size(), std::size_t(runs));
}

void TestPrintLog::valuesMeetAsCountingThemSays()
{
    // Runs near each other, with steps alike, opposite or apart, some
    // wrapping, some past 32 bits.
    QRandomGenerator random(20261208);
    const NumberValue steps[] = {0, 1,    -1,      2,         3,         -3,
                                 7, 1000, 1 << 30, INT32_MIN, 1LL << 40, INT64_MIN};
    const NumberValue near[] = {0, INT32_MAX, 3000000000, INT64_MAX};
    for (int trial = 0; trial < 3000; ++trial) {
        const auto pick = [&] {
            PrintedValues values;
            values.first = valueAdd(near[trial % 4], random.bounded(-40, 40));
            values.step = steps[random.bounded(qsizetype(std::size(steps)))];
            values.count = random.bounded(0, 30);
            return values;
        };
        const PrintedValues a = pick();
        const PrintedValues b = pick();
        std::set<NumberValue> seen;
        for (std::int64_t i = 0; i < a.count; ++i)
            seen.insert(valueAdd(a.first, valueMul(i, a.step)));
        bool meet = false;
        for (std::int64_t j = 0; j < b.count && !meet; ++j)
            meet = seen.count(valueAdd(b.first, valueMul(j, b.step)));
        QVERIFY2(sharesAValue(a, b) == meet && sharesAValue(b, a) == meet,
                 qPrintable(QStringLiteral("%1+%2*%3 and %4+%5*%6")
                                .arg(a.first)
                                .arg(a.step)
                                .arg(a.count)
                                .arg(b.first)
                                .arg(b.step)
                                .arg(b.count)));
    }
}

void TestPrintLog::listsMeetWhereAPairOfTheirSpansMeets()
{
    // Data runs' spans: rows of a few values each, apart or touching,
    // some stepping down, some wrapping past the ends of 64 bits.
    QRandomGenerator random(20261211);
    for (int trial = 0; trial < 400; ++trial) {
        const auto pick = [&] {
            QList<PrintedValues> spans(random.bounded(0, 25));
            for (PrintedValues &span : spans) {
                span.first = trial % 5 == 0 ? valueAdd(INT64_MAX, random.bounded(-30, 30))
                                            : random.bounded(-200, 200);
                span.step = random.bounded(-3, 4);
                span.count = random.bounded(0, 8);
            }
            return spans;
        };
        const QList<PrintedValues> a = pick();
        const QList<PrintedValues> b = pick();
        bool meet = false;
        for (const PrintedValues &x : a) {
            for (const PrintedValues &y : b)
                meet = meet || sharesAValue(x, y);
        }
        QCOMPARE(sharesAValue(a, b), meet);
        QCOMPARE(sharesAValue(b, a), meet);
    }
}

void TestPrintLog::everyRunOfADocumentIsFound_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<int>("runs");    // of the document
    QTest::addColumn<int>("skipped"); // lines that cannot be read

    const QDateTime when(QDate(2026, 3, 14), QTime(9, 26, 53));
    const auto line = [&when](const QString &document) {
        return logRecord(logFields(entryOf(document, when)));
    };
    // A run cut short inside its quoted document field, and the line break
    // the next run puts after it.
    const auto torn = [&line](const QString &document) {
        const QByteArray whole = line(document);
        return whole.first(whole.indexOf(',') + 4) + "\r\n";
    };
    const QByteArray header = logRecord(logHeader());
    const QString quoted = QStringLiteral("/home/ann/say \"hi\".pgt");
    const QString comma = QStringLiteral("/home/ann/a, b.pgt");
    const QString other = QStringLiteral("/home/ann/other, one.pgt");

    QTest::newRow("a path holding a quote")
        << quoted << header + line(other) + line(quoted) + line(other) << 1 << 0;
    QTest::newRow("a torn line before a run")
        << comma << header + torn(comma) + line(comma) << 1 << 1;
    QTest::newRow("torn lines between runs and at the end")
        << comma << header + line(comma) + torn(other) + line(comma) + torn(comma).chopped(2) << 2
        << 2;
    QTest::newRow("a torn line of a path holding a quote")
        << quoted << header + torn(quoted) + line(quoted) + line(quoted) << 2 << 1;
    QTest::newRow("a run of another layout")
        << comma
        << header + line(comma) + "2026-03-14 09:26:53,\"" + comma.toUtf8() + "\",office,1\r\n"
        << 1 << 1;
}

void TestPrintLog::everyRunOfADocumentIsFound()
{
    QFETCH(QString, document);
    QFETCH(QByteArray, log);
    QFETCH(int, runs);
    QFETCH(int, skipped);

    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("print-log.csv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(log), log.size());
    file.close();

    const PrintLog::Read<PrintLogEntry> read = PrintLog(path).entriesOf(document);
    const QList<PrintLogEntry> &entries = read.items;
    const QString &warning = read.error;
    QCOMPARE(entries.size(), runs);
    for (const PrintLogEntry &entry : entries)
        QCOMPARE(entry, entryOf(document, QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53))));
    const QString said =
        skipped == 0   ? QString()
        : skipped == 1 ? QStringLiteral("1 line of the print log %1 could not be read and was "
                                        "skipped")
                             .arg(path)
                       : QStringLiteral("%1 lines of the print log %2 could not be read and "
                                        "were skipped")
                             .arg(skipped)
                             .arg(path);
    QCOMPARE(warning, said);
}

void TestPrintLog::linesReadTheSameInPiecesOfAnySize()
{
    // Quoted line breaks, a lone return, lines cut short inside quotes.
    const QByteArray text = logRecord({"a\nb", "\"c\"", "d\re"}) + "\"torn\r\n" + logRecord({"x"}) +
                            "y\rz\n\"cut" + "\r\n" + "\"old\nfield\",1\r\n" + "\"cut at\nnext\r\n" +
                            logRecord({"last"});
    using Records = QList<std::pair<QByteArray, bool>>;
    const auto read = [&text](qsizetype size) {
        Records records;
        const auto keep = [&records](QByteArrayView record, bool whole) {
            records.append({record.toByteArray(), whole});
        };
        CsvRecords parser;
        for (qsizetype at = 0; at < text.size(); at += size)
            parser.feed(QByteArrayView(text).sliced(at, std::min(size, text.size() - at)), keep);
        parser.finish(keep);
        return records;
    };
    const Records whole = read(text.size());
    QCOMPARE(whole.size(), 10);
    for (qsizetype size = 1; size < text.size(); ++size)
        QCOMPARE(read(size), whole);
}

void TestPrintLog::aTornLineHidesNoOther_data()
{
    QTest::addColumn<QByteArray>("log");        // before the next run is logged
    QTest::addColumn<QStringList>("documents"); // of the runs read, but the next
    QTest::addColumn<int>("skipped");

    const QDateTime when(QDate(2026, 3, 14), QTime(9, 26, 53));
    const auto line = [&when](const QString &document) {
        return logRecord(logFields(entryOf(document, when)));
    };
    const QByteArray header = logRecord(logHeader());
    const QString broken = QStringLiteral("/home/ann/one\ntwo.pgt");
    // As older versions wrote a field's line break: as it was.
    const QByteArray olderLine = "2026-03-14 09:26:53,\"/home/ann/one\ntwo.pgt\",office,1,3,1,"
                                 "ticket,00125,00127,125+1*3\r\n";
    const QByteArray inEditor =
        header + line("/a.pgt") + line("/b, c.pgt").first(30) + "\r\n" + line("/d.pgt");

    QTest::newRow("cut at a line break an older version wrote")
        << header + line("/a.pgt") + olderLine.first(olderLine.indexOf('\n') + 1)
        << QStringList{"/a.pgt"} << 1;
    QTest::newRow("cut after an escaped line break")
        << header + line(broken).first(line(broken).indexOf("two")) << QStringList{} << 1;
    QTest::newRow("cut, in a log an editor gave LF line ends")
        << QByteArray(inEditor).replace("\r\n", "\n") << QStringList{"/a.pgt", "/d.pgt"} << 1;
    QTest::newRow("an older line holding a line break")
        << header + olderLine << QStringList{broken} << 0;
}

// A run cut short by a crash is skipped alone: the runs logged after it,
// and the next one, read as logged.
void TestPrintLog::aTornLineHidesNoOther()
{
    QFETCH(QByteArray, log);
    QFETCH(QStringList, documents);
    QFETCH(int, skipped);

    const QTemporaryDir dir;
    PrintLog printLog(dir.filePath(QStringLiteral("print-log.csv")));
    QFile file(printLog.path());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(log), log.size());
    file.close();
    const QDateTime when(QDate(2026, 3, 14), QTime(9, 26, 53));
    QCOMPARE(printLog.append(entryOf(QStringLiteral("/next.pgt"), when)), LoggedLine());

    const PrintLog::Read<QStringList> records = printLog.read();
    const QString &warning = records.error;
    QStringList read;
    for (const QStringList &fields : records.items) {
        if (const std::optional<PrintLogEntry> entry = entryFromFields(fields))
            read.append(entry->document);
    }
    QCOMPARE(read, documents + QStringList{"/next.pgt"});
    QCOMPARE(warning, skipped == 0 ? QString()
                                   : QStringLiteral("1 line of the print log %1 could not be read "
                                                    "and was skipped")
                                         .arg(printLog.path()));
    QCOMPARE(printLog.entriesOf(QStringLiteral("/next.pgt")).items.size(), 1);
}

QTEST_GUILESS_MAIN(TestPrintLog)
#include "tst_printlog.moc"
