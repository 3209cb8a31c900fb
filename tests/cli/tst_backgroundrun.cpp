#include "documentbuilder.h"
#include "file/documentfile.h"
#include "objecttable.h"
#include "picturefiles.h"
#include "toolrun.h"

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <set>

namespace {

// A PDF of two pages of words, the second smaller.
bool writeBackground(const QString &path)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&writer);
    painter.setFont(QFont(QStringLiteral("Liberation Sans"), 24));
    painter.drawText(QPointF(1000, 3000), QStringLiteral("Admit One"));
    writer.setPageSize(QPageSize(QPageSize::A5));
    writer.newPage();
    painter.drawText(QPointF(1000, 3000), QStringLiteral("Reserved Seat"));
    return painter.end();
}

// Rewrites `pdf` with each page's content in two streams, as some writers
// leave it: the form then takes the content joined.
bool splitContents(const QString &pdf)
{
    QPDF file;
    file.processFile(QFile::encodeName(pdf).constData());
    for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(file).getAllPages())
        page.addPageContents(QPDFObjectHandle::newStream(&file, "% more\n"), false);
    const QByteArray split = QFile::encodeName(pdf + QStringLiteral(".split"));
    QPDFWriter writer(file, split.constData());
    writer.write();
    return QFile::remove(pdf) && QFile::rename(pdf + QStringLiteral(".split"), pdf);
}

// The forms each page of `pdf` draws (its content's Do operators), by
// object number.
QList<std::set<int>> formsOfPages(const QString &pdf)
{
    QPDF file;
    file.processFile(QFile::encodeName(pdf).constData());
    QList<std::set<int>> pages;
    static const QRegularExpression drawn(QStringLiteral("/(\\S+)\\s*Do\\b"));
    for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(file).getAllPages()) {
        std::set<int> forms;
        const std::map<std::string, QPDFObjectHandle> shown = page.getFormXObjects();
        std::string content;
        for (QPDFObjectHandle &stream : page.getPageContents()) {
            const std::shared_ptr<Buffer> data = stream.getStreamData();
            content.append(reinterpret_cast<const char *>(data->getBuffer()), data->getSize());
        }
        QRegularExpressionMatchIterator found = drawn.globalMatch(QString::fromStdString(content));
        while (found.hasNext()) {
            const auto form = shown.find('/' + found.next().captured(1).toStdString());
            if (form != shown.end())
                forms.insert(form->second.getObjectID());
        }
        pages.append(forms);
    }
    return pages;
}

} // namespace

// paginette-print --background, as its users run it: the pages of a PDF in
// turn under the run's pages, kept as text and vectors, each one form
// shared by the pages that show it; an image written once for the run.
class TestBackgroundRun : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_document;

