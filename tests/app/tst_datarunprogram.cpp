#include "apptestmain.h"
#include "commands/datafileconsent.h"
#include "dialogs/continuenumberingdialog.h"
#include "documentbuilder.h"
#include "file/documentfile.h"
#include "filebytes.h"
#include "modalscript.h"
#include "shellfixture.h"
#include "toolrun.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QUndoStack>

namespace {

using PageTexts = QList<QStringList>;

// The words of each page, without where they stand: the program and
// paginette-print may place them a fraction apart.
PageTexts textsOf(const QString &pdf)
{
    PageTexts pages;
    for (const QList<Word> &words : pagesWords(pdf)) {
        QStringList texts;
        for (const Word &word : words)
            texts.append(word.text);
        pages.append(texts);
    }
    return pages;
}

const QByteArray orders = "Name;Qty\nAnn;2\nBob;0\nCid;1\n";
const QString dateFields = QStringLiteral("{date:yyyy-MM-dd} {time:HH:mm} {date+30d:dd.MM.yyyy}");

// What a run of orders.csv through the document of a ticket number and
// "{Name} " + dateFields prints when it starts at `moment`.
PageTexts ordersRunAt(const QDateTime &moment)
{
    const QStringList dated{moment.toString(QStringLiteral("yyyy-MM-dd")),
                            moment.toString(QStringLiteral("HH:mm")),
                            moment.addDays(30).toString(QStringLiteral("dd.MM.yyyy"))};
    return {QStringList{"0001", "Ann"} + dated, QStringList{"0002", "Ann"} + dated,
            QStringList{"0003", "Cid"} + dated};
}

ToolRun printTool(const QStringList &arguments)
{
    return runTool(QStringLiteral(PAGINETTE_PRINT), arguments);
}

} // namespace

