#include "apptestmain.h"
#include "continuenumbering.h"
#include "dialogs/continuenumberingdialog.h"
#include "dialogs/printlogwindow.h"
#include "dialogs/sheetlayoutdialog.h"
#include "documentbuilder.h"
#include "file/documentfile.h"
#include "log/printlog.h"
#include "menucaption.h"
#include "modalscript.h"
#include "shellfixture.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QUndoStack>

namespace {

using Rows = QList<QStringList>;

QStringList tableRow(const QTableWidget *table, int row)
{
    QStringList cells;
    for (int column = 0; column < table->columnCount(); ++column) {
        const QTableWidgetItem *item = table->item(row, column);
        cells.append(item ? item->text() : QStringLiteral("-"));
    }
    return cells;
}

QStringList headerOf(const QTableWidget *table)
{
    QStringList labels;
    for (int column = 0; column < table->columnCount(); ++column)
        labels.append(table->horizontalHeaderItem(column)->text());
    return labels;
}

} // namespace

// Add-ons > Continue Numbering and Print Log, through the menu of the whole program.
class TestAddons : public ShellTest
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        // Each test its own print log.
        qputenv("XDG_DATA_HOME",
                QFile::encodeName(m_home.filePath(QStringLiteral("data%1").arg(++m_tests))));
        QVERIFY(startShell());
    }

    void cleanup() { stopShell(); }

    void continueNumberingShowsTheNextRunFirst_data()
    {
        QTest::addColumn<bool>("numbers");
        QTest::addColumn<bool>("agree");
        QTest::newRow("agreed") << true << true;
        QTest::newRow("cancelled") << true << false;
        QTest::newRow("no numbers") << false << true;
    }

    void continueNumberingShowsTheNextRunFirst()
    {
        QFETCH(bool, numbers);
        QFETCH(bool, agree);

        Document doc = emptyDocument(20);
        addObject(doc, KindText, 10, 100, QStringLiteral("Admit one"));
        if (numbers) {
            const int head = addNumber(doc, 10, 10, 1, 4);
            const int member = addNumber(doc, 10, 40, 0, 4);
            doc.objects[head].format.repeat = 2;
            doc.objects[head].stepLink = 1000;
            doc.objects[head].name = QStringLiteral("ticket");
            doc.objects[member].name = QStringLiteral("stub");
            linkObjects(doc, 0, {head, member});
            propagateLinks(doc);
        }
        doc.pagesToPrint = 5;
        m_shell->editor.replace(doc);
        QStringList shown;
        ShellHooks hooks;
        hooks.runModal = [&](QDialog &dialog) {
            const auto *form = qobject_cast<ContinueNumberingDialog *>(&dialog);
            shown.append(form->questionLabel->text());
            for (int row = 0; row < form->valuesTable->rowCount(); ++row)
                shown.append(tableRow(form->valuesTable, row).join(u' '));
            dialog.setResult(agree ? QDialog::Accepted : QDialog::Rejected);
        };
        m_frame->setHooks(hooks);
        m_shell->recorder.messages.clear(); // those of the start

        action("continueNumberingAction")->trigger();

        const QUndoStack &history = m_shell->editor.undoStack();
        if (!numbers) {
            QCOMPARE(shown, QStringList{});
            QCOMPARE(m_shell->recorder.messages,
                     (QList<FeedbackRecorder::Message>{
                         {"The document has no numbers to move on.", "Continue Numbering"}}));
            QCOMPARE(history.count(), 0);
            return;
        }
        QCOMPARE(shown, (QStringList{"Move every number on by a run of 5 pages? The next run "
                                     "starts with:",
                                     "ticket 0004", "stub 1004"}));
        if (!agree) {
            QCOMPARE(documentDump(m_shell->doc()), documentDump(doc));
            QCOMPARE(history.count(), 0);
            return;
        }
        QCOMPARE(firstValues(m_shell->doc()),
                 (QList<NextFirstValue>{{"ticket", "0004"}, {"stub", "1004"}}));
        QCOMPARE(history.count(), 1);
        QCOMPARE(shownCaption(action("undoAction")->text()),
                 QStringLiteral("Undo Continue Numbering"));
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, false, true}));
        action("undoAction")->trigger();
        QCOMPARE(documentDump(m_shell->doc()), documentDump(doc));
    }

    // File > Sheet Layout: typing a product's number chooses it, OK stores
    // it with the order chosen as one undo step, and the run counts labels.
    void sheetLayoutFromTheDatabase()
    {
        if (!QDir(installedSheetFolder).exists())
            QSKIP("glabels-data is not installed");
        const Document before = m_shell->doc();
        QString chosen;
        bool plainPaper = false;
        ShellHooks hooks;
        hooks.runModal = [&](QDialog &dialog) {
            auto *form = qobject_cast<SheetLayoutDialog *>(&dialog);
            if (plainPaper) {
                QTest::mouseClick(form->plainPaperButton, Qt::LeftButton);
            } else {
                // Tabbing through the list chooses no product.
                QTest::mouseClick(form->customButton, Qt::LeftButton);
                QFocusEvent tabbedIn(QEvent::FocusIn, Qt::TabFocusReason);
                QApplication::sendEvent(form->productList, &tabbedIn);
                QVERIFY(form->customButton->isChecked());
                QTest::keyClicks(form->searchEdit, QStringLiteral("5160"));
                chosen = form->productList->currentItem()->text();
                form->orderBox->setCurrentIndex(2);
            }
            QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("okButton")),
                              Qt::LeftButton);
        };
        m_frame->setHooks(hooks);
        action("sheetLayoutAction")->trigger();

        QCOMPARE(chosen, QStringLiteral("Avery 5160: Address Labels"));
        const std::optional<SheetLayout> sheet = m_shell->doc().sheet;
        QVERIFY(sheet);
        QCOMPARE(sheet->title(), QStringLiteral("Avery 5160"));
        QCOMPARE(sheet->order, SheetOrder::CutAndStack);
        QCOMPARE(m_frame->findChild<QLabel *>(QStringLiteral("pagesLabel"))->text(),
                 QStringLiteral("Labels:"));
        QCOMPARE(shownCaption(action("undoAction")->text()), QStringLiteral("Undo Sheet Layout"));
        QCOMPARE(m_shell->editor.undoStack().count(), 1);

        plainPaper = true;
        action("sheetLayoutAction")->trigger();
        QVERIFY(!m_shell->doc().sheet);
        QCOMPARE(m_frame->findChild<QLabel *>(QStringLiteral("pagesLabel"))->text(),
                 QStringLiteral("Pages:"));
        action("undoAction")->trigger();
        QCOMPARE(m_shell->doc().sheet, sheet);
        action("undoAction")->trigger();
        QCOMPARE(documentDump(m_shell->doc()), documentDump(before));
    }

    // Sheet Layout opened again on a document with a product shows that
    // product chosen and in view, whether chosen here or read from the file.
    void sheetLayoutShowsTheDocumentsProduct_data()
    {
        QTest::addColumn<bool>("fromFile");
        QTest::newRow("chosen here") << false;
        QTest::newRow("from the file") << true;
    }

    void sheetLayoutShowsTheDocumentsProduct()
    {
        QFETCH(bool, fromFile);
        const SheetDatabase database = SheetDatabase::read(installedSheetFolder);
        if (database.isEmpty())
            QSKIP("glabels-data is not installed");
        // Far enough down the list to be out of view unless brought there.
        const SheetLayout product = *database.find(u"Avery 5160");
        // The dialog runs for real, as the user sees it, answered by a script.
        ShellHooks hooks;
        hooks.runModal = [](QDialog &dialog) {
            dialog.exec();
        };
        m_frame->setHooks(hooks);
        if (fromFile) {
            Document doc = emptyDocument(20);
            doc.sheet = product;
            const QString path = m_home.filePath(QStringLiteral("labels.pgt"));
            QCOMPARE(saveDocument(doc, {}, path), QString());
            m_frame->openDocument(path);
        } else {
            ModalScript choose;
            choose.expect("SheetLayoutDialog", [&product](QWidget *dialog) {
                auto *form = qobject_cast<SheetLayoutDialog *>(dialog);
                QTest::keyClicks(form->searchEdit, product.title());
                QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("okButton")),
                                  Qt::LeftButton);
            });
            QCOMPARE(choose.run([this] { action("sheetLayoutAction")->trigger(); }), QStringList());
        }
        QCOMPARE(m_shell->doc().sheet, product);

        bool productChecked = false;
        QString current;
        bool inView = false;
        ModalScript look;
        look.expect("SheetLayoutDialog", [&](QWidget *dialog) {
            auto *form = qobject_cast<SheetLayoutDialog *>(dialog);
            productChecked = form->productButton->isChecked();
            const QListWidgetItem *item = form->productList->currentItem();
            current = item ? item->text() : QString();
            inView = item && item->isSelected() &&
                     form->productList->viewport()->rect().contains(
                         form->productList->visualItemRect(item));
            qobject_cast<QDialog *>(dialog)->reject();
        });
        QCOMPARE(look.run([this] { action("sheetLayoutAction")->trigger(); }), QStringList());
        QVERIFY(productChecked);
        QCOMPARE(current, product.title() + QStringLiteral(": ") + product.description);
        QVERIFY(inView);
    }

    // The products found as words are typed come as the command line lists
    // them: those whose number was typed whole first.
    void sheetSearchListsWholeNumbersFirst_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("a number") << "5160";
        QTest::newRow("make and number") << "avery 5160";
    }

    void sheetSearchListsWholeNumbersFirst()
    {
        QFETCH(QString, typed);
        const SheetDatabase database = SheetDatabase::read(installedSheetFolder);
        if (database.isEmpty())
            QSKIP("glabels-data is not installed");
        QStringList expected;
        for (const int index : database.matching(typed)) {
            const SheetLayout &product = database.products()[index];
            expected.append(product.title() + QStringLiteral(": ") + product.description);
        }
        QStringList listed;
        QString chosen;
        ShellHooks hooks;
        hooks.runModal = [&](QDialog &dialog) {
            auto *form = qobject_cast<SheetLayoutDialog *>(&dialog);
            QTest::keyClicks(form->searchEdit, typed);
            for (int row = 0; row < form->productList->count(); ++row) {
                if (!form->productList->isRowHidden(row))
                    listed.append(form->productList->item(row)->text());
            }
            chosen = form->productList->currentItem()->text();
            dialog.reject();
        };
        m_frame->setHooks(hooks);
        action("sheetLayoutAction")->trigger();
        QCOMPARE(listed, expected);
        QCOMPARE(chosen, expected.constFirst());
    }

    void printLogShowsAndCopiesRuns()
    {
        Document doc = emptyDocument(20);
        addNumber(doc, 10, 10, 125, 5);
        doc.objects[0].name = QStringLiteral("ticket");
        doc.pagesToPrint = 10;
        PrintLog log(defaultPrintLogPath());
        const QDateTime when(QDate(2026, 3, 14), QTime(9, 26, 53));
        QCOMPARE(log.append(logEntry(doc, wholeRun(10), "/srv/a.pgt", "office", when)),
                 LoggedLine());
        addNumber(doc, 10, 40, 7, 2);
        doc.objects[1].name = QStringLiteral("stub\tleft");
        QCOMPARE(log.append(logEntry(doc, PrintPlan{4, 6, 2, false, {}}, "/srv/b.pgt", "office",
                                     when.addSecs(60))),
                 LoggedLine());

        action("printLogAction")->trigger();
        auto *window = child<PrintLogWindow>("PrintLogWindow");
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTableWidget *table = window->logTable;
        QCOMPARE(window->statusLabel->text(), log.path());
        QCOMPARE(window->windowTitle(), QStringLiteral("Print Log"));
        const QStringList header = logHeader();
        QCOMPARE(headerOf(table),
                 header.mid(0, 6) + header.mid(9) + header.mid(6, 3) + header.mid(6, 3));
        QCOMPARE(tableRow(table, 0),
                 (QStringList{"2026-03-14 09:26:53", "/srv/a.pgt", "office", "1", "10", "1",
                              "125+1*10", "ticket", "00125", "00134", "-", "-", "-"}));

        table->selectAll();
        QApplication::clipboard()->clear();
        QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("2026-03-14 09:26:53\t/srv/a.pgt\toffice\t1\t10\t1\t125+1*10\t"
                                "ticket\t00125\t00134\n"
                                "2026-03-14 09:27:53\t/srv/b.pgt\toffice\t4\t6\t2\t128+1*3 "
                                "10+1*3\tticket\t00128\t00130\tstub left\t10\t12\n"));

        // Closed as a dialog is: Escape, or its Close button.
        window->activateWindow();
        QTRY_VERIFY(window->isActiveWindow());
        QTest::keyClick(table, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        action("printLogAction")->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("closeButton")),
                          Qt::LeftButton);
        QVERIFY(!window->isVisible());
    }

    // An open Print Log shows each run as it is logged: one printed here,
    // with its manifest to save, or one another program printed.
    void printLogShowsRunsPrintedWhileOpen_data()
    {
        QTest::addColumn<bool>("here");
        QTest::addColumn<bool>("earlierRun");
        QTest::newRow("printed here") << true << false;
        QTest::newRow("printed by another program, the first run logged") << false << false;
        QTest::newRow("printed by another program, after a run") << false << true;
    }

    void printLogShowsRunsPrintedWhileOpen()
    {
        QFETCH(bool, here);
        QFETCH(bool, earlierRun);
        Document doc = emptyDocument(20);
        addNumber(doc, 10, 10, 125, 5);
        doc.objects[0].name = QStringLiteral("ticket");
        doc.pagesToPrint = 3;
        m_shell->editor.replace(doc);
        PrintLog log(defaultPrintLogPath());
        const QDateTime when(QDate(2026, 3, 14), QTime(9, 26, 53));
        if (earlierRun)
            QCOMPARE(log.append(logEntry(doc, wholeRun(3), "/srv/a.pgt", "office", when)),
                     LoggedLine());

        action("printLogAction")->trigger();
        auto *window = child<PrintLogWindow>("PrintLogWindow");
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTableWidget *table = window->logTable;
        const int before = earlierRun ? 1 : 0;
        QCOMPARE(table->rowCount(), before);
        if (earlierRun)
            table->selectRow(0);

        if (here) {
            const QString out = m_home.filePath(QStringLiteral("run.pdf"));
            ModalScript print;
            print.expect("QPrintDialog", [&out](QWidget *dialog) {
                auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
                printers->setCurrentIndex(printers->count() - 1); // Print to File (PDF)
                dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(out);
                qobject_cast<QDialog *>(dialog)->accept();
            });
            QCOMPARE(print.run([this] { action("printAction")->trigger(); }), QStringList());
            QCOMPARE(table->rowCount(), before + 1);
            QCOMPARE(table->item(before, 2)->text(), out);
        } else {
            QCOMPARE(log.append(logEntry(doc, PrintPlan{2, 3, 1, false, {}}, "/srv/b.pgt", "office",
                                         when.addSecs(60))),
                     LoggedLine());
            QTRY_COMPARE(table->rowCount(), before + 1);
            QCOMPARE(table->item(before, 1)->text(), QStringLiteral("/srv/b.pgt"));
        }
        if (earlierRun)
            QCOMPARE(table->selectionModel()->selectedRows().size(), 1);
        // Only a run printed here has its manifest to save.
        table->selectRow(before);
        QCOMPARE(window->saveManifestButton->isEnabled(), here);
    }

    void manifestsOfRunsPrintedHere()
    {
        Document doc = emptyDocument(20);
        addNumber(doc, 10, 10, 125, 5);
        doc.objects[0].name = QStringLiteral("ticket");
        addObject(doc, KindText, 10, 40, QStringLiteral("Admit one"));
        addNumber(doc, 10, 70, 1, 2);
        doc.objects[2].format.prefix = QStringLiteral("=");
        doc.pagesToPrint = 9;
        const PrintPlan plan{8, 9, 2, false, {}};
        const QDateTime when(QDate(2026, 3, 14), QTime(9, 26, 53));
        const PrintedRun here{logEntry(doc, plan, "/srv/a.pgt", "office", when), doc, plan};
        PrintLog log(defaultPrintLogPath());
        QCOMPARE(log.append(logEntry(doc, plan, "/srv/a.pgt", "office", when.addSecs(-60))),
                 LoggedLine());
        QCOMPARE(log.append(here.entry), LoggedLine());
        const QString manifest = m_home.filePath(QStringLiteral("a-manifest.csv"));
        QStringList offered;
        PrintLogWindow window;
        window.setManifestPathChooser([&](const QString &suggested) {
            offered.append(suggested);
            return manifest;
        });
        window.showLog(log.path(), {here});

        // Only the run this program printed has a manifest to save.
        QList<bool> enabled;
        const int rows = window.logTable->rowCount();
        for (const int row : {rows - 2, rows - 1}) {
            window.logTable->clearSelection();
            window.logTable->selectRow(row);
            enabled.append(window.saveManifestButton->isEnabled());
        }
        QCOMPARE(enabled, (QList<bool>{false, true}));
        QTest::mouseClick(window.saveManifestButton, Qt::LeftButton);

        QCOMPARE(offered, QStringList{"/srv/a-manifest.csv"});
        QCOMPARE(PrintLog(manifest).read().items,
                 (QList<QStringList>{{"Sheet", "Page", "Copy", "Object", "Text"},
                                     {"1", "8", "1", "ticket", "00132"},
                                     {"1", "8", "1", "object 3", "=08"},
                                     {"2", "8", "2", "ticket", "00132"},
                                     {"2", "8", "2", "object 3", "=08"},
                                     {"3", "9", "1", "ticket", "00133"},
                                     {"3", "9", "1", "object 3", "=09"},
                                     {"4", "9", "2", "ticket", "00133"},
                                     {"4", "9", "2", "object 3", "=09"}}));
    }

private:
    QTemporaryDir m_home;
    int m_tests = 0;
};

PAGINETTE_APP_TEST_MAIN(TestAddons)
#include "tst_addons.moc"
