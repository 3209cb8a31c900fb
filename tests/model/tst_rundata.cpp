#include "continuenumbering.h"
#include "documentbuilder.h"
#include "rundata.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Spans = QList<ValueSpan>;

const QDateTime runStart(QDate(2026, 1, 31), QTime(9, 30));

// A table of rows A, B, C, ... with the given quantities and start values.
DataTable ordersTable(const QStringList &quantities, const QStringList &firsts = {})
{
    DataTable table;
    table.columns = {"Name", "Qty", "First"};
    for (qsizetype r = 0; r < quantities.size(); ++r)
        table.rows.append({QString(QChar(char16_t(u'A' + r))), quantities[r], firsts.value(r)});
    return table;
}

RunData runData(const Document &doc, const DataSourceSettings &settings, const DataTable &table)
{
    RunDataRead read = runDataOf(doc, settings, table, QStringLiteral("orders.csv"), runStart);
    if (!read.data)
        qFatal("no run data: %s", qPrintable(read.error));
    return std::move(*read.data);
}

// A head counting from 1 and a member 100 on, both four digits wide, the
// head's prefix naming the row.
Document linkedNumbers(NumberCounting::Mode mode, int repeat)
{
    Document doc = emptyDocument(10);
    const int head = addNumber(doc, 10, 10, 1, 4);
    const int member = addNumber(doc, 10, 40, 0, 4);
    doc.objects[head].stepLink = 100;
    doc.objects[head].format.repeat = repeat;
    doc.objects[head].format.prefix = QStringLiteral("{Name}-");
    linkObjects(doc, 0, {head, member});
    propagateLinks(doc);
    doc.data = DataSourceSettings{.file = "orders.csv", .quantity = "Qty"};
    doc.data->counting[head] = {mode, QStringLiteral("First")};
    // A member counts as its head does, whatever its own entry says.
    doc.data->counting[member] = {NumberCounting::Mode::Restart};
    return doc;
}

} // namespace

// FIRST+STEP*COUNT, as the print log writes a span.
char *toString(const ValueSpan &span)
{
    return qstrdup(QByteArray::number(span.first) + '+' + QByteArray::number(span.step) + '*' +
                   QByteArray::number(qlonglong(span.count)));
}

Q_DECLARE_METATYPE(NumberCounting::Mode)
Q_DECLARE_METATYPE(NumberSystem)
Q_DECLARE_METATYPE(DataTable)
Q_DECLARE_METATYPE(DataSourceSettings)
Q_DECLARE_METATYPE(ValueSpan)

class RunDataTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quantitiesLayOutThePages_data();
    void quantitiesLayOutThePages();
    void numbersCountAcrossRows_data();
    void numbersCountAcrossRows();
    void nothingPrintsOfBadData_data();
    void nothingPrintsOfBadData();
    void rowsAreNumberedAsTheSheetShows_data();
    void rowsAreNumberedAsTheSheetShows();
    void aRunWithoutDataPrintsAsBefore();
    void theRunReadsItsFile();
    void continueNumberingMovesWhatCountsOn();
};

void RunDataTest::quantitiesLayOutThePages_data()
{
    QTest::addColumn<QStringList>("quantities"); // none: no quantity column
    QTest::addColumn<QList<int>>("rows");        // the row of each page, from 1

    QTest::newRow("2, 0, 3") << QStringList{"2", "0", "3"} << QList<int>{1, 1, 3, 3, 3};
    QTest::newRow("no quantity column") << QStringList() << QList<int>{1, 2, 3};
    QTest::newRow("zeros first and last")
        << QStringList{"0", "1", "0", "2", "0"} << QList<int>{2, 4, 4};
    QTest::newRow("blanks, signs and leading zeros")
        << QStringList{" 02 ", "+1", "-0", "0000000000001"} << QList<int>{1, 1, 2, 4};
    QTest::newRow("one row") << QStringList{"4"} << QList<int>{1, 1, 1, 1};
}