// Data runs in the program: a reprint with the date of a logged run,
// Continue Numbering past a run's rows, and Save As keeping the data file.
class TestDataRunProgram : public ShellTest
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        // Each test its own print log, shared with the paginette-print it runs.
        qputenv("XDG_DATA_HOME",
                QFile::encodeName(m_home.filePath(QStringLiteral("data%1").arg(++m_tests))));
        QVERIFY(startShell());
        // An untitled document finds its data file from the current folder.
        m_previousFolder = QDir::currentPath();
        QDir::setCurrent(m_shell->dir.path());
    }

    void cleanup()
    {
        QDir::setCurrent(m_previousFolder);
        stopShell();
    }

    void reprintTakesTheDateOfTheRunChosen_data()
    {
        QTest::addColumn<bool>("sameDate");
        QTest::newRow("that run's date") << true;
        QTest::newRow("the reprint's own date") << false;
    }

    // A run printed on 2020-01-31, then again through the print dialog's
    // Reprint tab: with "Use the date of that run" the same pages again,
    // without it pages of the date the reprint started.
    void reprintTakesTheDateOfTheRunChosen()
    {
        QFETCH(bool, sameDate);
        QVERIFY(writeFile(m_shell->path(QStringLiteral("orders.csv")), orders));
        Document doc = emptyDocument(20);
        addNumber(doc, 72, 72, 1, 4);
        addObject(doc, KindText, 72, 144, QStringLiteral("{Name} ") + dateFields);
        doc.data = DataSourceSettings{.file = QStringLiteral("orders.csv"),
                                      .quantity = QStringLiteral("Qty")};
        m_shell->editor.replace(doc);
        const QString document = m_shell->path(QStringLiteral("job.pgt"));
        QCOMPARE(saveAs(document), QStringList());
        const QString first = m_shell->path(QStringLiteral("first.pdf"));
        const ToolRun run = printTool({"--date", "2020-01-31", "-o", first, document});
        QVERIFY2(run.exitCode == 0, qPrintable(programErrors(run.err)));
        const QDateTime logged(QDate(2020, 1, 31), QTime(0, 0));
        QCOMPARE(textsOf(first), ordersRunAt(logged));

        const QString again = m_shell->path(QStringLiteral("again.pdf"));
        QStringList runs;
        ModalScript script;
        script.expect("QPrintDialog", [&](QWidget *dialog) {
            auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
            printers->setCurrentIndex(printers->count() - 1); // Print to File (PDF)
            dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(again);
            const auto *runCombo = dialog->findChild<QComboBox *>(QStringLiteral("runCombo"));
            for (int i = 0; runCombo && i < runCombo->count(); ++i)
                runs.append(runCombo->itemText(i));
            if (sameDate)
                QTest::mouseClick(dialog->findChild<QCheckBox *>(QStringLiteral("sameDateBox")),
                                  Qt::LeftButton);
            qobject_cast<QDialog *>(dialog)->accept();
        });
        // The values were printed before: print them again.
        script.expect("QMessageBox", [](QWidget *box) {
            QTest::mouseClick(qobject_cast<QMessageBox *>(box)->button(QMessageBox::Ok),
                              Qt::LeftButton);
        });
        const QDateTime before = QDateTime::currentDateTime();
        QCOMPARE(script.run([this] { action("printAction")->trigger(); }), QStringList());
        const QDateTime after = QDateTime::currentDateTime();

        QCOMPARE(m_shell->recorder.errors(), QStringList());
        QCOMPARE(runs, QStringList{"2020-01-31 00:00, pages 1 to 3"});
        const PageTexts printed = textsOf(again);
        QVERIFY(!printed.isEmpty() && printed.front().size() > 3);
        // The reprint's own moment, to the minute its pages show.
        const QDateTime shown = QDateTime::fromString(
            printed.front()[2] + u' ' + printed.front()[3], QStringLiteral("yyyy-MM-dd HH:mm"));
        if (sameDate) {
            QCOMPARE(printed, textsOf(first));
        } else {
            const auto minuteOf = [](QDateTime moment) {
                moment.setTime(QTime(moment.time().hour(), moment.time().minute()));
                return moment;
            };
            QVERIFY2(minuteOf(before) <= shown && shown <= minuteOf(after),
                     qPrintable(shown.toString(Qt::ISODate)));
            QCOMPARE(printed, ordersRunAt(shown));
        }
    }

    void continueNumberingMovesPastTheRunsRows_data()
    {
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<QString>("quantity"); // the quantity column; empty: one page a row
        QTest::addColumn<int>("nextTicket");
        QTest::newRow("quantities 2, 0, 1") << orders << "Qty" << 4;
        QTest::newRow("quantities 5 and 7")
            << QByteArray("Name;Qty\nAnn;5\nBob;7\n") << "Qty" << 13;
        QTest::newRow("one page a row") << orders << "" << 4;
    }

    // A ticket counting on through the rows starts past the pages the rows
    // print, whatever Pages says; a seat restarting at each row stays; both
    // in one step that Undo takes back.
    void continueNumberingMovesPastTheRunsRows()
    {
        QFETCH(QByteArray, rows);
        QFETCH(QString, quantity);
        QFETCH(int, nextTicket);
        QVERIFY(writeFile(m_shell->path(QStringLiteral("orders.csv")), rows));
        Document doc = emptyDocument(20);
        const int ticket = addNumber(doc, 72, 72, 1, 4);
        const int seat = addNumber(doc, 72, 144, 11, 4);
        doc.pagesToPrint = 50;
        doc.data =
            DataSourceSettings{.file = QStringLiteral("orders.csv"),
                               .quantity = quantity,
                               .counting = {{seat, {.mode = NumberCounting::Mode::Restart}}}};
        m_shell->editor.replace(doc);
        QCOMPARE(saveAs(m_shell->path(QStringLiteral("job.pgt"))), QStringList());
        ShellHooks hooks;
        hooks.runModal = [](QDialog &dialog) {
            QTest::mouseClick(qobject_cast<ContinueNumberingDialog *>(&dialog)->okButton,
                              Qt::LeftButton);
        };
        m_frame->setHooks(hooks);

        action("continueNumberingAction")->trigger();

        QCOMPARE(m_shell->recorder.errors(), QStringList());
        QCOMPARE((QList<NumberValue>{m_shell->doc().objects[ticket].start,
                                     m_shell->doc().objects[seat].start}),
                 (QList<NumberValue>{nextTicket, 11}));
        QCOMPARE(m_shell->editor.undoStack().count(), 1);
        action("undoAction")->trigger();
        QCOMPARE(documentDump(m_shell->doc()), documentDump(doc));
    }

    // A document whose data file lies outside its folder reads it only once
    // the user, told its path, says so; the answer is kept for the document.
    void aDataFileElsewhereIsReadWithConsent()
    {
        QVERIFY(QDir(m_shell->dir.path()).mkpath(QStringLiteral("elsewhere")) &&
                QDir(m_shell->dir.path()).mkpath(QStringLiteral("jobs")));
        const QString secret = m_shell->path(QStringLiteral("elsewhere/orders.csv"));
        QVERIFY(writeFile(secret, orders));
        Document doc = emptyDocument(20);
        const int ticket = addNumber(doc, 72, 72, 1, 4);
        doc.data = DataSourceSettings{.file = secret, .quantity = QStringLiteral("Qty")};
        const QString document = m_shell->path(QStringLiteral("jobs/sent.pgt"));
        QCOMPARE(saveDocument(doc, {}, document), QString());
        QVERIFY(openDocument(document));
        ShellHooks hooks;
        hooks.runModal = [](QDialog &dialog) {
            QTest::mouseClick(qobject_cast<ContinueNumberingDialog *>(&dialog)->okButton,
                              Qt::LeftButton);
        };
        m_frame->setHooks(hooks);

        for (const bool answer : {false, true}) {
            m_shell->recorder.answer = answer;
            action("continueNumberingAction")->trigger();
            QCOMPARE(m_shell->recorder.questions.size(), answer ? 2 : 1);
            QVERIFY(m_shell->recorder.questions.back().first.contains(secret));
            QCOMPARE(m_shell->doc().objects[ticket].start, answer ? 4 : 1);
        }
        // Kept: not asked again, and on past the rows once more.
        action("continueNumberingAction")->trigger();
        QCOMPARE(m_shell->recorder.questions.size(), 2);
        QCOMPARE(m_shell->doc().objects[ticket].start, 7);
        QCOMPARE(m_shell->recorder.errors(), QStringList());
    }

    void saveAsKeepsTheDataFileFound_data()
    {
        QTest::addColumn<QString>("stored");  // the data file, as the document first stores it
        QTest::addColumn<QString>("savedAs"); // relative to the first document's folder
        QTest::addColumn<QString>("rebased"); // empty: an absolute path, stored as it was
        QTest::newRow("into a folder below") << "jobs/orders.csv"
                                             << "archive/2026/job.pgt"
                                             << "../../jobs/orders.csv";
        QTest::newRow("into a folder beside") << "jobs/orders.csv"
                                              << "copies/job.pgt"
                                              << "../jobs/orders.csv";
        QTest::newRow("into the data's own folder") << "jobs/orders.csv"
                                                    << "jobs/job.pgt"
                                                    << "orders.csv";
        QTest::newRow("an absolute path") << ""
                                          << "copies/job.pgt"
                                          << "";
    }

    // Saved As in another folder, the document stores its data file from
    // there, in one step, and prints the same rows as before.
    void saveAsKeepsTheDataFileFound()
    {
        QFETCH(QString, stored);
        QFETCH(QString, savedAs);
        QFETCH(QString, rebased);
        const QString dataFile = m_shell->path(QStringLiteral("jobs/orders.csv"));
        QVERIFY(QDir(m_shell->dir.path()).mkpath(QStringLiteral("jobs")));
        QVERIFY(writeFile(dataFile, orders));
        Document doc = emptyDocument(20);
        addNumber(doc, 72, 72, 1, 4);
        addObject(doc, KindText, 72, 144, QStringLiteral("{Name}"));
        doc.data = DataSourceSettings{.file = stored.isEmpty() ? dataFile : stored,
                                      .quantity = QStringLiteral("Qty")};
        m_shell->editor.replace(doc);
        const QString original = m_shell->path(QStringLiteral("job.pgt"));
        QCOMPARE(saveAs(original), QStringList());
        const QString copy = m_shell->path(savedAs);
        QVERIFY(QDir().mkpath(QFileInfo(copy).path()));

        QCOMPARE(saveAs(copy), QStringList());

        QCOMPARE(m_shell->recorder.errors(), QStringList());
        const QString expected = rebased.isEmpty() ? dataFile : rebased;
        QCOMPARE(m_shell->doc().data->file, expected);
        const LoadResult loaded = loadDocument(copy, 20);
        QVERIFY(loaded.document && loaded.document->data);
        QCOMPARE(loaded.document->data->file, expected);
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, true, false}));
        QCOMPARE(m_shell->editor.undoStack().count(), rebased.isEmpty() ? 0 : 1);
        const QString before = m_shell->path(QStringLiteral("before.pdf"));
        const QString after = m_shell->path(QStringLiteral("after.pdf"));
        // The file the copy names, read by paginette-print as --data names
        // it: a file outside a document's folder is read no other way.
        const QString found = resolvedDataFile(loaded.document->data->file, copy);
        QCOMPARE(QFileInfo(found).canonicalFilePath(), QFileInfo(dataFile).canonicalFilePath());
        const ToolRun run = printTool({"-o", before, original});
        QVERIFY2(run.exitCode == 0, qPrintable(programErrors(run.err)));
        const ToolRun runCopy = printTool({"--data", found, "-o", after, copy});
        QVERIFY2(runCopy.exitCode == 0, qPrintable(programErrors(runCopy.err)));
        // Saved by the user, the copy reads its file in the program unasked.
        QCOMPARE(DataFileConsent().given(copy, found),
                 dataFileOutside(loaded.document->data, copy).has_value());
        QCOMPARE(textsOf(after), textsOf(before));
        QCOMPARE(textsOf(after).size(), 3);
    }

private:
    bool openDocument(const QString &path)
    {
        ModalScript script;
        script.typePath(path);
        return script.run([this] { action("openAction")->trigger(); }).isEmpty() &&
               m_shell->session.docFileName == path;
    }

    QStringList saveAs(const QString &path)
    {
        ModalScript script;
        script.typePath(path);
        return script.run([this] { action("saveAsAction")->trigger(); });
    }

    QTemporaryDir m_home;
    int m_tests = 0;
    QString m_previousFolder;
};

PAGINETTE_APP_TEST_MAIN(TestDataRunProgram)
#include "tst_datarunprogram.moc"
