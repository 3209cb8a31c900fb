#include "documentbuilder.h"
#include "documentfile.h"
#include "toolrun.h"

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

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

// The forms each page of `pdf` draws, by object number.
QList<std::set<int>> formsOfPages(const QString &pdf)
{
    QPDF file;
    file.processFile(QFile::encodeName(pdf).constData());
    QList<std::set<int>> pages;
    for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(file).getAllPages()) {
        std::set<int> forms;
        for (const auto &[name, object] : page.getFormXObjects())
            forms.insert(object.getObjectID());
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

    void pdfPagesGoUnderInTurn()
    {
        const QString background = m_dir.filePath(QStringLiteral("form.pdf"));
        const QString out = m_dir.filePath(QStringLiteral("numbered.pdf"));
        QVERIFY(writeBackground(background));
        const ToolRun run =
            runTool(QStringLiteral(PAGINETTE_PRINT),
                    {QStringLiteral("--pages"), QStringLiteral("3"), QStringLiteral("--background"),
                     background, QStringLiteral("-o"), out, m_document});
        QCOMPARE(programErrors(run.err), QString());
        QCOMPARE(run.exitCode, 0);
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

    void anImageIsWrittenOnce()
    {
        const QString background = m_dir.filePath(QStringLiteral("logo.png"));
        const QString out = m_dir.filePath(QStringLiteral("logo.pdf"));
        QImage logo(90, 60, QImage::Format_RGB32);
        logo.fill(Qt::darkGreen);
        QVERIFY(logo.save(background));
        const ToolRun run =
            runTool(QStringLiteral(PAGINETTE_PRINT),
                    {QStringLiteral("--pages"), QStringLiteral("4"), QStringLiteral("--background"),
                     background, QStringLiteral("-o"), out, m_document});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(pdfPageCount(out), 4);
        const ToolRun images = runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), out});
        // A header of two lines, then one line an image shown on a page; the
        // object number tells whether they are one.
        QStringList objects;
        for (const QString &line : images.out.split(u'\n').mid(2))
            if (!line.isEmpty())
                objects.append(line.simplified().section(u' ', 10, 10));
        QCOMPARE(objects.size(), 4);
        QCOMPARE(objects.count(objects.first()), 4);
    }
};

QTEST_MAIN(TestBackgroundRun)
#include "tst_backgroundrun.moc"
