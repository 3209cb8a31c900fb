#include "documentbuilder.h"
#include "file/documentfile.h"
#include "smalldisk.h"
#include "toolrun.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTransform>
#include <QXmlStreamReader>

namespace {

// A word pdftotext found and its box, in points.
struct WordBox
{
    QString text;
    QRectF box;
};

QList<WordBox> wordBoxes(const QString &pdf, int page)
{
    const QString number = QString::number(page);
    const ToolRun run = runTool(QStringLiteral("pdftotext"),
                                {QStringLiteral("-bbox"), QStringLiteral("-f"), number,
                                 QStringLiteral("-l"), number, pdf, QStringLiteral("-")});
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" )re"
                       R"re(yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<WordBox> words;
    for (auto match = word.globalMatch(run.out); match.hasNext();) {
        const auto found = match.next();
        const QPointF topLeft(found.captured(1).toDouble(), found.captured(2).toDouble());
        const QPointF bottomRight(found.captured(3).toDouble(), found.captured(4).toDouble());
        words.append({found.captured(5), QRectF(topLeft, bottomRight)});
    }
    return words;
}

bool dark(QRgb pixel)
{
    return qGray(pixel) < 160;
}

// Where an SVG page's texts stand: each text at its baseline, in the
// page's own units.
QList<std::pair<QString, QPointF>> svgTexts(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader svg(&file);
    QList<QTransform> groups{QTransform()};
    QList<std::pair<QString, QPointF>> texts;
    static const QRegularExpression matrix(QStringLiteral(
        R"(matrix\(([-\d.e]+),([-\d.e]+),([-\d.e]+),([-\d.e]+),([-\d.e]+),([-\d.e]+)\))"));
    while (!svg.atEnd()) {
        svg.readNext();
        if (svg.isStartElement() && svg.name() == u"g") {
            QTransform transform = groups.back();
            const auto found =
                matrix.match(svg.attributes().value(QStringLiteral("transform")).toString());
            if (found.hasMatch())
                transform = QTransform(found.captured(1).toDouble(), found.captured(2).toDouble(),
                                       found.captured(3).toDouble(), found.captured(4).toDouble(),
                                       found.captured(5).toDouble(), found.captured(6).toDouble()) *
                            transform;
            groups.append(transform);
        } else if (svg.isEndElement() && svg.name() == u"g") {
            groups.removeLast();
        } else if (svg.isStartElement() && svg.name() == u"text") {
            const QPointF at(svg.attributes().value(QStringLiteral("x")).toDouble(),
                             svg.attributes().value(QStringLiteral("y")).toDouble());
            texts.append({svg.readElementText(), groups.back().map(at)});
        }
    }
    return texts;
}

} // namespace

// A run written as a picture a page: PNG pages at the resolution asked, with
// every number where the PDF of the same run has it; SVG pages holding each
// number as text at its place; all the pages, or none.
class TestPageFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString saved(const Document &doc, const QString &name)
    {
        const QString path = m_dir.filePath(name);
        return saveDocument(doc, {}, path).isEmpty() ? path : QString();
    }

    static Document numbers(bool labels)
    {
        Document doc = emptyDocument(5);
        addNumber(doc, 40, 30, 1, 4);
        addNumber(doc, 60, 90, 700, 3);
        doc.pagesToPrint = 3;
        if (labels) {
            SheetLayout sheet;
            sheet.paper = QSizeF(420, 595);
            sheet.label = QSizeF(180, 150);
            sheet.grids = {{2, 3, 20, 40, 200, 180}};
            doc.sheet = sheet;
            doc.pagesToPrint = 8;
        }
        return doc;
    }

