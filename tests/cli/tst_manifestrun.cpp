#include "barcode.h"
#include "documentbuilder.h"
#include "log/csv.h"
#include "objectproperties.h"
#include "objecttable.h"
#include "savedrun.h"

#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <map>

Q_DECLARE_METATYPE(Document)

namespace {

constexpr std::int32_t pages = 3;
// Text numbers in lines at the top of the page, barcodes below them.
constexpr std::int32_t textTop = 36;
constexpr std::int32_t lineSpacing = 30;
constexpr std::int32_t barcodeTop = 220;
constexpr std::int32_t barcodeSpacing = 85;

// Affixes a spreadsheet would read as formulas, with quotes, commas and digits.
const QStringList affixes{"",   "",     "-",  "=",  "+", "@",         "'",
                          "\"", "No. ", "A,", "40", "7", " of {last}"};

template <typename List> auto pick(QRandomGenerator &random, const List &list)
{
    return list[random.bounded(qsizetype(list.size()))];
}

// A number at `y` whose format the format boxes give: `barcode` is "none" or
// a symbology's title.
int addDrawnNumber(Document &doc, QRandomGenerator &random, std::int32_t y, const QString &barcode)
{
    const int index =
        addNumber(doc, 36, y, random.bounded(-1000, 1000000),
                  static_cast<std::int16_t>(random.bounded(1, 14)), random.bounded(-3, 4));
    PageObject &object = doc.objects[index];
    FormatEntries entries = formatEntriesOf(object);
    entries.system = pick(random, systemNames());
    entries.check = pick(random, checkNames());
    entries.prefix = pick(random, affixes);
    entries.suffix = pick(random, affixes);
    entries.barcode = barcode;
    entries.barHeight = 40;
    entries.moduleWidth = 1;
    applyFormat(object, entries);
    if (object.format.barcode && isMatrixSymbology(object.format.barcode->symbology))
        object.format.barcode->moduleWidth = 2;
    return index;
}

// Whether the symbology of number `index` takes its text on every page.
bool everyTextEncodes(const Document &doc, int index)
{
    const BarcodeStyle &style = *doc.objects[index].format.barcode;
    for (std::int32_t page = 1; page <= pages; ++page) {
        if (barcodeRefusal(style, objectText(doc, index, page)))
            return false;
    }
    return true;
}

// Numbers of every system and check character the model offers, then a
// barcode of some of its symbologies, each drawn until every text of the
// run encodes.
Document generatedDocument(quint32 seed)
{
    QRandomGenerator random(seed);
    Document doc = emptyDocument(16);
    doc.pagesToPrint = pages;
    for (int line = 0; line < 5; ++line)
        addDrawnNumber(doc, random, textTop + line * lineSpacing, QStringLiteral("none"));
    std::int32_t y = barcodeTop;
    for (const QString &title : barcodeNames().mid(1)) {
        if (random.bounded(3) == 0)
            continue;
        for (int attempt = 0; attempt < 5000; ++attempt) {
            const int index = addDrawnNumber(doc, random, y, title);
            if (everyTextEncodes(doc, index))
                break;
            doc.objects.removeLast();
            doc.drawOrder.removeLast();
        }
        y += barcodeSpacing;
    }
    return doc;
}

// One number of `digits` from `start` by `step`, at `y`.
Document oneNumber(std::int32_t y, std::int32_t start, std::int32_t step, std::int16_t digits,
                   const NumberFormat &format = {})
{
    Document doc = emptyDocument(1);
    doc.objects[addNumber(doc, 36, y, start, digits, step)].format = format;
    doc.pagesToPrint = pages;
    return doc;
}

// The lines of text pdftotext finds above the barcodes on `page`, top first.
QStringList textLines(const QString &pdf, int page)
{
    std::map<int, QStringList> lines;
    for (const Word &word : pageWords(pdf, page)) {
        if (word.origin.y() < barcodeTop - 10)
            lines[qRound(word.origin.y() / lineSpacing)].append(word.text);
    }
    QStringList shown;
    for (const auto &[line, words] : lines)
        shown.append(words.join(u' '));
    return shown;
}

// What the scanners read from `page` at 300 dpi, sorted; a Data Matrix
// symbol is looked for only where the page has one, which saves a long
// search of the page.
QStringList scannedCodes(const QTemporaryDir &dir, const QString &pdf, int page, bool matrix)
{
    const QString image = dir.filePath(QStringLiteral("page%1").arg(page));
    const QString number = QString::number(page);
    runTool(QStringLiteral("pdftoppm"),
            {"-r", "300", "-gray", "-singlefile", "-f", number, "-l", number, pdf, image});
    QStringList read = runTool(QStringLiteral("zbarimg"),
                               {"--raw", "-q", "-Supca.enable", image + QStringLiteral(".pgm")})
                           .out.split(u'\n', Qt::SkipEmptyParts);
    if (matrix)
        read.append(
            runTool(QStringLiteral("dmtxread"), {"-N1", image + QStringLiteral(".pgm")}).out);
    read.sort();
    return read;
}

} // namespace

