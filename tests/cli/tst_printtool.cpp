#include "documentbuilder.h"
#include "documentfile.h"
#include "servicesrecorder.h"
#include "toolrun.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString tool = QStringLiteral(PAGINETTE_PRINT);
const QString usageLine =
    QStringLiteral("Usage: paginette-print [--pages N] (-o OUT.pdf | -P QUEUE) DOCUMENT.pgt");

// Documents and output files in a folder of their own.
struct Folder
{
    QString path(const QString &name) const { return dir.filePath(name); }

    // `count` numbers from 125 up in rows of five, Pages 3.
    QString document(const QString &name, int count = 1, std::int32_t pages = 3) const
    {
        DocumentState doc(count);
        for (int i = 0; i < count; ++i)
            addNumber(doc, 72 + (i % 5) * 72, 72 + (i / 5) * 36, 125 + i * 1000, 5);
        doc.pagesToPrint = pages;
        const ServicesRecorder quiet;
        return saveDocument(doc, path(name)) == 0 ? path(name) : QString();
    }

    QString file(const QString &name, const QByteArray &content) const
    {
        QFile file(path(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        return path(name);
    }

    QByteArray content(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir dir;
};

} // namespace

class TestPrintTool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void usageErrorsExit2_data();
    void usageErrorsExit2();
    void helpShowsTheUsage();
    void refusedRunsLeaveTheOutputAlone_data();
    void refusedRunsLeaveTheOutputAlone();
    void printsEveryPageOfTheRun_data();
    void printsEveryPageOfTheRun();
    void noObjectIsCut();
};

void TestPrintTool::usageErrorsExit2_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::newRow("nothing") << QStringList{} << "give either -o OUT.pdf or -P QUEUE";
    QTest::newRow("file and queue")
        << QStringList{"-o", "a.pdf", "-P", "q", "doc.pgt"} << "give either -o OUT.pdf or -P QUEUE";
    QTest::newRow("no document") << QStringList{"-o", "a.pdf"} << "no document given";
    QTest::newRow("two documents")
        << QStringList{"-o", "a.pdf", "a.pgt", "b.pgt"} << "give one document";
    QTest::newRow("pages not a number") << QStringList{"--pages", "ten", "-o", "a.pdf", "d.pgt"}
                                        << "--pages needs a whole number, not 'ten'";
    QTest::newRow("unknown option")
        << QStringList{"-x", "-o", "a.pdf", "d.pgt"} << "unknown option -x";
}

void TestPrintTool::usageErrorsExit2()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);

    const ToolRun run = runTool(tool, arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.err.section(QLatin1Char('\n'), 0, 1),
             QStringLiteral("paginette-print: ") + error + QLatin1Char('\n') + usageLine);
    QCOMPARE(run.out, QString());
}