void RunDataTest::quantitiesLayOutThePages()
{
    QFETCH(QStringList, quantities);
    QFETCH(QList<int>, rows);
    Document doc = emptyDocument(10);
    addObject(doc, KindText, 10, 10, QStringLiteral("{Name} {row}"));
    const DataSourceSettings settings{.file = "orders.csv",
                                      .quantity = quantities.isEmpty() ? "" : "Qty"};
    const DataTable table =
        ordersTable(quantities.isEmpty() ? QStringList{"x", "y", "z"} : quantities);
    const RunData data = runData(doc, settings, table);
    const RunTexts texts(doc, data);
    QCOMPARE(texts.pages(), rows.size());
    QStringList shown;
    QStringList expected;
    for (int page = 1; page <= texts.pages(); ++page) {
        shown.append(texts.text(0, page));
        const int row = rows[page - 1];
        expected.append(QStringLiteral("%1 %2").arg(QChar(u'A' + row - 1)).arg(row));
    }
    QCOMPARE(shown, expected);
}

void RunDataTest::numbersCountAcrossRows_data()
{
    QTest::addColumn<NumberCounting::Mode>("mode");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<QStringList>("firsts");
    QTest::addColumn<QStringList>("headTexts");
    QTest::addColumn<QList<int>>("memberValues");
    QTest::addColumn<Spans>("spans");      // of the whole run
    QTest::addColumn<Spans>("rangeSpans"); // of pages 2 to 5

    // Rows A, B and C print 2, 1 and 3 pages.
    const QStringList firsts{"4001", "5001", "6001"};
    QTest::newRow("on") << NumberCounting::Mode::On << 1 << firsts
                        << QStringList{"A-0001", "A-0002", "B-0003", "C-0004", "C-0005", "C-0006"}
                        << QList<int>{101, 102, 103, 104, 105, 106} << Spans{{1, 1, 6}}
                        << Spans{{2, 1, 4}};
    QTest::newRow("restart") << NumberCounting::Mode::Restart << 1 << firsts
                             << QStringList{"A-0001", "A-0002", "B-0001",
                                            "C-0001", "C-0002", "C-0003"}
                             << QList<int>{101, 102, 101, 101, 102, 103} << Spans{{1, 1, 3}}
                             << Spans{{2, 1, 1}, {1, 1, 2}};
    QTest::newRow("restart, each value twice")
        << NumberCounting::Mode::Restart << 2 << firsts
        << QStringList{"A-0001", "A-0001", "B-0001", "C-0001", "C-0001", "C-0002"}
        << QList<int>{101, 101, 101, 101, 101, 102} << Spans{{1, 1, 2}} << Spans{{1, 1, 1}};
    QTest::newRow("start column") << NumberCounting::Mode::StartColumn << 1 << firsts
                                  << QStringList{"A-4001", "A-4002", "B-5001",
                                                 "C-6001", "C-6002", "C-6003"}
                                  << QList<int>{4101, 4102, 5101, 6101, 6102, 6103}
                                  << Spans{{4001, 1, 2}, {5001, 1, 1}, {6001, 1, 3}}
                                  << Spans{{4002, 1, 1}, {5001, 1, 1}, {6001, 1, 2}};
    QTest::newRow("start column, rows that continue")
        << NumberCounting::Mode::StartColumn << 1 << QStringList{"1", " 3 ", "4"}
        << QStringList{"A-0001", "A-0002", "B-0003", "C-0004", "C-0005", "C-0006"}
        << QList<int>{101, 102, 103, 104, 105, 106} << Spans{{1, 1, 6}} << Spans{{2, 1, 4}};
}

