#include "documentbuilder.h"
#include "file/documentfile.h"
#include "sheetdatabase.h"
#include "toolrun.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <map>

namespace {

// A row of the generated job: a name and a town, one word each, and how
// many labels it asks for.
struct JobRow
{
    QString name;
    QString town;
    int quantity = 0;
};

QList<JobRow> generatedRows(QRandomGenerator &random, int count)
{
    static const QStringList towns{QStringLiteral("Lyon"), QStringLiteral("Gent"),
                                   QStringLiteral("Malmö"), QStringLiteral("Évora"),
                                   QStringLiteral("Porto")};
    QList<JobRow> rows;
    for (int r = 0; r < count; ++r)
        rows.append({QStringLiteral("Customer%1").arg(random.bounded(100000)),
                     towns[random.bounded(towns.size())], random.bounded(4)});
    // A run prints something: the last row asks for one label at least.
    rows.last().quantity = std::max(rows.last().quantity, 1);
    return rows;
}

// The rows as a spreadsheet writes them: semicolons, a header, quotes.
QByteArray csvOf(const QList<JobRow> &rows)
{
    QByteArray csv = "Name;Town;Qty\r\n";
    for (const JobRow &row : rows)
        csv += "\"" + row.name.toUtf8() + "\";" + row.town.toUtf8() + ";" +
               QByteArray::number(row.quantity) + "\r\n";
    return csv;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The words of each cell of `layout` on one page, in the order they begin
// on it, top to bottom.
std::map<int, QStringList> wordsByCell(const QList<Word> &words, const SheetLayout &layout)
{
    std::map<int, QStringList> cells;
    for (const Word &word : words) {
        for (int cell = 0; cell < layout.cellCount(); ++cell) {
            if (layout.cellRect(cell).contains(word.origin)) {
                cells[cell].append(word.text);
                break;
            }
        }
    }
    return cells;
}

// A document of one number `num0` at 4 digits from 1 and the texts given,
// one under the other.
Document documentOf(const QStringList &texts)
{
    Document doc = emptyDocument(8);
    const int number = addNumber(doc, 5, 5, 1, 4);
    doc.objects[number].name = QStringLiteral("num0");
    int y = 25;
    for (const QString &text : texts) {
        const int index = addObject(doc, KindText, 5, y, text);
        doc.objects[index].name = QStringLiteral("txt%1").arg(index);
        y += 20;
    }
    return doc;
}

ToolRun printTool(const QStringList &arguments)
{
    return runTool(QStringLiteral(PAGINETTE_PRINT), arguments);
}

} // namespace

// paginette-print over a data file: a page or label for each row's
// quantity, the row's fields on it, the run's date, the manifest's row and
// the reprint check across rows, read back from what it wrote.
class TestDataRun : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Saves `doc` reading `dataFile` (beside it) as `name`.
    QString saved(Document doc, const QString &name, const QString &dataFile,
                  const QString &quantity = {})
    {
        if (!dataFile.isEmpty())
            doc.data = DataSourceSettings{.file = dataFile, .quantity = quantity};
        const QString file = path(name);
        const QString error = saveDocument(doc, {}, file);
        return error.isEmpty() ? file : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("data"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
    }

    // Rows of random quantities, zeros among them, on Avery 5160 from cell
    // 7: every label holds its row's fields and the next serial, the
    // manifest names its row, and the PDF is sound.
    void everyLabelShowsItsRow()
    {
        const std::optional<SheetLayout> layout =
            SheetDatabase::read(installedSheetFolder).find(u"Avery 5160");
        if (!layout)
            QSKIP("glabels-data is not installed");
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        const QList<JobRow> rows = generatedRows(random, 40);
        QVERIFY(writeFile(path(QStringLiteral("job.csv")), csvOf(rows)));
        const QString document =
            saved(documentOf({QStringLiteral("{Name}"), QStringLiteral("{Town}")}),
                  QStringLiteral("job.pgt"), QStringLiteral("job.csv"), QStringLiteral("Qty"));
        QVERIFY(!document.isEmpty());
        const QString pdf = path(QStringLiteral("job.pdf"));
        const QString manifest = path(QStringLiteral("job-manifest.csv"));
        const ToolRun run = printTool({"--sheet", "Avery 5160", "--first-cell", "7", "--manifest",
                                       manifest, "-o", pdf, document});
        QVERIFY2(run.exitCode == 0, qPrintable(programErrors(run.err)));

        // The labels the rows ask for, in order, each with its row as the
        // spreadsheet shows it: the header is row 1.
        QList<std::pair<const JobRow *, int>> expected;
        for (qsizetype r = 0; r < rows.size(); ++r) {
            for (int copy = 0; copy < rows[r].quantity; ++copy)
                expected.append({&rows[r], int(r + 2)});
        }
        qsizetype label = 0;
        const QList<QList<Word>> pages = pagesWords(pdf);
        for (qsizetype sheet = 0; sheet < pages.size(); ++sheet) {
            for (const auto &[cell, words] : wordsByCell(pages[sheet], *layout)) {
                QVERIFY2(label < expected.size(), qPrintable(QString::number(seed)));
                if (sheet == 0)
                    QVERIFY(cell >= 6);
                const JobRow &row = *expected[label].first;
                QCOMPARE(words,
                         (QStringList{QStringLiteral("%1").arg(label + 1, 4, 10, QChar(u'0')),
                                      row.name, row.town}));
                ++label;
            }
        }
        QCOMPARE(label, expected.size());
        QCOMPARE(runTool(QStringLiteral("qpdf"), {"--check", pdf}).exitCode, 0);

        // One manifest line per label: its row last.
        const QList<QByteArray> lines = readFile(manifest).trimmed().split('\n');
        QCOMPARE(lines.value(0).trimmed(),
                 QByteArray(R"("Sheet","Page","Copy","Object","Text","Row")"));
        QCOMPARE(lines.size() - 1, expected.size());
        for (qsizetype i = 1; i < lines.size(); ++i)
            QVERIFY2(lines[i].trimmed().endsWith("\"" + QByteArray::number(expected[i - 1].second) +
                                                 "\""),
                     lines[i].constData());
    }

    // --date sets the date and time the fields show; a date that is no
    // date is a usage error.
    void theRunsDateIsTheOneGiven_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("thirty days on") << "2026-01-31"
                                        << "{date+30d:dd.MM.yyyy}"
                                        << "02.03.2026" << 0;
        QTest::newRow("date and time") << "2026-01-31T09:05"
                                       << "{time}"
                                       << "09:05" << 0;
        QTest::newRow("midnight without a time") << "2026-06-01"
                                                 << "{time}"
                                                 << "00:00" << 0;
        QTest::newRow("no such day") << "2026-02-30"
                                     << "{date}" << QString() << 2;
        QTest::newRow("another order") << "31.01.2026"
                                       << "{date}" << QString() << 2;
        QTest::newRow("no such hour") << "2026-01-31T25:00"
                                      << "{date}" << QString() << 2;
    }

