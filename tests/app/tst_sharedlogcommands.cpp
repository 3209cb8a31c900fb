#include "apptestmain.h"
#include "continuenumbering.h"
#include "dialogs/continuenumberingdialog.h"
#include "dialogs/printlogwindow.h"
#include "file/documentfile.h"
#include "log/sharedlog.h"
#include "log/unsharedruns.h"
#include "logserver.h"
#include "messageanswer.h"
#include "modalscript.h"
#include "printbench.h"
#include "sharedlog/sharedlogsetting.h"
#include "shellfixture.h"
#include "toolrun.h"

#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTableWidget>
#include <QUndoStack>
#include <QUuid>

namespace {

QString newId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// A run of the job `documentKey` that another machine of the shop logged:
// ticket's values first..first + count - 1.
SharedRun runAt(const QString &documentKey, const QString &machine, const QString &user,
                SharedRun::State state, std::int32_t first, std::int64_t count)
{
    SharedRun run;
    run.localId = newId();
    run.documentKey = documentKey;
    run.machine = machine;
    run.user = user;
    run.state = state;
    run.entry.when = QDateTime(QDate(2026, 12, 9), QTime(8, 15));
    run.entry.document = QStringLiteral("/jobs/tickets.pgt");
    run.entry.printer = QStringLiteral("office");
    run.entry.lastPage = static_cast<std::int32_t>(count);
    run.entry.numbers.append({QStringLiteral("ticket"),
                              QString::number(first),
                              QString::number(first + count - 1),
                              {PrintedValues{first, 1, count}}});
    return run;
}

QStringList tableRow(const QTableWidget *table, int row)
{
    QStringList cells;
    for (int column = 0; column < table->columnCount(); ++column) {
        const QTableWidgetItem *item = table->item(row, column);
        cells.append(item ? item->text() : QString());
    }
    while (!cells.isEmpty() && cells.back().isEmpty())
        cells.removeLast();
    return cells;
}

QStringList headerOf(const QTableWidget *table)
{
    QStringList labels;
    for (int column = 0; column < table->columnCount(); ++column)
        labels.append(table->horizontalHeaderItem(column)->text());
    return labels;
}

// The job as a copy on a machine holds it: the number ticket, from 125.
void takeJob(PrintBench &bench, const QString &id)
{
    Document doc = bench.editor.document();
    doc.objects[0].name = QStringLiteral("ticket");
    doc.id = id;
    bench.editor.replace(doc);
    bench.session.docNamed = true;
    bench.session.docFileName = bench.dir.filePath(QStringLiteral("job.pgt"));
}

} // namespace

// The program on a shop's shared print log, on the suite's own PostgreSQL
// server: what a print, Continue Numbering and the Print Log window do with
// it, and what saving gives a document.
class TestSharedLogCommands : public ShellTest
{
    Q_OBJECT

    LogServer m_server;
    QString m_password;
    QTemporaryDir m_home;

    // The runs the server keeps of the job `documentKey`, newest first.
    QList<SharedRun> serverRuns(const QString &documentKey)
    {
        SharedLog log(*parseSharedLogUri(m_server.uri()));
        if (!log.open().isEmpty())
            return {};
        return log.runs({.documentKey = documentKey, .limit = 100})
            .value.value_or(QList<SharedRun>());
    }

    bool logged(const SharedRun &run)
    {
        SharedLog log(*parseSharedLogUri(m_server.uri()));
        return log.open().isEmpty() && log.reserve(run, {}).reserved;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_password = m_server.password(QStringLiteral("paginette"));
        QVERIFY2(!m_password.isEmpty(), "the suite's log server is not running");
        // As a user's environment gives it: the program keeps no password.
        qputenv("PGPASSWORD", m_password.toUtf8());
        // The log's tables, made by the role that may.
        SharedLog log(*parseSharedLogUri(m_server.uri()));
        QCOMPARE(log.open(), QString());
    }

