#include "craftedpdfs.h"
#include "documentbuilder.h"
#include "file/documentfile.h"
#include "objecttable.h"
#include "picturefiles.h"
#include "toolrun.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <set>
#include <sys/stat.h>

namespace {

// An image XObject of a PDF: its dictionary's entries, its data as written
// and, compressed without loss, as its filter gives it.
struct PdfImage
{
    QString filter;
    QString colorSpace;
    QSize size;
    QByteArray written;
    QByteArray decoded;
};

QByteArray bytesOf(const std::shared_ptr<Buffer> &buffer)
{
    return QByteArray(reinterpret_cast<const char *>(buffer->getBuffer()),
                      qsizetype(buffer->getSize()));
}

// Every image the pages of `pdf` draw, each once.
QList<PdfImage> imagesOf(const QString &pdf)
{
    QPDF file;
    file.processFile(QFile::encodeName(pdf).constData());
    QList<PdfImage> images;
    std::set<QPDFObjGen> seen;
    for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(file).getAllPages()) {
        for (auto &[name, image] : page.getImages()) {
            if (!seen.insert(image.getObjGen()).second)
                continue;
            QPDFObjectHandle dictionary = image.getDict();
            const QString filter = QString::fromStdString(dictionary.getKey("/Filter").unparse());
            images.append({filter,
                           QString::fromStdString(dictionary.getKey("/ColorSpace").unparse()),
                           QSize(dictionary.getKey("/Width").getIntValueAsInt(),
                                 dictionary.getKey("/Height").getIntValueAsInt()),
                           bytesOf(image.getRawStreamData()),
                           filter == QLatin1String("/FlateDecode")
                               ? bytesOf(image.getStreamData(qpdf_dl_generalized))
                               : QByteArray()});
        }
    }
    return images;
}

// The pixels of a Flate image as Qt's PDF writer writes them.
QImage pixelsOf(const PdfImage &image)
{
    const bool grey = image.colorSpace == QLatin1String("/DeviceGray");
    const int channels = grey ? 1 : 3;
    return QImage(reinterpret_cast<const uchar *>(image.decoded.constData()), image.size.width(),
                  image.size.height(), image.size.width() * channels,
                  grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888)
        .copy();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// What `qpdf --check` says of a file that is not sound; empty for one that is.
QString qpdfCheck(const QString &pdf)
{
    const ToolRun check = runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    return check.exitCode == 0 ? QString() : check.out + check.err;
}

} // namespace

// paginette-print with pictures, as its users run it: a picture prints as it
// was made, draws only what it holds, and one that cannot be read within
// bounds stops the run before anything is written.
class TestPictureRun : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // A document of one number and, unless `picture` is empty, that picture
    // at (72, 200), saved as NAME.pgt.
    QString savedDocument(const QString &name, const QByteArray &picture,
                          const QString &file = QStringLiteral("picture"), int page = 1)
    {
        Document doc = emptyDocument(5);
        addNumber(doc, 72, 72, 125, 5);
        doc.pagesToPrint = 2;
        if (!picture.isEmpty() &&
            !placePicture(doc, 72, 200, picture, file, page, QSizeF(120, 80)).has_value())
            return {};
        const QString path = m_dir.filePath(name + QStringLiteral(".pgt"));
        return saveDocument(doc, {}, path).isEmpty() ? path : QString();
    }