private Q_SLOTS:
    void pngPagesShowTheNumbersWhereThePdfHasThem_data()
    {
        QTest::addColumn<bool>("labels");
        QTest::addColumn<int>("dpi");
        QTest::newRow("plain paper at 150 dpi") << false << 150;
        QTest::newRow("labels from cell 3 at 100 dpi") << true << 100;
    }

    void pngPagesShowTheNumbersWhereThePdfHasThem()
    {
        QFETCH(bool, labels);
        QFETCH(int, dpi);
        const QString name = labels ? QStringLiteral("labels") : QStringLiteral("pages");
        const QString document = saved(numbers(labels), name + QStringLiteral(".pgt"));
        const QString pdf = m_dir.filePath(name + QStringLiteral(".pdf"));
        const QString png = m_dir.filePath(name + QStringLiteral(".png"));
        QStringList options;
        if (labels)
            options << QStringLiteral("--first-cell") << QStringLiteral("3");
        ToolRun run =
            runTool(QStringLiteral(PAGINETTE_PRINT), options + QStringList{"-o", pdf, document});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        run = runTool(QStringLiteral(PAGINETTE_PRINT),
                      options + QStringList{"--dpi", QString::number(dpi), "-o", png, document});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));

        const int pages = pdfPageCount(pdf);
        QCOMPARE(pages, labels ? 2 : 3);
        QStringList written = QDir(m_dir.path()).entryList({name + QStringLiteral("-*.png")});
        QCOMPARE(written.size(), pages);
        const qreal scale = dpi / 72.0;
        for (int page = 1; page <= pages; ++page) {
            const QImage image(m_dir.filePath(
                QStringLiteral("%1-%2.png").arg(name).arg(page, 4, 10, QLatin1Char('0'))));
            const QList<WordBox> words = wordBoxes(pdf, page);
            QVERIFY(!words.isEmpty());
            // Read back at the resolution asked.
            QCOMPARE(qRound(image.dotsPerMeterX() * 0.0254), dpi);
            QVERIFY(qAbs(image.width() - (labels ? 420 : 595) * scale) <= 1);
            // Ink inside each word's box, and nowhere else.
            const auto around = [&](const QRectF &box) {
                return QRectF(box.topLeft() * scale, box.size() * scale).adjusted(-3, -3, 3, 3);
            };
            for (const WordBox &word : words) {
                const QRect box = around(word.box).toRect() & image.rect();
                bool inked = false;
                for (int y = box.top(); y <= box.bottom() && !inked; ++y)
                    for (int x = box.left(); x <= box.right() && !inked; ++x)
                        inked = dark(image.pixel(x, y));
                QVERIFY2(inked, qPrintable(word.text));
            }
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (!dark(image.pixel(x, y)))
                        continue;
                    const bool inWord =
                        std::any_of(words.begin(), words.end(), [&](const WordBox &word) {
                            return around(word.box).contains(QPointF(x, y));
                        });
                    QVERIFY2(
                        inWord,
                        qPrintable(
                            QStringLiteral("ink at %1, %2 of page %3").arg(x).arg(y).arg(page)));
                }
            }
        }
    }

    void svgPagesHoldEachNumberAsTextAtItsPlace()
    {
        const QString document = saved(numbers(false), QStringLiteral("svg.pgt"));
        const QString pdf = m_dir.filePath(QStringLiteral("svg.pdf"));
        const QString svg = m_dir.filePath(QStringLiteral("svg.svg"));
        QCOMPARE(runTool(QStringLiteral(PAGINETTE_PRINT), {"-o", pdf, document}).exitCode, 0);
        QCOMPARE(runTool(QStringLiteral(PAGINETTE_PRINT), {"-o", svg, document}).exitCode, 0);
        for (int page = 1; page <= 3; ++page) {
            const auto texts = svgTexts(m_dir.filePath(QStringLiteral("svg-000%1.svg").arg(page)));
            const QList<WordBox> words = wordBoxes(pdf, page);
            QCOMPARE(texts.size(), words.size());
            for (qsizetype i = 0; i < texts.size(); ++i) {
                // The page's units are the run's dots, 360 an inch.
                const QPointF baseline = texts[i].second / 5;
                QCOMPARE(texts[i].first, words[i].text);
                QVERIFY2(qAbs(baseline.x() - words[i].box.left()) < 1 &&
                             baseline.y() > words[i].box.top() &&
                             baseline.y() <= words[i].box.bottom() + 1,
                         qPrintable(words[i].text));
            }
        }
    }

    // A run that cannot be whole leaves the pages there as they were.
    void pagesGoAllOrNone_data()
    {
        QTest::addColumn<bool>("fullDisk");
        QTest::newRow("a page's name taken by a folder") << false;
        QTest::newRow("the disk full after some pages") << true;
    }

    void pagesGoAllOrNone()
    {
        QFETCH(bool, fullDisk);
        std::optional<SmallDisk> disk;
        QString folder = m_dir.filePath(QStringLiteral("whole"));
        if (fullDisk) {
            disk.emplace();
            if (!disk->mounted())
                QSKIP(qPrintable(disk->reason));
            folder = disk->path();
        }
        QVERIFY(QDir().mkpath(folder));
        Document doc = numbers(false);
        doc.pagesToPrint = fullDisk ? 40 : 3;
        const QString document = saved(doc, QStringLiteral("whole.pgt"));
        const QString earlier = QDir(folder).filePath(QStringLiteral("run-0001.png"));
        QFile file(earlier);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("earlier") == 7);
        file.close();
        if (!fullDisk)
            QVERIFY(QDir(folder).mkdir(QStringLiteral("run-0002.png")));

        const ToolRun run = runTool(
            QStringLiteral(PAGINETTE_PRINT),
            {"--dpi", "300", "-o", QDir(folder).filePath(QStringLiteral("run.png")), document});
        QCOMPARE(run.exitCode, 1);
        QFile kept(earlier);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("earlier"));
        const QStringList left =
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const QStringList expected =
            fullDisk ? QStringList{"run-0001.png"} : QStringList{"run-0001.png", "run-0002.png"};
        QCOMPARE(left, expected);
    }
};

QTEST_GUILESS_MAIN(TestPageFiles)
#include "tst_pagefiles.moc"