void RunDataTest::numbersCountAcrossRows()
{
    QFETCH(NumberCounting::Mode, mode);
    QFETCH(int, repeat);
    QFETCH(QStringList, firsts);
    QFETCH(QStringList, headTexts);
    QFETCH(QList<int>, memberValues);
    QFETCH(Spans, spans);
    QFETCH(Spans, rangeSpans);
    const Document doc = linkedNumbers(mode, repeat);
    const RunData data = runData(doc, *doc.data, ordersTable({"2", "1", "3"}, firsts));
    const RunTexts texts(doc, data);
    QStringList shownHead;
    QList<int> shownMember;
    for (int page = 1; page <= texts.pages(); ++page) {
        shownHead.append(texts.text(0, page));
        shownMember.append(texts.value(1, page));
        QCOMPARE(texts.text(1, page),
                 QStringLiteral("%1").arg(texts.value(1, page), 4, 10, QChar(u'0')));
    }
    QCOMPARE(shownHead, headTexts);
    QCOMPARE(shownMember, memberValues);
    QCOMPARE(printedSpans(texts, 0, 1, texts.pages()), spans);
    QCOMPARE(printedSpans(texts, 0, 2, 5), rangeSpans);
    // The member's values are its head's, 100 on.
    Spans memberSpans = spans;
    for (ValueSpan &span : memberSpans)
        span.first += 100;
    QCOMPARE(printedSpans(texts, 1, 1, texts.pages()), memberSpans);
}

void RunDataTest::nothingPrintsOfBadData_data()
{
    QTest::addColumn<DataTable>("table");
    QTest::addColumn<DataSourceSettings>("settings");
    QTest::addColumn<NumberSystem>("system");
    QTest::addColumn<QString>("text"); // of txt1
    QTest::addColumn<QString>("error");

    const DataSourceSettings quantities{.file = "orders.csv", .quantity = "Qty"};
    DataSourceSettings startColumn = quantities;
    startColumn.counting[0] = {NumberCounting::Mode::StartColumn, "First"};
    const auto quantitiesOf = [&](const char *name, const QStringList &cells,
                                  const QString &error) {
        QTest::newRow(name) << ordersTable(cells) << quantities << NumberSystem::Decimal << "{Name}"
                            << error;
    };
    quantitiesOf("a quantity in words", {"2", "two", "1"},
                 R"(orders.csv, row 2, column Qty: the quantity "two" is no whole number)");
    quantitiesOf("a fraction", {"1.5"},
                 R"(orders.csv, row 1, column Qty: the quantity "1.5" is no whole number)");
    quantitiesOf("no quantity", {"1", "1", ""},
                 R"(orders.csv, row 3, column Qty: the quantity "" is no whole number)");
    quantitiesOf("a negative quantity", {"1", " -2"},
                 "orders.csv, row 2, column Qty: the quantity -2 is negative");
    quantitiesOf("more pages than a run", {"2147483647", "0", "1"},
                 "orders.csv, row 3, column Qty: the quantities come to more than 2147483647 "
                 "pages, the most a run prints");
    quantitiesOf("digits without end", {QString(40, u'9')},
                 "orders.csv, row 1, column Qty: the quantities come to more than 2147483647 "
                 "pages, the most a run prints");
    quantitiesOf("every quantity 0", {"0", "0"},
                 "orders.csv, column Qty: every quantity is 0, so the run prints nothing");
    quantitiesOf("no rows", {}, "orders.csv has no rows of data");
    QTest::newRow("no quantity column")
        << ordersTable({"1"}) << DataSourceSettings{.file = "orders.csv", .quantity = "Qty."}
        << NumberSystem::Decimal << ""
        << "the quantity column Qty. is no column of orders.csv";
    DataSourceSettings misspelt = quantities;
    misspelt.counting[0] = {NumberCounting::Mode::StartColumn, "Frist"};
    QTest::newRow("no start column")
        << ordersTable({"1"}) << misspelt << NumberSystem::Decimal << ""
        << "the start column Frist of num0 is no column of "
           "orders.csv";
    const auto startsOf = [&](const char *name, NumberSystem system, const QString &start,
                              const QString &error) {
        QTest::newRow(name) << ordersTable({"1", "1"}, {"1", start}) << startColumn << system << ""
                            << error;
    };
    startsOf("a start that is no decimal number", NumberSystem::Decimal, "12x",
             R"(orders.csv, row 2, column First: num0 cannot start at "12x", which is no )"
             R"(number in decimal)");
    startsOf("no start", NumberSystem::Decimal, " ",
             R"(orders.csv, row 2, column First: num0 cannot start at " ", which is no )"
             R"(number in decimal)");
    startsOf("a start that is no hexadecimal number", NumberSystem::Hexadecimal, "G1",
             R"(orders.csv, row 2, column First: num0 cannot start at "G1", which is no )"
             R"(number in hexadecimal)");
    startsOf("a start too long for hexadecimal", NumberSystem::Hexadecimal, "FFFFFFFFFFFFFFFFF",
             R"(orders.csv, row 2, column First: num0 cannot start at "FFFFFFFFFFFFFFFFF", )"
             R"(which is more than a number holds)");
    startsOf("a start past 64 bits", NumberSystem::Decimal, "9223372036854775808",
             R"(orders.csv, row 2, column First: num0 cannot start at "9223372036854775808", )"
             R"(which is more than a number holds)");
    startsOf("a start that is no letters", NumberSystem::Letters, "A1",
             R"(orders.csv, row 2, column First: num0 cannot start at "A1", which is no )"
             R"(number in letters)");
    startsOf("a start of base 36", NumberSystem::Base36, "Z-1",
             R"(orders.csv, row 2, column First: num0 cannot start at "Z-1", which is no )"
             R"(number in base 36)");
    startsOf("letters that start", NumberSystem::Letters, "AB", "");
    QTest::newRow("a row that prints nothing starts nowhere")
        << ordersTable({"1", "0"}, {"1", "x"}) << startColumn << NumberSystem::Decimal << ""
        << "";
    QTest::newRow("no such column in a text")
        << ordersTable({"1"}) << quantities << NumberSystem::Decimal << "Dear {Nmae}"
        << "`{Nmae}` in txt1 is no column of orders.csv";
    DataTable longNames = ordersTable({});
    for (const QString &name : {QStringLiteral("A"), QStringLiteral("B"), QString(20000, u'n')})
        longNames.rows.append({name, QStringLiteral("1"), QString()});
    QTest::newRow("a text too long on a row")
        << longNames << quantities << NumberSystem::Decimal << "{Name}{Name}"
        << "orders.csv, row 3: txt1 would be 40000 characters long, more than the 32767 a "
           "text holds";
}