void TestPrintTool::helpShowsTheUsage()
{
    const ToolRun run = runTool(tool, {QStringLiteral("--help")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.section(QLatin1Char('\n'), 0, 0), usageLine);
    QVERIFY(run.out.contains(QLatin1String("--pages N")));
    QCOMPARE(run.err, QString());
}

void TestPrintTool::refusedRunsLeaveTheOutputAlone_data()
{
    QTest::addColumn<QString>("document"); // what the folder holds as doc.pgt
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("message");
    QTest::newRow("no such document") << "none" << QStringList{} << "Can't open file";
    QTest::newRow("damaged header") << "garbage" << QStringList{} << "Bad file header";
    QTest::newRow("records cut short") << "cut" << QStringList{} << "";
    QTest::newRow("Pages 0 in the document")
        << "pages0" << QStringList{} << "Nothing to print: Pages is 0";
    QTest::newRow("--pages -1") << "good" << QStringList{"--pages", "-1"}
                                << "Nothing to print: Pages is -1";
    QTest::newRow("more objects than the program allows")
        << "huge" << QStringList{}
        << "doc.pgt holds 10001 objects; the program allows 10000 at most";
    QTest::newRow("no folder for the output")
        << "good" << QStringList{"-o", "gone/out.pdf"} << "gone/out.pdf: No such file or directory";
}

void TestPrintTool::refusedRunsLeaveTheOutputAlone()
{
    QFETCH(QString, document);
    QFETCH(QStringList, options);
    QFETCH(QString, message);

    Folder folder;
    const QString doc = folder.path(QStringLiteral("doc.pgt"));
    if (document == QLatin1String("good")) {
        folder.document(QStringLiteral("doc.pgt"));
    } else if (document == QLatin1String("garbage")) {
        folder.file(QStringLiteral("doc.pgt"), QByteArray(100, 'x'));
    } else if (document == QLatin1String("pages0")) {
        folder.document(QStringLiteral("doc.pgt"), 1, 0);
    } else if (document == QLatin1String("cut")) {
        folder.document(QStringLiteral("doc.pgt"), 3);
        QVERIFY(QFile::resize(doc, 48 + 388 + 100));
    } else if (document == QLatin1String("huge")) {
        folder.document(QStringLiteral("doc.pgt"), 2);
        QFile file(doc);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(12));
        const char count[4] = {0x11, 0x27, 0, 0}; // 10001, little-endian
        file.write(count, 4);
    }
    const QByteArray old("the last run");
    folder.file(QStringLiteral("out.pdf"), old);
    QDir::setCurrent(folder.dir.path());
    if (!options.contains(QLatin1String("-o")))
        options << QStringLiteral("-o") << QStringLiteral("out.pdf");
    const QStringList before = folder.files();

    const ToolRun run = runTool(tool, options << QStringLiteral("doc.pgt"));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.startsWith(QStringLiteral("paginette-print: ") + message),
             qPrintable(run.err));
    QCOMPARE(folder.content(QStringLiteral("out.pdf")), old);
    QCOMPARE(folder.files(), before);
}

void TestPrintTool::printsEveryPageOfTheRun_data()
{
    QTest::addColumn<QStringList>("pages");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("the document's Pages")
        << QStringList{} << QStringList{"00125", "00126", "00127"};
    QTest::newRow("--pages 5") << QStringList{"--pages", "5"}
                               << QStringList{"00125", "00126", "00127", "00128", "00129"};
    QTest::newRow("--pages 1") << QStringList{"--pages", "1"} << QStringList{"00125"};
}

void TestPrintTool::printsEveryPageOfTheRun()
{
    QFETCH(QStringList, pages);
    QFETCH(QStringList, texts);

    Folder folder;
    const QString doc = folder.document(QStringLiteral("doc.pgt"));
    folder.file(QStringLiteral("out.pdf"), "the last run");
    const ToolRun run = runTool(tool, pages << QStringLiteral("-o")
                                            << folder.path(QStringLiteral("out.pdf")) << doc);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);

    const QString out = folder.path(QStringLiteral("out.pdf"));
    QCOMPARE(pdfPageCount(out), texts.size());
    QStringList printed;
    for (int page = 1; page <= texts.size(); ++page)
        printed.append(pdfPageText(out, page));
    QCOMPARE(printed, texts);
    QCOMPARE(folder.files(), (QStringList{"doc.pgt", "out.pdf"}));
}

void TestPrintTool::noObjectIsCut()
{
    // More than the program's default capacity of 20.
    Folder folder;
    const QString doc = folder.document(QStringLiteral("doc.pgt"), 25);
    const QString out = folder.path(QStringLiteral("out.pdf"));
    const ToolRun run = runTool(
        tool, {QStringLiteral("--pages"), QStringLiteral("2"), QStringLiteral("-o"), out, doc});
    QCOMPARE(run.exitCode, 0);
    // The last row: objects 20 to 24, on page 2.
    const QStringList lastRow =
        pdfPageText(out, 2).split(QLatin1Char('\n')).last().simplified().split(QLatin1Char(' '));
    QCOMPARE(lastRow, (QStringList{"20126", "21126", "22126", "23126", "24126"}));
}

QTEST_GUILESS_MAIN(TestPrintTool)
#include "tst_printtool.moc"
