#include "documentbuilder.h"
#include "savedrun.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr std::int32_t pages = 1000;

// A ticket number counting to its last, a number repeated on three pages
// with a Luhn check, and one in base 36 after the page count; one per line.
Document formattedRun()
{
    Document doc = emptyDocument(3);
    const int ticket = addNumber(doc, 72, 72, 1, 4);
    doc.objects[ticket].format =
        NumberFormat{.prefix = QStringLiteral("Ticket "), .suffix = QStringLiteral(" of {last}")};
    const int carbon = addNumber(doc, 72, 144, 7992, 4);
    doc.objects[carbon].format = NumberFormat{.repeat = 3, .check = CheckDigit::Luhn};
    const int serial = addNumber(doc, 72, 216, 35, 3);
    doc.objects[serial].format =
        NumberFormat{.prefix = QStringLiteral("{page}/{pages}-"), .system = NumberSystem::Base36};
    doc.pagesToPrint = pages;
    return doc;
}

} // namespace

// A long formatted run printed by paginette-print reads, page by page, as
// the program shows each page.
class TestFormattedRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyPageReadsItsFormattedNumbers()
    {
        const QTemporaryDir dir;
        const Document doc = formattedRun();
        const auto [pdf, print] = printSaved(dir, doc, QStringLiteral("run"));
        QCOMPARE(programErrors(print.err), QString());
        QCOMPARE(print.exitCode, 0);

        const ToolRun text = runTool(QStringLiteral("pdftotext"),
                                     {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QCOMPARE(text.exitCode, 0);
        QStringList read = text.out.split(QLatin1Char('\f'));
        QCOMPARE(read.size(), pages + 1); // a form feed after every page
        for (std::int32_t page = 1; page <= pages; ++page) {
            QStringList lines = read[page - 1].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            for (QString &line : lines)
                line = line.trimmed();
            if (lines != textsOf(doc, page))
                QFAIL(
                    qPrintable(QStringLiteral("page %1 reads %2").arg(page).arg(lines.join('|'))));
        }
        // Worked out by hand: Luhn of 7992 is 1 and of 7993 is 9; 1034 is SQ in base 36.
        QCOMPARE(
            read[0].split('\n', Qt::SkipEmptyParts).replaceInStrings(QRegularExpression("^ +"), ""),
            (QStringList{"Ticket 0001 of 1000", "79921", "1/1000-00Z"}));
        QVERIFY(read[3].contains(QLatin1String("79939")));
        QVERIFY(read[999].contains(QLatin1String("Ticket 1000 of 1000")));
        QVERIFY(read[999].contains(QLatin1String("1000/1000-0SQ")));
    }
};

QTEST_GUILESS_MAIN(TestFormattedRun)
#include "tst_formattedrun.moc"