void RunDataTest::nothingPrintsOfBadData()
{
    QFETCH(DataTable, table);
    QFETCH(DataSourceSettings, settings);
    QFETCH(NumberSystem, system);
    QFETCH(QString, text);
    QFETCH(QString, error);
    Document doc = emptyDocument(10);
    const int number = addNumber(doc, 10, 10, 1, 4);
    doc.objects[number].name = QStringLiteral("num0");
    doc.objects[number].format.system = system;
    doc.objects[number].format.suffix = QStringLiteral(" {row}");
    const int textObject = addObject(doc, KindText, 10, 40, text);
    doc.objects[textObject].name = QStringLiteral("txt1");
    const RunDataRead read =
        runDataOf(doc, settings, table, QStringLiteral("orders.csv"), runStart);
    QCOMPARE(read.error, error);
    QCOMPARE(read.data.has_value(), error.isEmpty());
}

void RunDataTest::rowsAreNumberedAsTheSheetShows_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<DataSourceSettings>("settings");
    QTest::addColumn<QString>("error");

    const DataSourceSettings quantities{.file = "orders.csv", .quantity = "Qty"};
    QTest::newRow("under a header")
        << QByteArray("Name,Qty\nAda,1\nBob,x\n") << quantities
        << R"(orders.csv, row 3, column Qty: the quantity "x" is no whole number)";
    QTest::newRow("a line break inside quotes is one row")
        << QByteArray("Name,Qty\n\"Ada\nLee\",1\nBob,x\n") << quantities
        << R"(orders.csv, row 3, column Qty: the quantity "x" is no whole number)";
    DataSourceSettings startColumn = quantities;
    startColumn.counting[0] = {NumberCounting::Mode::StartColumn, "First"};
    QTest::newRow("a start")
        << QByteArray("Name,Qty,First\nAda,1,1\nBob,1,x\n") << startColumn
        << R"(orders.csv, row 3, column First: num0 cannot start at "x", which is no number )"
           R"(in decimal)";
    QTest::newRow("an empty row counts")
        << QByteArray("Name,Qty\nAda,1\n\n" + QByteArray(20000, 'n') + ",1\n")
        << DataSourceSettings{.file = "orders.csv"}
        << "orders.csv, row 4: txt1 would be 40000 characters long, more than the 32767 a text "
           "holds";
}