    void init()
    {
        qputenv("PGPASSWORD", m_password.toUtf8());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(newId())));
    }

    void cleanup() { stopShell(); }

    // A log whose server cannot be reached is named with why, and the user
    // may print without it: the run is logged here, marked, and waits for
    // it. A server that refused the run is named, and nothing is offered.
    void aLogThatCannotServeIsOffered_data()
    {
        QTest::addColumn<QString>("uri");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<bool>("printWithout");

        const QString nowhere =
            QStringLiteral("postgresql://paginette@/paginette?host=/nonexistent");
        QTest::newRow("no server there, printed without it")
            << nowhere << m_password << "cannot be reached" << true << true;
        QTest::newRow("no server there, cancelled")
            << nowhere << m_password << "cannot be reached" << true << false;
        QTest::newRow("a refused login") << m_server.uri() << "wrong-s3cret"
                                         << "password authentication failed" << false << true;
        QTest::newRow("a role without the tables' rights")
            << m_server.uri(QStringLiteral("visitor"))
            << m_server.password(QStringLiteral("visitor")) << "the role visitor" << false << true;
    }

    void aLogThatCannotServeIsOffered()
    {
        QFETCH(QString, uri);
        QFETCH(QString, password);
        QFETCH(QString, said);
        QFETCH(bool, offered);
        QFETCH(bool, printWithout);

        PrintBench bench;
        const QString id = newId();
        takeJob(bench, id);
        QCOMPARE(SharedLogSetting().store(uri), QString());
        bench.goOn = printWithout;
        qputenv("PGPASSWORD", password.toUtf8());
        bench.commands->printAction->trigger();

        QString told;
        if (offered) {
            QCOMPARE(bench.choices.size(), 1);
            const QStringList choice = bench.choices.front();
            QCOMPARE(choice[0], QStringLiteral("Print"));
            QCOMPARE(choice[2], QStringLiteral("Print without the shared log"));
            told = choice[1];
        } else {
            QCOMPARE(bench.choices.size(), 0);
            QCOMPARE(bench.recorder.messages.size(), 1);
            QCOMPARE(bench.recorder.messages.front().second, QStringLiteral("Print"));
            told = bench.recorder.messages.front().first;
        }
        QVERIFY2(told.startsWith(QStringLiteral("The shared print log ") +
                                 parseSharedLogUri(uri)->shown()) &&
                     told.contains(said) && !told.contains(password),
                 qPrintable(told));
        const QList<SharedRun> waiting = *UnsharedRuns().waiting();
        if (!offered || !printWithout) {
            QVERIFY(!QFile::exists(bench.output));
            QVERIFY(!QFile::exists(bench.logPath()));
            QCOMPARE(waiting.size(), 0);
            return;
        }
        QCOMPARE(pdfPageCount(bench.output), 3);
        const QList<QStringList> lines = PrintLog(bench.logPath()).read().items;
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines.back().back().endsWith(QLatin1String(" not-shared")),
                 qPrintable(lines.back().join(u',')));
        QCOMPARE(waiting.size(), 1);
        QCOMPARE(waiting.front().documentKey, id);
        QCOMPARE(waiting.front().entry.numbers.front().values, (QList<PrintedValues>{{125, 1, 3}}));
    }

    // Two copies of one job in two programs: the second is asked about the
    // first's run, named with its machine, and reserves only when told to.
    void twoProgramsNeverPrintOneValueUnasked_data()
    {
        QTest::addColumn<bool>("again");
        QTest::newRow("printed again") << true;
        QTest::newRow("not printed again") << false;
    }

    void twoProgramsNeverPrintOneValueUnasked()
    {
        QFETCH(bool, again);

        const QString id = newId();
        PrintBench first;
        PrintBench second;
        takeJob(first, id);
        takeJob(second, id);
        QCOMPARE(SharedLogSetting().store(m_server.uri()), QString());
        first.commands->printAction->trigger();
        QCOMPARE(first.warnings, QList<FeedbackRecorder::Message>{});
        QCOMPARE(pdfPageCount(first.output), 3);

        second.passWarnings = again;
        second.commands->printAction->trigger();

        QCOMPARE(second.warnings.size(), 1);
        const QString asked = second.warnings.front().first;
        QVERIFY2(asked.startsWith(QStringLiteral("ticket printed 00125-00127 on ")) &&
                     asked.endsWith(QStringLiteral(" at ") + QSysInfo::machineHostName() +
                                    QStringLiteral(".\nPrint them again?")),
                 qPrintable(asked));
        QCOMPARE(second.warnings.front().second, QStringLiteral("Print"));
        QCOMPARE(QFile::exists(second.output), again);
        QList<SharedRun::State> states;
        for (const SharedRun &run : serverRuns(id))
            states.append(run.state);
        const QList<SharedRun::State> complete(again ? 2 : 1, SharedRun::State::Complete);
        QCOMPARE(states, complete);
    }

    // Continue Numbering moves past every value any machine printed or
    // holds, the runs printed here that wait for the log among them.
    void continueNumberingPassesEveryMachinesRuns_data()
    {
        QTest::addColumn<int>("printed"); // 0: by press-2, 1: unfinished, 2: here unshared
        QTest::addColumn<QString>("next");
        QTest::newRow("a run another machine printed") << 0 << "00251";
        QTest::newRow("a reservation that never ended") << 1 << "00301";
        QTest::newRow("a run printed here without the log") << 2 << "00121";
        QTest::newRow("no run of the job") << 3 << "";
    }

    void continueNumberingPassesEveryMachinesRuns()
    {
        QFETCH(int, printed);
        QFETCH(QString, next);

        QVERIFY(startShell());
        QCOMPARE(SharedLogSetting().store(m_server.uri()), QString());
        const QString id = newId();
        Document doc = emptyDocument(20);
        addNumber(doc, 10, 10, 1, 5);
        doc.objects[0].name = QStringLiteral("ticket");
        doc.pagesToPrint = 100;
        doc.id = id;
        m_shell->editor.replace(doc);
        const QString press2 = QStringLiteral("press-2");
        const QString maria = QStringLiteral("maria");
        if (printed == 0)
            QVERIFY(logged(runAt(id, press2, maria, SharedRun::State::Complete, 1, 250)));
        else if (printed == 1)
            QVERIFY(logged(runAt(id, press2, maria, SharedRun::State::Reserved, 1, 300)));
        else if (printed == 2)
            QCOMPARE(UnsharedRuns().add(runAt(id, QSysInfo::machineHostName(), maria,
                                              SharedRun::State::Complete, 1, 120)),
                     QString());
        // Another job's runs are not this one's.
        QVERIFY(logged(runAt(newId(), press2, maria, SharedRun::State::Complete, 1, 900)));
        QStringList shown;
        ShellHooks hooks;
        hooks.runModal = [&](QDialog &dialog) {
            const auto *form = qobject_cast<ContinueNumberingDialog *>(&dialog);
            shown.append(form->questionLabel->text());
            for (int row = 0; row < form->valuesTable->rowCount(); ++row)
                shown.append(tableRow(form->valuesTable, row).join(u' '));
            dialog.setResult(QDialog::Accepted);
        };
        m_frame->setHooks(hooks);
        m_shell->recorder.messages.clear();

        action("continueNumberingAction")->trigger();

        const QUndoStack &history = m_shell->editor.undoStack();
        if (next.isEmpty()) {
            QCOMPARE(shown, QStringList());
            QCOMPARE(m_shell->recorder.messages,
                     (QList<FeedbackRecorder::Message>{
                         {"The shared print log holds no value of this document's numbers: they "
                          "stay as they are.",
                          "Continue Numbering"}}));
            QCOMPARE(history.count(), 0);
            return;
        }
        QCOMPARE(shown, (QStringList{QStringLiteral("Move every number past the values every "
                                                    "machine printed or holds, as the shared "
                                                    "print log %1 tells? The next run starts "
                                                    "with:")
                                         .arg(parseSharedLogUri(m_server.uri())->shown()),
                                     QStringLiteral("ticket ") + next}));
        QCOMPARE(firstValues(m_shell->doc()), (QList<NextFirstValue>{{"ticket", next}}));
        QCOMPARE(history.count(), 1);
        action("undoAction")->trigger();
        QCOMPARE(documentDump(m_shell->doc()), documentDump(doc));
    }

    // The Print Log window shows the shared log: each run's machine, user and
    // state, the open job's runs or all, and the manifest of a run printed
    // here.
    void printLogShowsTheSharedLog()
    {
        QVERIFY(startShell());
        QCOMPARE(SharedLogSetting().store(m_server.uri()), QString());
        const QString id = newId();
        Document doc = emptyDocument(20);
        addNumber(doc, 10, 10, 1001, 5);
        doc.objects[0].name = QStringLiteral("ticket");
        doc.pagesToPrint = 3;
        doc.id = id;
        m_shell->editor.replace(doc);
        QVERIFY(logged(runAt(id, QStringLiteral("press-2"), QStringLiteral("maria"),
                             SharedRun::State::Complete, 1, 100)));
        QVERIFY(logged(runAt(id, QStringLiteral("press-3"), QStringLiteral("tomas"),
                             SharedRun::State::Reserved, 101, 100)));
        QVERIFY(logged(runAt(newId(), QStringLiteral("press-2"), QStringLiteral("maria"),
                             SharedRun::State::Complete, 1, 10)));
        // Printed here while the log could not be reached.
        QCOMPARE(UnsharedRuns().add(runAt(id, QSysInfo::machineHostName(), QStringLiteral("ana"),
                                          SharedRun::State::Complete, 201, 5)),
                 QString());

        action("printLogAction")->trigger();
        auto *window = child<PrintLogWindow>("PrintLogWindow");
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTableWidget *table = window->logTable;
        QCOMPARE(headerOf(table).mid(0, 13),
                 (QStringList{"Date", "Document", "Printer", "First page", "Last page", "Copies",
                              "Machine", "User", "State", "Printed values", "Number", "First value",
                              "Last value"}));
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(tableRow(table, 2).mid(6, 4), (QStringList{QSysInfo::machineHostName(), "ana",
                                                            "waiting to be sent", "201+1*5"}));
        QVERIFY2(window->statusLabel->text().endsWith(
                     " Printed here and waiting to be sent to a shared log: 1 run."),
                 qPrintable(window->statusLabel->text()));
        window->dayEdit->setDate(QDate(2026, 12, 9));
        QCOMPARE(table->rowCount(), 3);
        window->dayEdit->setDate(window->dayEdit->minimumDate());
        window->machineEdit->setText(QStringLiteral("press-2"));
        Q_EMIT window->machineEdit->editingFinished();
        QCOMPARE(table->rowCount(), 1);
        window->machineEdit->clear();
        Q_EMIT window->machineEdit->editingFinished();
        QCOMPARE(tableRow(table, 0),
                 (QStringList{"2026-12-09 08:15:00", "/jobs/tickets.pgt", "office", "1", "100", "1",
                              "press-2", "maria", "complete", "1+1*100", "ticket", "1", "100"}));
        QCOMPARE(tableRow(table, 1).mid(6, 3), (QStringList{"press-3", "tomas", "unfinished"}));
        table->selectRow(1);
        QApplication::clipboard()->clear();
        QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("2026-12-09 08:15:00\t/jobs/tickets.pgt\toffice\t1\t100\t1\t"
                                "press-3\ttomas\tunfinished\t101+1*100\tticket\t101\t200\n"));
        QVERIFY(!window->saveManifestButton->isEnabled());

        window->showCombo->setCurrentIndex(window->showCombo->findText("All documents"));
        QVERIFY(table->rowCount() >= 4);
        window->showCombo->setCurrentIndex(window->showCombo->findText("This document"));
        QCOMPARE(table->rowCount(), 3);
        window->machineEdit->setText(QStringLiteral("press-3"));
        Q_EMIT window->machineEdit->editingFinished();
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(tableRow(table, 0).value(6), QStringLiteral("press-3"));
        window->machineEdit->clear();
        Q_EMIT window->machineEdit->editingFinished();
        window->dayEdit->setDate(QDate(2026, 12, 10));
        QCOMPARE(table->rowCount(), 0);
        window->dayEdit->setDate(window->dayEdit->minimumDate());
        QCOMPARE(table->rowCount(), 3);

        // A run printed here shows as it ends, its manifest to save.
        const QString out = m_home.filePath(QStringLiteral("run.pdf"));
        ModalScript print;
        print.expect("QPrintDialog", [&out](QWidget *dialog) {
            auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
            printers->setCurrentIndex(printers->count() - 1); // Print to File (PDF)
            dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(out);
            qobject_cast<QDialog *>(dialog)->accept();
        });
        QCOMPARE(print.run([this] { action("printAction")->trigger(); }), QStringList());
        // The run sent what waited before its own.
        QCOMPARE(table->rowCount(), 4);
        QCOMPARE(tableRow(table, 2).mid(6, 3),
                 (QStringList{QSysInfo::machineHostName(), "ana", "complete"}));
        QCOMPARE(tableRow(table, 3).mid(1, 8),
                 (QStringList{"untitled", out, "1", "3", "1", QSysInfo::machineHostName(),
                              thisUser(), "complete"}));
        QVERIFY(!window->statusLabel->text().contains("waiting"));
        table->selectRow(3);
        QVERIFY(window->saveManifestButton->isEnabled());
        table->selectRow(0);
        QVERIFY(!window->saveManifestButton->isEnabled());
    }

    // The window pages back through every run, a page of the newest at a
    // time; a role that may only read the log's tables reads them there.
    void printLogPagesThroughEveryRun()
    {
        const QString id = newId();
        const auto asOwner = [this](const QString &statement) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), "owner");
            db.setHostName(m_server.folder);
            db.setDatabaseName(QStringLiteral("paginette"));
            db.setUserName(QStringLiteral("paginette"));
            db.setPassword(m_password);
            const bool done = db.open() && QSqlQuery(db).exec(statement);
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("owner"));
            return done;
        };
        const int runs = PrintLogWindow::shownRuns + 5;
        QVERIFY(asOwner(QStringLiteral("INSERT INTO paginette_runs (document_key, document_path,"
                                       " machine, os_user, printer, printed_at, first_page,"
                                       " last_page, copies, state) SELECT '%1', '/jobs/a.pgt',"
                                       " 'press-1', 'maria', 'office', now(), n, n, 1, 'complete'"
                                       " FROM generate_series(1, %2) n")
                            .arg(id)
                            .arg(runs)));
        QVERIFY(asOwner(QStringLiteral("GRANT SELECT ON paginette_schema, paginette_runs,"
                                       " paginette_values TO visitor")));
        const auto revoke = qScopeGuard([&asOwner] {
            asOwner(QStringLiteral(
                "REVOKE ALL ON paginette_schema, paginette_runs, paginette_values FROM visitor"));
        });
        QVERIFY(startShell());
        // As a viewer's machine has it set.
        qputenv("PGPASSWORD", m_server.password(QStringLiteral("visitor")).toUtf8());
        QCOMPARE(SharedLogSetting().store(m_server.uri(QStringLiteral("visitor"))), QString());
        Document doc = emptyDocument(20);
        addNumber(doc, 10, 10, 1, 5);
        doc.id = id;
        m_shell->editor.replace(doc);

        action("printLogAction")->trigger();
        auto *window = child<PrintLogWindow>("PrintLogWindow");
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTableWidget *table = window->logTable;
        QCOMPARE(table->rowCount(), PrintLogWindow::shownRuns);
        QCOMPARE(tableRow(table, table->rowCount() - 1).value(3), QString::number(runs));
        QVERIFY(window->olderButton->isEnabled());
        QTest::mouseClick(window->olderButton, Qt::LeftButton);
        QCOMPARE(table->rowCount(), 5);
        QCOMPARE(tableRow(table, 0).value(3), QStringLiteral("1"));
        QVERIFY(!window->olderButton->isEnabled());
    }

    // Save As of a job asks whether the copy is the same job: OK keeps its
    // id, No gives the copy a new one and leaves the original's, Cancel
    // writes nothing.
    void aCopyIsTheSameJobOrANewOne_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("copyId"); // "same", "new", or "" for no copy
        QTest::newRow("the same job") << Answer::ClickOk << "same";
        QTest::newRow("a new job") << Answer::ClickNo << "new";
        QTest::newRow("cancelled") << Answer::ClickCancel << "";
    }

    void aCopyIsTheSameJobOrANewOne()
    {
        QFETCH(Answer, answer);
        QFETCH(QString, copyId);
        QVERIFY(startShell());
        QCOMPARE(SharedLogSetting().store(m_server.uri()), QString());
        Document doc = emptyDocument(20);
        addNumber(doc, 10, 10, 1, 5);
        m_shell->editor.replace(doc);
        const QString original = m_shell->path(QStringLiteral("job.pgt"));
        ModalScript first;
        first.typePath(original);
        QCOMPARE(first.run([this] { action("saveAsAction")->trigger(); }), QStringList());
        const QString id = m_shell->doc().id;
        QVERIFY(!id.isEmpty());

        const QString copy = m_shell->path(QStringLiteral("next-week.pgt"));
        QString asked;
        ModalScript second;
        second.typePath(copy).expect("MessageDialog", [&](QWidget *modal) {
            auto *dialog = static_cast<MessageDialog *>(modal);
            asked = dialog->label->text();
            answerDialog(dialog, answer);
        });
        QCOMPARE(second.run([this] { action("saveAsAction")->trigger(); }), QStringList());
        QCOMPARE(asked, QStringLiteral("Is the copy the same job?"));
        QCOMPARE(loadDocument(original, 20).document->id, id);
        if (copyId.isEmpty()) {
            QVERIFY(!QFile::exists(copy));
            QCOMPARE(m_shell->doc().id, id);
            return;
        }
        const LoadResult saved = loadDocument(copy, 20);
        QVERIFY(saved.document);
        QCOMPARE(saved.document->id == id, copyId == QLatin1String("same"));
        QCOMPARE(m_shell->doc().id, saved.document->id);
    }

    // Saved with a shared log set, a document gets its id, no undo step;
    // without one it is saved as it always was.
    void savingGivesTheJobItsId_data()
    {
        QTest::addColumn<bool>("shared");
        QTest::newRow("with a shared log") << true;
        QTest::newRow("without one") << false;
    }

    void savingGivesTheJobItsId()
    {
        QFETCH(bool, shared);

        QVERIFY(startShell());
        if (shared)
            QCOMPARE(SharedLogSetting().store(m_server.uri()), QString());
        Document doc = emptyDocument(20);
        addNumber(doc, 10, 10, 1, 5);
        m_shell->editor.replace(doc);
        const QString path = m_shell->path(QStringLiteral("job.pgt"));
        ModalScript saveAs;
        saveAs.typePath(path);
        QCOMPARE(saveAs.run([this] { action("saveAsAction")->trigger(); }), QStringList());

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const LoadResult loaded = loadDocument(path, 20);
        QVERIFY(loaded.document);
        QCOMPARE(loaded.document->id, m_shell->doc().id);
        QCOMPARE(m_shell->editor.undoStack().count(), 0);
        QVERIFY(!m_shell->session.docModified);
        if (!shared) {
            // No extension block: the bytes of every earlier version.
            QVERIFY(!bytes.contains("PGTX"));
            QCOMPARE(loaded.document->id, QString());
            return;
        }
        QCOMPARE(QUuid::fromString(loaded.document->id).toString(QUuid::WithoutBraces),
                 loaded.document->id);
        QVERIFY(!QUuid::fromString(loaded.document->id).isNull());
    }
};

PAGINETTE_APP_TEST_MAIN(TestSharedLogCommands)
#include "tst_sharedlogcommands.moc"
