#include "documentbuilder.h"
#include "file/documentfile.h"
#include "sheetdatabase.h"
#include "toolrun.h"

#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <map>
#include <numeric>

namespace {

const QString tool = QStringLiteral(PAGINETTE_PRINT);

QString fourDigits(int value)
{
    return QStringLiteral("%1").arg(value, 4, 10, QLatin1Char('0'));
}

// Where the back of a cell at `cell` lies on paper of `paper`, turned about
// its long edge (left and right change places) or its short edge.
QRectF backOf(const QRectF &cell, const QSizeF &paper, bool longEdge)
{
    return longEdge ? QRectF(paper.width() - cell.right(), cell.y(), cell.width(), cell.height())
                    : QRectF(cell.x(), paper.height() - cell.bottom(), cell.width(), cell.height());
}

// The words of `words` by the cell of `cells` they begin in, with where
// each begins from its cell's corner.
std::multimap<int, Word> byCell(const QList<Word> &words, const QList<QRectF> &cells)
{
    std::multimap<int, Word> found;
    for (const Word &word : words) {
        for (int cell = 0; cell < cells.size(); ++cell) {
            if (cells[cell].contains(word.origin)) {
                found.insert({cell, {word.text, word.origin - cells[cell].topLeft()}});
                break;
            }
        }
    }
    return found;
}

bool near(const QPointF &a, const QPointF &b)
{
    return (a - b).manhattanLength() < 2;
}

// What a PDF file's catalog tells a viewer, from qpdf's uncompressed form.
QString viewerPreferences(const QString &pdf)
{
    const ToolRun run = runTool(QStringLiteral("qpdf"),
                                {"--qdf", "--object-streams=disable", pdf, QStringLiteral("-")});
    const qsizetype at = run.out.indexOf(QLatin1String("/ViewerPreferences"));
    return at < 0 ? QString() : run.out.mid(at, run.out.indexOf(QLatin1String(">>"), at) - at + 2);
}

} // namespace

// paginette-print on both sides of the paper, read back as a print shop holds
// a sheet to the light: each back behind its own front.
class TestTwoSidedRun : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    SheetLayout m_avery5160;
    int m_jobs = 0;

    // Labels with a number on the front, and on the back one that is the
    // same as it (a stub) and one of its own, counting from 5001.
    QString labelJob()
    {
        Document doc = emptyDocument(5);
        addNumber(doc, 5, 5, 1, 4);
        addNumber(doc, 5, 5, 1, 4);
        addNumber(doc, 5, 40, 5001, 4);
        doc.objects[1].side = Side::Back;
        doc.objects[1].sameAs = 0;
        doc.objects[2].side = Side::Back;
        doc.duplex = Duplex::LongEdge;
        doc.sheet = m_avery5160;
        // A job of its own for each run: the print log would call the next
        // run of one job a reprint.
        const QString path = m_dir.filePath(QStringLiteral("labels%1.pgt").arg(++m_jobs));
        saveDocument(doc, {}, path);
        return path;
    }

    QList<QRectF> cells() const
    {
        QList<QRectF> rects;
        for (int cell = 0; cell < m_avery5160.cellCount(); ++cell)
            rects.append(m_avery5160.cellRect(cell));
        return rects;
    }