// Every message names a row as the spreadsheet shows it, as the file's
// reader does.
void RunDataTest::rowsAreNumberedAsTheSheetShows()
{
    QFETCH(QByteArray, csv);
    QFETCH(DataSourceSettings, settings);
    QFETCH(QString, error);
    Document doc = emptyDocument(10);
    const int number = addNumber(doc, 10, 10, 1, 4);
    doc.objects[number].name = QStringLiteral("num0");
    const int text = addObject(doc, KindText, 10, 40, QStringLiteral("{Name}{Name}"));
    doc.objects[text].name = QStringLiteral("txt1");
    DataRead read = readData(csv, QStringLiteral("orders.csv"), settings.readOptions());
    QVERIFY2(read.table, qPrintable(read.error));
    QCOMPARE(
        runDataOf(doc, settings, std::move(*read.table), QStringLiteral("orders.csv"), runStart)
            .error,
        error);
}

// Without data every text is what it was, whatever the format; the date
// fields alone are filled in.
void RunDataTest::aRunWithoutDataPrintsAsBefore()
{
    Document doc = emptyDocument(20);
    doc.pagesToPrint = 30;
    const QList<NumberFormat> formats{
        {},
        {.prefix = "{page}/{pages} {x} ", .suffix = " of {last}", .repeat = 4},
        {.check = CheckDigit::Mod11, .autoWidth = true},
        {.prefix = "{date", .repeat = 2, .system = NumberSystem::Letters},
        {.suffix = "{Name}", .system = NumberSystem::Base36, .autoWidth = true},
    };
    for (const NumberFormat &format : formats) {
        const int number = addNumber(doc, 10, 10, 99997, 3, 7);
        doc.objects[number].format = format;
    }
    addObject(doc, KindText, 10, 10, QStringLiteral("{Name} {row} {page}"));
    const RunData data(runStart);
    const RunTexts before(doc);
    const RunTexts withDate(doc, data);
    QCOMPARE(withDate.pages(), doc.pagesToPrint);
    for (int page = 1; page <= doc.pagesToPrint; ++page) {
        for (int i = 0; i < doc.count(); ++i) {
            QCOMPARE(withDate.text(i, page), before.text(i, page));
            QCOMPARE(withDate.value(i, page), before.value(i, page));
        }
    }
    QCOMPARE(printedSpans(withDate, 1, 3, 17), (Spans{{99997, 7, 5}}));

    doc.objects[0].format.suffix = QStringLiteral(" {date:dd.MM.yyyy} {time}");
    QCOMPARE(RunTexts(doc, data).text(0, 1), QStringLiteral("99997 31.01.2026 09:30"));
    QCOMPARE(RunTexts(doc).text(0, 1), QStringLiteral("99997 {date:dd.MM.yyyy} {time}"));
    doc.objects[0].format.suffix = QStringLiteral(" {date:xx}");
    QCOMPARE(readRunData(doc, {}, runStart).error,
             QStringLiteral("`{date:xx}` in object 1 shows nothing of the date: a date format is "
                            "made of d, M and y, as dd.MM.yyyy"));
}