private Q_SLOTS:
    // A PNG is written as its pixels, compressed without loss; a JPEG goes
    // into the file as it is, its bytes the image's data.
    void picturesPrintAsTheyAre_data()
    {
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<bool>("jpeg");
        QTest::addColumn<QStringList>("options"); // the document, or -o, follow
        const QImage busy = busyImage(QSize(120, 80), 11);
        const QByteArray png = encodedImage(busy, "png");
        const QByteArray jpeg = encodedImage(busy, "jpeg");
        QTest::newRow("a PNG") << png << false << QStringList();
        QTest::newRow("a grey PNG")
            << encodedImage(busy.convertToFormat(QImage::Format_Grayscale8), "png") << false
            << QStringList();
        QTest::newRow("a PNG background") << png << false << QStringList{"--background"};
        QTest::newRow("a JPEG") << jpeg << true << QStringList();
        QTest::newRow("a progressive JPEG")
            << encodedImage(busy, "jpeg", true) << true << QStringList();
        QTest::newRow("a grey JPEG")
            << encodedImage(busy.convertToFormat(QImage::Format_Grayscale8), "jpeg") << true
            << QStringList();
        QTest::newRow("a JPEG background") << jpeg << true << QStringList{"--background"};
        QTest::newRow("a JPEG to standard output") << jpeg << true << QStringList{"-o", "-"};
    }

    void picturesPrintAsTheyAre()
    {
        QFETCH(QByteArray, picture);
        QFETCH(bool, jpeg);
        QFETCH(QStringList, options);
        const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-');
        const QString pictureFile = m_dir.filePath(name + (jpeg ? ".jpg" : ".png"));
        QVERIFY(writeFile(pictureFile, picture));
        const bool background = options.contains(QLatin1String("--background"));
        const QString document = savedDocument(name, background ? QByteArray() : picture);
        QVERIFY(!document.isEmpty());
        const QString out = m_dir.filePath(name + QStringLiteral(".pdf"));
        QStringList arguments = options;
        if (background)
            arguments << pictureFile;
        if (!arguments.contains(QLatin1String("-o")))
            arguments << QStringLiteral("-o") << out;
        QProcess process;
        if (arguments.contains(QLatin1String("-")))
            process.setStandardOutputFile(out);
        process.start(QStringLiteral(PAGINETTE_PRINT), arguments << document);
        const ToolRun run = finishRun(process);
        QCOMPARE(programErrors(run.err), QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(qpdfCheck(out), QString());

        const QList<PdfImage> images = imagesOf(out);
        QCOMPARE(images.size(), 1);
        const PdfImage &image = images.first();
        const QImage original = QImage::fromData(picture);
        QCOMPARE(image.size, original.size());
        if (jpeg) {
            QCOMPARE(image.filter, QStringLiteral("/DCTDecode"));
            QCOMPARE(image.colorSpace, original.isGrayscale() ? QStringLiteral("/DeviceGray")
                                                              : QStringLiteral("/DeviceRGB"));
            QVERIFY(image.written == picture);
        } else {
            QCOMPARE(image.filter, QStringLiteral("/FlateDecode"));
            const QImage printed = pixelsOf(image);
            QCOMPARE(printed, original.convertToFormat(printed.format()));
        }
    }

    // A picture that cannot be read within bounds is named before the run,
    // which is refused: its place would be left blank.
    void unreadablePicturesStopTheRun_data()
    {
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("said");
        const QByteArray png = encodedImage(busyImage(QSize(120, 80), 13), "png");
        QTest::newRow("a PNG cut short")
            << png.left(png.size() / 2) << 1
            << "object 2: logo is no PNG, JPEG, SVG or PDF file that can be read.";
        QTest::newRow("a page past the end")
            << wordsPdf({"One", "Two"}) << 3 << "object 2: logo has no page 3.";
        QTest::newRow("a PDF locked by a password")
            << lockedPdf() << 1 << "object 2: logo is protected by a password.";
        QTest::newRow("a page of 48 MB of content")
            << pdfOfContent(std::size_t{48} << 20) << 1
            << "object 2: logo draws more than 32 MB on page 1.";
    }

    void unreadablePicturesStopTheRun()
    {
        QFETCH(QByteArray, picture);
        QFETCH(int, page);
        QFETCH(QString, said);
        const QString document =
            savedDocument(QStringLiteral("unreadable"), picture, QStringLiteral("logo"), page);
        QVERIFY(!document.isEmpty());
        const QString out = m_dir.filePath(QStringLiteral("unreadable.pdf"));
        const ToolRun run =
            runTool(QStringLiteral(PAGINETTE_PRINT), {QStringLiteral("-o"), out, document});
        // The tool's own lines: a decoder may say more.
        const QStringList lines =
            run.err.split(u'\n').filter(QRegularExpression("^paginette-print: "));
        QCOMPARE(lines, (QStringList{QStringLiteral("paginette-print: ") + said,
                                     QStringLiteral("paginette-print: pictures that cannot be "
                                                    "read: nothing was printed")}));
        QCOMPARE(run.exitCode, 1);
        QVERIFY(!QFile::exists(out));
    }

    // A background PDF is read for the pages the run puts under its own: a
    // page past the bounds that the run does not reach stops nothing.
    void backgroundPagesAreReadAsTheRunUsesThem_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("said");
        QTest::newRow("pages 1 and 2") << QStringList{"--pages", "2"} << "";
        QTest::newRow("pages 1 to 3")
            << QStringList{"--pages", "3"} << "draws more than 32 MB on page 3";
        QTest::newRow("pages 4 and 5, over pages 1 and 2")
            << QStringList{"--pages", "5", "--range", "4-5"} << "";
    }

    void backgroundPagesAreReadAsTheRunUsesThem()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, said);
        const QString background = m_dir.filePath(QStringLiteral("background.pdf"));
        QVERIFY(writeFile(background, joinedPdf({wordsPdf({"Admit", "One"}),
                                                 pdfOfContent(std::size_t{48} << 20)})));
        const QString document = savedDocument(QStringLiteral("over-background"), {});
        const QString out = m_dir.filePath(QStringLiteral("over-background.pdf"));
        QFile::remove(out);
        const ToolRun run =
            runTool(QStringLiteral(PAGINETTE_PRINT),
                    options + QStringList{"--background", background, "-o", out, document});
        if (said.isEmpty()) {
            QCOMPARE(programErrors(run.err), QString());
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(qpdfCheck(out), QString());
        } else {
            QCOMPARE(programErrors(run.err),
                     QStringLiteral("paginette-print: %1 %2\n").arg(background, said));
            QCOMPARE(run.exitCode, 1);
            QVERIFY(!QFile::exists(out));
        }
    }

    // The tool takes every document the program opens: one that holds a
    // picture of nearly the most a document takes, whose block is larger in
    // base64, prints.
    void aDocumentTheProgramOpensPrints()
    {
        const QByteArray png = encodedImage(busyImage(QSize(2300, 2300), 23), "png");
        QVERIFY(png.size() > 15900000 && png.size() <= maxPictureBytes);
        const QString document = savedDocument(QStringLiteral("large"), png);
        QVERIFY(QFileInfo(document).size() > 21000000);
        const LoadResult opened = loadDocument(document, maxObjectCapacity);
        QVERIFY(opened.document && opened.messages.isEmpty());
        const QString out = m_dir.filePath(QStringLiteral("large.pdf"));
        const ToolRun run =
            runTool(QStringLiteral(PAGINETTE_PRINT), {QStringLiteral("-o"), out, document});
        QCOMPARE(programErrors(run.err), QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(imagesOf(out).size(), 1);
    }

    // An SVG that names a file draws without it, whatever the file is: a
    // FIFO there would hold the run for ever.
    void svgReferencesAreNotFollowed_data()
    {
        QTest::addColumn<bool>("fifo");
        QTest::newRow("a picture file") << false;
        QTest::newRow("a FIFO") << true;
    }

    void svgReferencesAreNotFollowed()
    {
        QFETCH(bool, fifo);
        const QString named =
            m_dir.filePath(fifo ? QStringLiteral("named.fifo") : QStringLiteral("named.png"));
        QFile::remove(named);
        if (fifo)
            QCOMPARE(::mkfifo(QFile::encodeName(named).constData(), 0600), 0);
        else
            QVERIFY(writeFile(named, encodedImage(busyImage(QSize(40, 40), 17), "png")));
        const QByteArray svg =
            "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
            "width='80' height='40'><rect width='40' height='40' fill='green'/>"
            "<image x='40' width='40' height='40' xlink:href='" +
            QFile::encodeName(named) + "'/></svg>";
        const QString document =
            savedDocument(fifo ? QStringLiteral("svg-fifo") : QStringLiteral("svg-file"), svg);
        const QString out = m_dir.filePath(QStringLiteral("svg.pdf"));
        // A run that would wait on the FIFO is stopped after half a minute.
        const ToolRun run =
            runTool(QStringLiteral(PAGINETTE_PRINT), {QStringLiteral("-o"), out, document}, 30000);
        QCOMPARE(programErrors(run.err), QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(qpdfCheck(out), QString());
        QCOMPARE(imagesOf(out).size(), 0);
    }
};

QTEST_MAIN(TestPictureRun)
#include "tst_picturerun.moc"