// The manifest holds exactly what the paper shows and a scanner reads,
// every field quoted so that it imports as text.
class TestManifestRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        for (const char *tool : {"pdftotext", "pdftoppm", "zbarimg", "dmtxread"}) {
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
        }
    }

    void everyRowIsWhatThePageShows_data()
    {
        QTest::addColumn<Document>("doc");

        // 0001, 0000, -001.
        QTest::newRow("a number counting down past zero") << oneNumber(textTop, 1, -1, 4);
        // 12 and 11 digits, to which the symbol adds its check digit.
        const auto code = [](Symbology symbology) {
            return BarcodeStyle{.symbology = symbology, .barHeight = 40, .moduleWidth = 1.2};
        };
        QTest::newRow("EAN-13 given without its check digit") << oneNumber(
            barcodeTop, 99999997, 1, 8, {.prefix = "1234", .barcode = code(Symbology::Ean13)});
        QTest::newRow("UPC-A given without its check digit")
            << oneNumber(barcodeTop, 125, 1, 10, {.prefix = "7", .barcode = code(Symbology::UpcA)});
        for (const quint32 seed : {1u, 2u, 3u, 4u})
            QTest::addRow("generated document %u", seed) << generatedDocument(seed);
    }

    void everyRowIsWhatThePageShows()
    {
        QFETCH(Document, doc);

        const QTemporaryDir dir;
        const QString document = dir.filePath(QStringLiteral("run.pgt"));
        const QString pdf = dir.filePath(QStringLiteral("run.pdf"));
        const QString manifest = dir.filePath(QStringLiteral("run.csv"));
        QCOMPARE(saveDocument(doc, {}, document), QString());
        const ToolRun print =
            runTool(QStringLiteral(PAGINETTE_PRINT), {"--manifest", manifest, "-o", pdf, document});
        QVERIFY2(print.exitCode == 0, qPrintable(print.err));

        QFile file(manifest);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QList<QStringList> rows = parseCsv(written);
        QByteArray quoted;
        for (const QStringList &row : std::as_const(rows))
            quoted += csvRecord(row, CsvQuotes::Always);
        QCOMPARE(written, quoted);
        QCOMPARE(rows.takeFirst(), (QStringList{"Sheet", "Page", "Copy", "Object", "Text"}));

        std::map<QString, int> named;
        for (int i = 0; i < doc.count(); ++i)
            named[shownName(doc, i)] = i;
        for (std::int32_t page = 1; page <= pages; ++page) {
            QStringList texts;
            QStringList codes;
            bool matrix = false;
            for (const QStringList &row : std::as_const(rows)) {
                if (row[1] != QString::number(page))
                    continue;
                const std::optional<BarcodeStyle> &barcode =
                    doc.objects[named.at(row[3])].format.barcode;
                QString text = row[4];
                // A scanner reads an EAN-13 that begins with 0 as the UPC-A it also is.
                if (barcode && barcode->symbology == Symbology::Ean13 && text.startsWith(u'0'))
                    text.remove(0, 1);
                if (barcode)
                    matrix = matrix || barcode->symbology == Symbology::DataMatrix;
                if (barcode)
                    codes.append(text);
                else
                    texts.append(text.simplified());
            }
            QCOMPARE(textLines(pdf, page), texts);
            // The symbols of a sample of the pages.
            if (page == 1 || page == pages) {
                codes.sort();
                QCOMPARE(scannedCodes(dir, pdf, page, matrix), codes);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestManifestRun)
#include "tst_manifestrun.moc"