// The document's file is found beside it, or beside the current folder for
// a document that has none; paginette-print may name another, and another
// quantity column.
void RunDataTest::theRunReadsItsFile()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("jobs/data")));
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write(QStringLiteral("jobs/data/orders.csv"), "Name;Qty;Count\nAda;2;1\nBob;1;3\n");
    write(QStringLiteral("jobs/next.csv"), "Name,Qty,Count\nCy,1,4\n");
    Document doc = emptyDocument(10);
    addObject(doc, KindText, 10, 10, QStringLiteral("{Name}"));
    const QString documentPath = dir.filePath(QStringLiteral("jobs/numbers.pgt"));
    doc.data = DataSourceSettings{
        .file = relativeDataFile(dir.filePath("jobs/data/orders.csv"), documentPath),
        .quantity = "Qty"};
    QCOMPARE(doc.data->file, QStringLiteral("data/orders.csv"));
    QCOMPARE(resolvedDataFile(doc.data->file, documentPath),
             dir.filePath(QStringLiteral("jobs/data/orders.csv")));

    const auto pagesOf = [&](const RunDataRead &read) {
        if (!read.data)
            return read.error;
        QStringList names;
        const RunTexts texts(doc, *read.data);
        for (int page = 1; page <= texts.pages(); ++page)
            names.append(texts.text(0, page));
        return names.join(u' ');
    };
    QCOMPARE(pagesOf(readRunData(doc, documentPath, runStart)), QStringLiteral("Ada Ada Bob"));
    QCOMPARE(pagesOf(readRunData(doc, documentPath, runStart, {{}, QStringLiteral("Count")})),
             QStringLiteral("Ada Bob Bob Bob"));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.filePath(QStringLiteral("jobs"))));
    QCOMPARE(pagesOf(readRunData(doc, documentPath, runStart, {QStringLiteral("next.csv"), {}})),
             QStringLiteral("Cy"));
    QCOMPARE(pagesOf(readRunData(doc, {}, runStart)), QStringLiteral("Ada Ada Bob"));
    QVERIFY(QDir::setCurrent(previous));
    QCOMPARE(pagesOf(readRunData(doc, dir.filePath(QStringLiteral("numbers.pgt")), runStart)),
             QStringLiteral("orders.csv: there is no such file"));
    // A file for this run on a document without one.
    Document plain = doc;
    plain.data.reset();
    QCOMPARE(pagesOf(readRunData(plain, {}, runStart,
                                 {dir.filePath(QStringLiteral("jobs/next.csv")), {}})),
             QStringLiteral("Cy"));
}

// A number that counts on moves past the quantities' sum; one that restarts
// or starts where a column says stays.
void RunDataTest::continueNumberingMovesWhatCountsOn()
{
    Document doc = emptyDocument(10);
    doc.pagesToPrint = 100;
    for (int i = 0; i < 3; ++i)
        addNumber(doc, 10, 10 + 30 * i, 10, 3, 2);
    doc.data = DataSourceSettings{.file = "orders.csv", .quantity = "Qty"};
    doc.data->counting[1] = {NumberCounting::Mode::Restart};
    doc.data->counting[2] = {NumberCounting::Mode::StartColumn, "First"};
    const RunData data = runData(doc, *doc.data, ordersTable({"2", "0", "3"}, {"7", "", "40"}));
    continueNumbering(doc, data);
    QCOMPARE(cellsOf(doc), QStringLiteral("10,10:20+1 10,40:10+1 10,70:10+1"));
    QCOMPARE(firstValues(doc, data),
             (QList<NextFirstValue>{{"", "020"}, {"", "010"}, {"", "007"}}));
}

QTEST_APPLESS_MAIN(RunDataTest)
#include "tst_rundata.moc"