    void theRunsDateIsTheOneGiven()
    {
        QFETCH(QString, date);
        QFETCH(QString, field);
        QFETCH(QString, shown);
        QFETCH(int, exitCode);
        const QString document = saved(documentOf({field}), QStringLiteral("dated.pgt"), {});
        const QString pdf = path(QStringLiteral("dated.pdf"));
        QFile::remove(pdf);
        const ToolRun run = printTool({"--date", date, "-o", pdf, document});
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode != 0) {
            QVERIFY(run.err.contains(QStringLiteral("--date")));
            QVERIFY(!QFile::exists(pdf));
            return;
        }
        QCOMPARE(pageWords(pdf, 1).value(1).text, shown);
    }

    // A reprint of pages of a data run is named and refused with
    // --fresh-only, across rows, whichever way the number counts; pages
    // whose values no run printed go ahead.
    void reprintsAreFoundAcrossRows_data()
    {
        QTest::addColumn<QString>("counting");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QString>("again");
        QTest::addColumn<bool>("reprint");
        // Rows of 3, 2 and 4 pages: pages 1-3, 4-5, 6-9.
        QTest::newRow("on, the same pages") << "on"
                                            << "1-9"
                                            << "4-7" << true;
        QTest::newRow("on, later rows") << "on"
                                        << "1-3"
                                        << "4-9" << false;
        QTest::newRow("restart, another row") << "restart"
                                              << "1-3"
                                              << "6-6" << true;
        QTest::newRow("restart, past the first") << "restart"
                                                 << "1-1"
                                                 << "7-9" << false;
        QTest::newRow("start column, across rows") << "column"
                                                   << "4-6"
                                                   << "5-5" << true;
        QTest::newRow("start column, rows apart") << "column"
                                                  << "1-3"
                                                  << "4-9" << false;
    }

    void reprintsAreFoundAcrossRows()
    {
        QFETCH(QString, counting);
        QFETCH(QString, printed);
        QFETCH(QString, again);
        QFETCH(bool, reprint);
        QVERIFY(
            writeFile(path(QStringLiteral("ranges.csv")), "Qty,From\n3,4001\n2,5001\n4,6001\n"));
        Document doc = documentOf({});
        DataSourceSettings data{.file = QStringLiteral("ranges.csv"),
                                .quantity = QStringLiteral("Qty")};
        if (counting == QLatin1String("restart"))
            data.counting[0] = {.mode = NumberCounting::Mode::Restart};
        else if (counting == QLatin1String("column"))
            data.counting[0] = {.mode = NumberCounting::Mode::StartColumn,
                                .startColumn = QStringLiteral("From")};
        doc.data = data;
        // A document of its own for each row: the log knows runs by document.
        const QString document = path(QTest::currentDataTag() + QStringLiteral(".pgt"));
        QCOMPARE(saveDocument(doc, {}, document), QString());
        const QString pdf = path(QStringLiteral("ranges.pdf"));
        QCOMPARE(printTool({"--range", printed, "-o", pdf, document}).exitCode, 0);
        const ToolRun run = printTool({"--fresh-only", "--range", again, "-o", pdf, document});
        QCOMPARE(run.exitCode, reprint ? 1 : 0);
        QCOMPARE(run.err.contains(QStringLiteral("num0 printed")), reprint);
    }

    // Data that cannot print refuse the run before anything is written,
    // naming the file, the row as the spreadsheet shows it and the column.
    void badDataRefuseTheRun_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("a quantity that is no number")
            << QByteArray("Name,Qty\nAda,2\nBob,two\n") << "{Name}" << QStringList()
            << QStringList{"bad.csv", "row 3", "Qty"};
        QTest::newRow("a negative quantity")
            << QByteArray("Name,Qty\nAda,-1\n") << "{Name}" << QStringList()
            << QStringList{"bad.csv", "row 2", "Qty"};
        QTest::newRow("a field no column has") << QByteArray("Name,Qty\nAda,1\n") << "{Nmae}"
                                               << QStringList() << QStringList{"{Nmae}", "bad.csv"};
        QTest::newRow("a quantity column the file lacks")
            << QByteArray("Name,Qty\nAda,1\n") << "{Name}"
            << QStringList{"--quantity-column", "Count"} << QStringList{"Count", "bad.csv"};
        QTest::newRow("a data file that is not there")
            << QByteArray() << "{Name}" << QStringList{"--data", "missing.csv"}
            << QStringList{"missing.csv"};
    }

    void badDataRefuseTheRun()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, text);
        QFETCH(QStringList, options);
        QFETCH(QStringList, named);
        QVERIFY(writeFile(path(QStringLiteral("bad.csv")), csv));
        const QString document = saved(documentOf({text}), QStringLiteral("bad.pgt"),
                                       QStringLiteral("bad.csv"), QStringLiteral("Qty"));
        const QString pdf = path(QStringLiteral("bad.pdf"));
        QFile::remove(pdf);
        // --data is relative to the current folder.
        QProcess process;
        process.setWorkingDirectory(m_dir.path());
        process.start(QStringLiteral(PAGINETTE_PRINT), options << "-o" << pdf << document);
        const ToolRun run = finishRun(process);
        QCOMPARE(run.exitCode, 2);
        for (const QString &name : named)
            QVERIFY2(run.err.contains(name), qPrintable(run.err));
        QVERIFY(!QFile::exists(pdf));
    }

    // Starts of ten digits and more print as they are, in the pages, the
    // manifest and the log, whose check finds them again; a start past what
    // a value holds is refused before anything is written, naming file, row
    // and column.
    void startsPastThirtyTwoBitsPrintAsTheyAre_data()
    {
        QTest::addColumn<QByteArray>("starts");
        QTest::addColumn<QStringList>("printed"); // empty: refused
        QTest::newRow("ten digits") << QByteArray("3000000001\n4294967296\n2147483648\n")
                                    << QStringList{"3000000001", "4294967296", "2147483648"};
        QTest::newRow("across 2^32 and 2^63 - 1")
            << QByteArray("4294967295\n9223372036854775806\n")
            << QStringList{"4294967295", "4294967296", "9223372036854775806",
                           "9223372036854775807"};
        QTest::newRow("past what a value holds")
            << QByteArray("7\n9223372036854775808\n") << QStringList();
    }

    void startsPastThirtyTwoBitsPrintAsTheyAre()
    {
        QFETCH(QByteArray, starts);
        QFETCH(QStringList, printed);
        const qsizetype rows = starts.count('\n');
        const int quantity = int(printed.size() / std::max<qsizetype>(rows, 1));
        QByteArray csv = "Qty,From\n";
        for (const QByteArray &start : starts.trimmed().split('\n'))
            csv += QByteArray::number(printed.isEmpty() ? 1 : quantity) + "," + start + "\n";
        QVERIFY(writeFile(path(QStringLiteral("wide.csv")), csv));
        Document doc = documentOf({});
        doc.objects[0].stepPage = 1;
        DataSourceSettings data{.file = QStringLiteral("wide.csv"),
                                .quantity = QStringLiteral("Qty")};
        data.counting[0] = {.mode = NumberCounting::Mode::StartColumn,
                            .startColumn = QStringLiteral("From")};
        doc.data = data;
        const QString document = path(QTest::currentDataTag() + QStringLiteral(".pgt"));
        QCOMPARE(saveDocument(doc, {}, document), QString());
        const QString pdf = path(QStringLiteral("wide.pdf"));
        const QString manifest = path(QStringLiteral("wide.csv.manifest"));
        QFile::remove(pdf);
        const ToolRun run = printTool({"--manifest", manifest, "-o", pdf, document});
        if (printed.isEmpty()) {
            QCOMPARE(run.exitCode, 2);
            for (const char *named : {"wide.csv", "row 3", "From", "9223372036854775808"})
                QVERIFY2(run.err.contains(QLatin1String(named)), qPrintable(run.err));
            QVERIFY(!QFile::exists(pdf));
            return;
        }
        QVERIFY2(run.exitCode == 0, qPrintable(programErrors(run.err)));
        QStringList pages;
        for (const QList<Word> &words : pagesWords(pdf))
            pages.append(words.value(0).text);
        QCOMPARE(pages, printed);
        QStringList listed;
        for (const QByteArray &line : readFile(manifest).trimmed().split('\n').mid(1))
            listed.append(QString::fromUtf8(line.split(',').value(4)).remove(u'"'));
        QCOMPARE(listed, printed);
        // The log holds the values as printed: the last page again is a reprint.
        const QString last = QString::number(printed.size());
        const ToolRun again =
            printTool({"--fresh-only", "--range", last + u'-' + last, "-o", pdf, document});
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.err.contains(QStringLiteral("num0 printed")), qPrintable(again.err));
    }

    // An address cell prints its lines one under another, each starting
    // where the first does, in a text and in a number's prefix alike; the
    // manifest keeps the cell as it is.
    void aCellsLinesPrintAsLines_data()
    {
        QTest::addColumn<QByteArray>("cell");
        QTest::addColumn<bool>("inPrefix");
        QTest::newRow("a text, LF") << QByteArray("Hauptstr. 1\n50667 K\xC3\xB6ln") << false;
        QTest::newRow("a text, CR LF") << QByteArray("Hauptstr. 1\r\n50667 K\xC3\xB6ln") << false;
        QTest::newRow("a number's prefix") << QByteArray("Hauptstr. 1\n50667 K\xC3\xB6ln") << true;
    }

    void aCellsLinesPrintAsLines()
    {
        QFETCH(QByteArray, cell);
        QFETCH(bool, inPrefix);
        QVERIFY(writeFile(path(QStringLiteral("lines.csv")), "Address\n\"" + cell + "\"\n"));
        Document doc = documentOf(inPrefix ? QStringList() : QStringList{"{Address}"});
        if (inPrefix) {
            doc.objects[0].y = 25;
            doc.objects[0].format.prefix = QStringLiteral("{Address} ");
        }
        const QString document =
            saved(doc, QStringLiteral("lines.pgt"), QStringLiteral("lines.csv"));
        const QString pdf = path(QStringLiteral("lines.pdf"));
        const ToolRun run = printTool({"-o", pdf, document});
        QVERIFY2(run.exitCode == 0, qPrintable(programErrors(run.err)));
        QList<Word> words = pageWords(pdf, 1);
        if (!inPrefix)
            words.removeFirst(); // num0's 0001
        QStringList texts;
        for (const Word &word : words)
            texts.append(word.text);
        const QStringList lastLine =
            inPrefix ? QStringList{"50667", "Köln", "0001"} : QStringList{"50667", "Köln"};
        QCOMPARE(texts, QStringList({"Hauptstr.", "1"}) + lastLine);
        const Word &first = words[0];
        const Word &second = words[2];
        QCOMPARE(qRound(second.origin.x()), qRound(first.origin.x()));
        // One character cell lower: the object's size, in points.
        QCOMPARE(qRound(second.origin.y() - first.origin.y()), 14);
        QCOMPARE(runTool(QStringLiteral("qpdf"), {"--check", pdf}).exitCode, 0);
    }

    // A document names only the data files of its own folder and those
    // below it: one elsewhere, reached by a path, by ../ or by a link, is
    // refused before anything prints, naming it, unless --data names it.
    void aDataFileElsewhereIsReadOnlyWhenNamed_data()
    {
        QTest::addColumn<QString>("stored"); // {elsewhere} stands for the other folder
        QTest::addColumn<bool>("named");     // by --data
        QTest::addColumn<bool>("read");
        QTest::newRow("beside it") << "orders.csv" << false << true;
        QTest::newRow("below it") << "sub/orders.csv" << false << true;
        QTest::newRow("elsewhere") << "{elsewhere}/secret.csv" << false << false;
        QTest::newRow("up and out") << "../elsewhere/secret.csv" << false << false;
        QTest::newRow("a link to elsewhere") << "link.csv" << false << false;
        QTest::newRow("elsewhere, named by --data") << "{elsewhere}/secret.csv" << true << true;
    }

    void aDataFileElsewhereIsReadOnlyWhenNamed()
    {
        QFETCH(QString, stored);
        QFETCH(bool, named);
        QFETCH(bool, read);
        const QTemporaryDir root;
        const QString job = root.filePath(QStringLiteral("job"));
        const QString elsewhere = root.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(job + QStringLiteral("/sub")) && QDir().mkpath(elsewhere));
        for (const QString &file :
             {job + "/orders.csv", job + "/sub/orders.csv", elsewhere + "/secret.csv"})
            QVERIFY(writeFile(file, "Name\nAda\n"));
        QVERIFY(QFile::link(elsewhere + QStringLiteral("/secret.csv"),
                            job + QStringLiteral("/link.csv")));
        stored.replace(QStringLiteral("{elsewhere}"), elsewhere);
        Document doc = documentOf({QStringLiteral("{Name}")});
        doc.data = DataSourceSettings{.file = stored};
        const QString document = job + QStringLiteral("/job.pgt");
        QCOMPARE(saveDocument(doc, {}, document), QString());
        const QString pdf = root.filePath(QStringLiteral("out.pdf"));
        QStringList arguments{"-o", pdf, document};
        if (named)
            arguments.prepend(stored);
        if (named)
            arguments.prepend(QStringLiteral("--data"));
        const ToolRun run = printTool(arguments);
        QCOMPARE(run.exitCode, read ? 0 : 2);
        QCOMPARE(QFile::exists(pdf), read);
        if (read)
            QCOMPARE(pageWords(pdf, 1).value(1).text, QStringLiteral("Ada"));
        else
            QVERIFY2(run.err.contains(QLatin1String("lies outside the document's folder")) &&
                         run.err.contains(QFileInfo(job + u'/' + stored).fileName()),
                     qPrintable(run.err));
    }

    // A file read other than as asked prints, each warning a line on
    // standard error.
    void warningsAreWrittenAndTheRunGoesOn()
    {
        QVERIFY(writeFile(path(QStringLiteral("mixed.csv")),
                          QString("Name,Qty\nJürgen,1\n").toUtf8() + "M\xfcller,1\n"));
        const QString document =
            saved(documentOf({QStringLiteral("{Name}")}), QStringLiteral("mixed.pgt"),
                  QStringLiteral("mixed.csv"), QStringLiteral("Qty"));
        const QString pdf = path(QStringLiteral("mixed.pdf"));
        const ToolRun run = printTool({"-o", pdf, document});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.err.split(u'\n').contains(
                     QStringLiteral("paginette-print: mixed.csv: line 3 is not UTF-8 text; it "
                                    "was read as Windows-1252")),
                 qPrintable(run.err));
        QCOMPARE(pageWords(pdf, 2).value(1).text, QStringLiteral("Müller"));
    }

    // --data prints from another file, relative to the current folder.
    void anotherFileForOneRun()
    {
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("today")));
        QVERIFY(writeFile(path(QStringLiteral("today/other.csv")), "Name,Count\nZoe,2\n"));
        QVERIFY(writeFile(path(QStringLiteral("own.csv")), "Name,Qty\nAda,1\n"));
        const QString document =
            saved(documentOf({QStringLiteral("{Name}")}), QStringLiteral("own.pgt"),
                  QStringLiteral("own.csv"), QStringLiteral("Qty"));
        const QString pdf = path(QStringLiteral("other.pdf"));
        QProcess process;
        process.setWorkingDirectory(path(QStringLiteral("today")));
        process.start(QStringLiteral(PAGINETTE_PRINT),
                      {"--data", "other.csv", "--quantity-column", "Count", "-o", pdf, document});
        const ToolRun run = finishRun(process);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(pdfPageCount(pdf), 2);
        QCOMPARE(pageWords(pdf, 2).value(1).text, QStringLiteral("Zoe"));
    }
};

QTEST_GUILESS_MAIN(TestDataRun)
#include "tst_datarun.moc"