private Q_SLOTS:
    void initTestCase()
    {
        const std::optional<SheetLayout> layout =
            SheetDatabase::read(installedSheetFolder).find(u"Avery 5160");
        if (!layout)
            QSKIP("glabels-data is not installed");
        m_avery5160 = *layout;
    }

    // Every label printed has its back behind it, whatever the flip edge, the
    // first cell or a partly filled last sheet: the back's cell is its front's
    // mirrored about the edge, and shows the values its front's page shows.
    void everyBackIsBehindItsFront_data()
    {
        QTest::addColumn<QString>("edge");
        QTest::addColumn<int>("firstCell");
        QTest::addColumn<int>("labels");
        QTest::newRow("long edge, 100 from cell 7") << "long" << 7 << 100;
        QTest::newRow("short edge, 100 from cell 7") << "short" << 7 << 100;
        QTest::newRow("long edge, 35 from cell 1") << "long" << 1 << 35;
        QTest::newRow("short edge, 1 in cell 30") << "short" << 30 << 1;
    }

    void everyBackIsBehindItsFront()
    {
        QFETCH(QString, edge);
        QFETCH(int, firstCell);
        QFETCH(int, labels);

        const QString pdf = m_dir.filePath(QStringLiteral("run.pdf"));
        const ToolRun run =
            runTool(tool, {"--duplex", edge, "--first-cell", QString::number(firstCell), "--pages",
                           QString::number(labels), "-o", pdf, labelJob()});
        QCOMPARE(programErrors(run.err), QString());
        QCOMPARE(run.exitCode, 0);
        const int sheets = (firstCell - 1 + labels + 29) / 30;
        const QList<QList<Word>> pages = pagesWords(pdf);
        QCOMPARE(pages.size(), 2 * sheets);
        QList<QRectF> backs;
        for (const QRectF &cell : cells())
            backs.append(backOf(cell, m_avery5160.paper, edge == QLatin1String("long")));
        QList<int> fronts;
        QList<int> stubs;
        for (int sheet = 0; sheet < sheets; ++sheet) {
            const std::multimap<int, Word> front = byCell(pages[2 * sheet], cells());
            const std::multimap<int, Word> back = byCell(pages[2 * sheet + 1], backs);
            QCOMPARE(back.size(), 2 * front.size());
            for (const auto &[cell, word] : front) {
                QVERIFY(near(word.origin, {5, 5}));
                fronts.append(word.text.toInt());
                const auto [first, last] = back.equal_range(cell);
                QCOMPARE(std::distance(first, last), 2);
                for (auto it = first; it != last; ++it) {
                    const Word &behind = it->second;
                    if (near(behind.origin, {5, 5})) {
                        QCOMPARE(behind.text, word.text);
                        stubs.append(behind.text.toInt());
                    } else {
                        QVERIFY(near(behind.origin, {5, 40}));
                        QCOMPARE(behind.text, fourDigits(5000 + word.text.toInt()));
                    }
                }
            }
        }
        QList<int> every(labels);
        std::iota(every.begin(), every.end(), 1);
        QCOMPARE(fronts, every);
        QCOMPARE(stubs, every);
    }

    // Plain paper is one cell the size of the paper: a back number stands
    // where it was placed, upright, behind its page.
    void plainPaperBacksStandWherePlaced()
    {
        Document doc = emptyDocument(5);
        addNumber(doc, 72, 72, 1, 3);
        addNumber(doc, 300, 100, 701, 3);
        doc.objects[1].side = Side::Back;
        doc.duplex = Duplex::ShortEdge;
        doc.pagesToPrint = 3;
        const QString path = m_dir.filePath(QStringLiteral("plain.pgt"));
        QCOMPARE(saveDocument(doc, {}, path), QString());
        const QString pdf = m_dir.filePath(QStringLiteral("plain.pdf"));
        const ToolRun run = runTool(tool, {"-o", pdf, path});
        QCOMPARE(run.exitCode, 0);
        const QList<QList<Word>> pages = pagesWords(pdf);
        QCOMPARE(pages.size(), 6);
        for (int page = 0; page < 3; ++page) {
            QCOMPARE(pages[2 * page].size(), 1);
            QCOMPARE(pages[2 * page + 1].size(), 1);
            QCOMPARE(pages[2 * page].first().text,
                     QStringLiteral("%1").arg(page + 1, 3, 10, QLatin1Char('0')));
            const Word &back = pages[2 * page + 1].first();
            QCOMPARE(back.text, QString::number(701 + page));
            QVERIFY(near(back.origin, pages[2 * page].first().origin + QPointF(228, 28)));
        }
    }

    // For a printer that prints one side: the fronts, then the backs in the
    // order that meets them, last sheet first when the stack comes out face up.
    void onePassASide_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QList<int>>("firstLabels"); // the first label behind each page, in order
        QTest::newRow("fronts") << QStringList{"--sides", "front"} << QList<int>{1, 31, 61};
        QTest::newRow("backs") << QStringList{"--sides", "back"} << QList<int>{1, 31, 61};
        QTest::newRow("backs, face up")
            << QStringList{"--sides", "back", "--backs-reversed"} << QList<int>{61, 31, 1};
    }

    void onePassASide()
    {
        QFETCH(QStringList, options);
        QFETCH(QList<int>, firstLabels);

        const QString pdf = m_dir.filePath(QStringLiteral("pass.pdf"));
        const ToolRun run =
            runTool(tool, options + QStringList{"--pages", "70", "-o", pdf, labelJob()});
        QCOMPARE(programErrors(run.err), QString());
        const bool backs = options.contains(QLatin1String("back"));
        QList<int> first;
        for (const QList<Word> &page : pagesWords(pdf)) {
            // On a back the stub and the label's own number, on a front one number.
            QCOMPARE(page.size() % (backs ? 2 : 1), 0);
            int lowest = std::numeric_limits<int>::max();
            for (const Word &word : page) {
                if (word.text.toInt() < 5000)
                    lowest = std::min(lowest, word.text.toInt());
            }
            first.append(lowest);
        }
        QCOMPARE(first, firstLabels);
    }

    // Every PDF tells its viewers to print it at its size, and a two-sided
    // one about which edge to turn it; each passes qpdf's check.
    void everyPdfSaysHowToPrintIt_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("preferences");
        QTest::newRow("one side") << QStringList{"--duplex", "off"}
                                  << "/ViewerPreferences << /PrintScaling /None >>";
        QTest::newRow("long edge")
            << QStringList{"--duplex", "long"}
            << "/ViewerPreferences << /Duplex /DuplexFlipLongEdge /PrintScaling /None >>";
        QTest::newRow("short edge")
            << QStringList{"--duplex", "short"}
            << "/ViewerPreferences << /Duplex /DuplexFlipShortEdge /PrintScaling /None >>";
        QTest::newRow("the backs alone")
            << QStringList{"--sides", "back"} << "/ViewerPreferences << /PrintScaling /None >>";
    }

    void everyPdfSaysHowToPrintIt()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, preferences);

        const QString pdf = m_dir.filePath(QStringLiteral("preferences.pdf"));
        const ToolRun run =
            runTool(tool, options + QStringList{"--pages", "3", "-o", pdf, labelJob()});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(viewerPreferences(pdf).simplified(), preferences);
        const ToolRun check = runTool(QStringLiteral("qpdf"), {"--check", pdf});
        QVERIFY2(check.exitCode == 0, qPrintable(check.out + check.err));
    }

    // A stub is one series printed on both sides: the log holds it once, by
    // the number it is the same as, and a reprint is named once.
    void aStubIsOneSeriesOnBothSides()
    {
        const QString job = labelJob();
        const QString pdf = m_dir.filePath(QStringLiteral("again.pdf"));
        QCOMPARE(runTool(tool, {"--pages", "5", "-o", pdf, job}).exitCode, 0);
        const ToolRun again = runTool(tool, {"--pages", "5", "--fresh-only", "-o", pdf, job});
        QCOMPARE(again.exitCode, 1);
        const QStringList told = programErrors(again.err).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(told.size(), 3);
        QVERIFY2(told[0].startsWith(QLatin1String("paginette-print: object 1 printed 0001-0005 "
                                                  "on ")) &&
                     told[1].startsWith(QLatin1String("paginette-print: object 3 printed "
                                                      "5001-5005 on ")) &&
                     told[2].endsWith(QLatin1String("--fresh-only: nothing was printed")),
                 qPrintable(again.err));
    }

    // One side means the fronts alone: the back's objects are left out of the
    // paper, the manifest and the log.
    void oneSideMeansTheFrontsAlone()
    {
        const QString job = labelJob();
        const QString pdf = m_dir.filePath(QStringLiteral("fronts.pdf"));
        const QString manifest = m_dir.filePath(QStringLiteral("fronts.csv"));
        const ToolRun run = runTool(
            tool, {"--duplex", "off", "--pages", "3", "--manifest", manifest, "-o", pdf, job});
        QCOMPARE(programErrors(run.err), QString());
        QStringList printed;
        for (const QList<Word> &page : pagesWords(pdf)) {
            for (const Word &word : page)
                printed.append(word.text);
        }
        QCOMPARE(printed, (QStringList{"0001", "0002", "0003"}));
        QFile rows(manifest);
        QVERIFY(rows.open(QIODevice::ReadOnly));
        QCOMPARE(rows.readAll().count('\n'), 4);
        QFile log(qEnvironmentVariable("XDG_DATA_HOME") +
                  QStringLiteral("/paginette/print-log.csv"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray line = log.readAll().trimmed().split('\n').back();
        // Pages 1 to 3, one copy, the front's one number (unnamed) and its
        // values: nothing of the back's.
        QVERIFY2(line.trimmed().endsWith(",1,3,1,,0001,0003,1+1*3"), line.constData());
    }

    // Two passes through a printer that prints one side are one run: the
    // backs' pass is no reprint of the fronts, and each pass again is named
    // by the numbers of its own side.
    void twoPassesAreOneRun()
    {
        const QString job = labelJob();
        const QString pdf = m_dir.filePath(QStringLiteral("pass.pdf"));
        const auto pass = [&](const char *sides) {
            return runTool(tool,
                           {"--sides", sides, "--pages", "5", "--fresh-only", "-o", pdf, job});
        };
        QCOMPARE(pass("front").exitCode, 0);
        const ToolRun backs = pass("back");
        QCOMPARE(programErrors(backs.err), QString());
        QCOMPARE(backs.exitCode, 0);
        // The backs again: the stub's values and the back's own number.
        const QList<std::pair<const char *, QStringList>> passes{
            {"front", {"object 1 printed 0001-0005 on "}},
            {"back",
             {"object 1 printed 0001-0005 on the backs on ", "object 3 printed 5001-5005 on "}}};
        for (const auto &[sides, named] : passes) {
            const ToolRun again = pass(sides);
            QCOMPARE(again.exitCode, 1);
            const QStringList told = programErrors(again.err).split(u'\n', Qt::SkipEmptyParts);
            QCOMPARE(told.size(), named.size() + 1);
            for (qsizetype i = 0; i < named.size(); ++i)
                QVERIFY2(told[i].contains(named[i]), qPrintable(again.err));
        }
    }

    // Backs that carry only stubs are checked and logged as the side they
    // print: a backs pass after a full run is a reprint of its values, after
    // a fronts pass it is the run's second half, and it logs its values.
    void aBacksPassOfStubsIsCheckedAsItsSide_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("reprint");
        QTest::newRow("after a full run") << "both" << true;
        QTest::newRow("after a fronts pass") << "front" << false;
        QTest::newRow("after a backs pass") << "back" << true;
    }

    void aBacksPassOfStubsIsCheckedAsItsSide()
    {
        QFETCH(QString, before);
        QFETCH(bool, reprint);
        Document doc = emptyDocument(2);
        addNumber(doc, 5, 5, 1, 4);
        addNumber(doc, 5, 5, 1, 4);
        doc.objects[0].name = QStringLiteral("num0");
        doc.objects[1].side = Side::Back;
        doc.objects[1].sameAs = 0;
        doc.duplex = Duplex::LongEdge;
        const QString job = m_dir.filePath(QStringLiteral("stubs%1.pgt").arg(++m_jobs));
        QCOMPARE(saveDocument(doc, {}, job), QString());
        const QString pdf = m_dir.filePath(QStringLiteral("stubs.pdf"));
        QCOMPARE(runTool(tool, {"--sides", before, "--pages", "5", "-o", pdf, job}).exitCode, 0);

        const ToolRun backs = runTool(tool, {"--sides", "back", "--pages", "5", "--range", "3-4",
                                             "--fresh-only", "-o", pdf, job});
        QCOMPARE(backs.exitCode, reprint ? 1 : 0);
        QCOMPARE(programErrors(backs.err).contains(QLatin1String("num0 printed 0001-0005 on "
                                                                 "the backs")),
                 reprint);
        if (reprint)
            return;
        QFile log(qEnvironmentVariable("XDG_DATA_HOME") +
                  QStringLiteral("/paginette/print-log.csv"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray line = log.readAll().trimmed().split('\n').back();
        QVERIFY2(line.trimmed().endsWith(",3,4,1,object 2,0003,0004,3+1*2"), line.constData());
    }

    // The manifest of a two-sided run names each number's side; the stub on
    // the back is the front's value again.
    void theManifestNamesTheSide()
    {
        const QString pdf = m_dir.filePath(QStringLiteral("listed.pdf"));
        const QString manifest = m_dir.filePath(QStringLiteral("listed.csv"));
        const ToolRun run =
            runTool(tool, {"--pages", "2", "--manifest", manifest, "-o", pdf, labelJob()});
        QCOMPARE(run.exitCode, 0);
        QFile file(manifest);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = file.readAll().trimmed().split('\n');
        for (QByteArray &line : lines)
            line = line.trimmed();
        QCOMPARE(lines.value(0), R"("Sheet","Page","Copy","Object","Text","Side")");
        QCOMPARE(lines.mid(1), (QList<QByteArray>{R"("1","1","1","object 1","0001","front")",
                                                  R"("1","2","1","object 1","0002","front")",
                                                  R"("1","1","1","object 2","0001","back")",
                                                  R"("1","1","1","object 3","5001","back")",
                                                  R"("1","2","1","object 2","0002","back")",
                                                  R"("1","2","1","object 3","5002","back")"}));
    }
};

QTEST_GUILESS_MAIN(TestTwoSidedRun)
#include "tst_twosidedrun.moc"