private Q_SLOTS:
    void initTestCase()
    {
        Document doc = emptyDocument(5);
        addNumber(doc, 72, 72, 125, 5);
        m_document = m_dir.filePath(QStringLiteral("numbers.pgt"));
        QCOMPARE(saveDocument(doc, {}, m_document), QString());
    }

    // To a file and to a stream alike, each page of the background is
    // written once, where it is first drawn.
    void pdfPagesGoUnderInTurn_data()
    {
        QTest::addColumn<bool>("toStream");
        QTest::addColumn<bool>("contentInParts");
        QTest::newRow("to a file") << false << false;
        QTest::newRow("to standard output") << true << false;
        QTest::newRow("content in two streams") << false << true;
    }

    void pdfPagesGoUnderInTurn()
    {
        QFETCH(bool, toStream);
        QFETCH(bool, contentInParts);
        const QString background = m_dir.filePath(QStringLiteral("form.pdf"));
        const QString out = m_dir.filePath(QStringLiteral("numbered.pdf"));
        QVERIFY(writeBackground(background));
        if (contentInParts)
            QVERIFY(splitContents(background));
        // A document of its own, which the log has not seen print.
        const QString document = m_dir.filePath(QTest::currentDataTag() + QStringLiteral(".pgt"));
        QVERIFY(QFile::copy(m_document, document));
        QProcess process;
        if (toStream)
            process.setStandardOutputFile(out);
        process.start(QStringLiteral(PAGINETTE_PRINT),
                      {QStringLiteral("--pages"), QStringLiteral("3"),
                       QStringLiteral("--background"), background, QStringLiteral("-o"),
                       toStream ? QStringLiteral("-") : out, document});
        const ToolRun run = finishRun(process);
        QCOMPARE(programErrors(run.err), QString());
        QCOMPARE(run.exitCode, 0);
        // The stand-ins the writer drew are gone: no page shows an image.
        const ToolRun images = runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), out});
        QCOMPARE(images.out.split(u'\n', Qt::SkipEmptyParts).size(), 2);
        const QStringList words{"Admit One", "Reserved Seat", "Admit One"};
        for (int page = 1; page <= 3; ++page) {
            const QString text = pdfPageText(out, page);
            QVERIFY2(text.contains(words[page - 1]) && text.contains(QString::number(124 + page)),
                     qPrintable(text));
        }
        const ToolRun info =
            runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("2"),
                                                QStringLiteral("-l"), QStringLiteral("2"), out});
        QVERIFY2(info.out.contains(QLatin1String("420 x 595 pts")), qPrintable(info.out));
        const QList<std::set<int>> forms = formsOfPages(out);
        QCOMPARE(forms.size(), 3);
        QCOMPARE(forms[0].size(), 1u);
        QCOMPARE(forms[2], forms[0]);
        QVERIFY(forms[1].size() == 1 && forms[1] != forms[0]);
    }

    // A number lands where it lands on plain paper, over a background given
    // with --background and over the same page placed as the document's
    // page background, which both lie where the screen shows them.
    void numbersKeepTheirPlaceOverABackground()
    {
        const QString background = m_dir.filePath(QStringLiteral("place.pdf"));
        QVERIFY(writeBackground(background));
        QFile form(background);
        QVERIFY(form.open(QIODevice::ReadOnly));
        Document doc = emptyDocument(5);
        addNumber(doc, 300, 340, 7, 3);
        const auto printed = [&](const QString &name, const Document &printedDoc,
                                 const QStringList &options) {
            const QString document = m_dir.filePath(name + QStringLiteral(".pgt"));
            const QString out = m_dir.filePath(name + QStringLiteral(".pdf"));
            if (saveDocument(printedDoc, {}, document) != QString())
                return QList<Word>();
            const ToolRun run = runTool(QStringLiteral(PAGINETTE_PRINT),
                                        options + QStringList{"-o", out, document});
            return run.exitCode == 0 ? pageWords(out, 1) : QList<Word>();
        };
        const auto origin = [](const QList<Word> &words, const QString &text) {
            for (const Word &word : words) {
                if (word.text == text)
                    return word.origin;
            }
            return QPointF(-1, -1);
        };
        const QList<Word> plain = printed(QStringLiteral("plain"), doc, {});
        const QList<Word> under =
            printed(QStringLiteral("under"), doc, {QStringLiteral("--background"), background});
        const std::optional<int> picture = placePicture(
            doc, 0, 0, form.readAll(), QStringLiteral("place.pdf"), 1, QSizeF(595, 842));
        QVERIFY(picture);
        doc.objects[*picture].picture->background = true;
        const QList<Word> placed = printed(QStringLiteral("placed"), doc, {});

        const QPointF number = origin(plain, QStringLiteral("007"));
        QVERIFY(number.x() > 300 && number.y() > 340);
        QVERIFY((origin(under, QStringLiteral("007")) - number).manhattanLength() < 0.5);
        QVERIFY((origin(placed, QStringLiteral("007")) - number).manhattanLength() < 0.5);
        const QPointF word = origin(under, QStringLiteral("Admit"));
        QVERIFY(word.x() > 0);
        QVERIFY((origin(placed, QStringLiteral("Admit")) - word).manhattanLength() < 0.5);
    }

    // Whatever pages of PDF pictures a run shows, as objects and as its
    // background, and on whichever sheet each is first drawn, every stand-in
    // becomes its page: each sheet shows the words of the pages it should and
    // of no other, no stand-in image is left, and the file is sound, a run
    // whose PDF pictures are set not to print (the first) among them.
    void everyStandInBecomesItsPage()
    {
        const QList<QStringList> words{{"Amber", "Azure", "Aqua"}, {"Beige", "Black"}};
        QStringList files;
        QList<QByteArray> contents;
        for (qsizetype i = 0; i < words.size(); ++i) {
            files.append(m_dir.filePath(QStringLiteral("words%1.pdf").arg(i)));
            contents.append(wordsPdf(words[i]));
            QFile file(files.last());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(contents.last()) > 0);
        }
        QRandomGenerator random(27);
        for (int round = 0; round < 8; ++round) {
            const int pages = random.bounded(1, 9);
            const int background = round == 0 ? -1 : random.bounded(-1, int(words.size()));
            Document doc = emptyDocument(5);
            addNumber(doc, 10, 10, 100, 3);
            // The picture and page each object shows.
            QList<std::pair<int, int>> shown;
            for (int i = random.bounded(background < 0 ? 1 : 0, 4); i > 0; --i) {
                const int picture = random.bounded(int(words.size()));
                const int page = random.bounded(1, int(words[picture].size()) + 1);
                const std::optional<int> placed =
                    placePicture(doc, 10 + 70 * i, 150, contents[picture],
                                 QStringLiteral("words.pdf"), page, QSizeF(60, 84));
                QVERIFY(placed);
                doc.objects[*placed].picture->printed = round != 0 && random.bounded(4) != 0;
                if (doc.objects[*placed].picture->printed)
                    shown.append({picture, page});
            }
            const QString name = m_dir.filePath(QStringLiteral("round%1").arg(round));
            QCOMPARE(saveDocument(doc, {}, name + QStringLiteral(".pgt")), QString());
            const bool toStream = round % 2 == 1;
            QStringList arguments{QStringLiteral("--pages"), QString::number(pages),
                                  QStringLiteral("-o"),
                                  toStream ? QStringLiteral("-") : name + QStringLiteral(".pdf"),
                                  name + QStringLiteral(".pgt")};
            if (background >= 0)
                arguments << QStringLiteral("--background") << files[background];
            QProcess process;
            if (toStream)
                process.setStandardOutputFile(name + QStringLiteral(".pdf"));
            process.start(QStringLiteral(PAGINETTE_PRINT), arguments);
            const ToolRun run = finishRun(process);
            QCOMPARE(programErrors(run.err), QString());
            QCOMPARE(run.exitCode, 0);
            const ToolRun images =
                runTool(QStringLiteral("pdfimages"),
                        {QStringLiteral("-list"), name + QStringLiteral(".pdf")});
            QCOMPARE(images.out.split(u'\n', Qt::SkipEmptyParts).size(), 2);
            const ToolRun check = runTool(
                QStringLiteral("qpdf"), {QStringLiteral("--check"), name + QStringLiteral(".pdf")});
            QVERIFY2(check.exitCode == 0, qPrintable(check.out + check.err));
            for (int page = 1; page <= pages; ++page) {
                QSet<QString> expected;
                for (const auto &[picture, shownPage] : shown)
                    expected.insert(words[picture][shownPage - 1]);
                if (background >= 0)
                    expected.insert(words[background][(page - 1) % words[background].size()]);
                const QString text = pdfPageText(name + QStringLiteral(".pdf"), page);
                QVERIFY2(text.contains(QString::number(99 + page)), qPrintable(text));
                for (const QStringList &pictureWords : words) {
                    for (const QString &word : pictureWords)
                        QVERIFY2(text.contains(word) == expected.contains(word),
                                 qPrintable(QStringLiteral("round %1, page %2, %3: %4")
                                                .arg(round)
                                                .arg(page)
                                                .arg(word, text)));
                }
            }
        }
    }

    // A raster background is one image in the file for the whole run; an
    // SVG stays vectors, no image at all.
    void anImageIsWrittenOnce_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("images");
        QTest::newRow("PNG") << "logo.png" << 1;
        QTest::newRow("JPEG") << "logo.jpg" << 1;
        QTest::newRow("SVG") << "logo.svg" << 0;
    }

    void anImageIsWrittenOnce()
    {
        QFETCH(QString, name);
        QFETCH(int, images);
        const QString background = m_dir.filePath(name);
        const QString out = m_dir.filePath(name + QStringLiteral(".pdf"));
        if (name.endsWith(QLatin1String(".svg"))) {
            QFile svg(background);
            QVERIFY(svg.open(QIODevice::WriteOnly));
            svg.write(R"(<svg xmlns="http://www.w3.org/2000/svg" width="90" height="60">)"
                      R"(<rect width="90" height="60" fill="green"/></svg>)");
        } else {
            QImage logo(90, 60, QImage::Format_RGB32);
            logo.fill(Qt::darkGreen);
            QVERIFY(logo.save(background));
        }
        const ToolRun run =
            runTool(QStringLiteral(PAGINETTE_PRINT),
                    {QStringLiteral("--pages"), QStringLiteral("4"), QStringLiteral("--background"),
                     background, QStringLiteral("-o"), out, m_document});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(pdfPageCount(out), 4);
        const ToolRun listed = runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), out});
        // A header of two lines, then one line an image shown on a page; the
        // object number tells whether they are one.
        QStringList objects;
        for (const QString &line : listed.out.split(u'\n').mid(2))
            if (!line.isEmpty())
                objects.append(line.simplified().section(u' ', 10, 10));
        QCOMPARE(objects.size(), 4 * images);
        QCOMPARE(QSet<QString>(objects.begin(), objects.end()).size(), images);
        QVERIFY(pdfPageText(out, 4).contains(QLatin1String("00128")));
    }
};

QTEST_MAIN(TestBackgroundRun)
#include "tst_backgroundrun.moc"
