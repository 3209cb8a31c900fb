#include "apptestmain.h"
#include "documentbuilder.h"
#include "documentfile.h"
#include "filebytes.h"
#include "filedialogs.h"
#include "helpwindow.h"
#include "modalscript.h"
#include "objecttable.h"
#include "pagespinbox.h"
#include "shellfixture.h"
#include "tform2.h"
#include "tform3.h"
#include "tform6.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QToolButton>

namespace {

// The size of a saved document holding one object.
constexpr int oneObjectFileSize = 48 + 388 + 4;

QByteArray documentHeader(std::int32_t pageShown, std::int32_t pagesToPrint)
{
    QByteArray bytes(48, '\0');
    auto *data = reinterpret_cast<uchar *>(bytes.data());
    qToLittleEndian<quint16>(2, data);
    qToLittleEndian<quint16>(4, data + 4);
    qToLittleEndian<quint16>(1, data + 6);
    putInt32(bytes, 8, 388);
    putInt32(bytes, 20, pageShown);
    putInt32(bytes, 24, pagesToPrint);
    return bytes;
}

// A document holding one number, as opened or made by New.
Document oneNumber()
{
    Document doc = emptyDocument(20);
    addNumber(doc, 10, 10, 125, 5);
    return doc;
}

// The message dialog's close question, answered with OK or No.
std::function<void(QWidget *)> answerSave(bool save, QString *question = nullptr)
{
    return [save, question](QWidget *modal) {
        auto *dialog = qobject_cast<TForm3 *>(modal);
        if (question)
            *question = dialog->StaticText2->text();
        if (save)
            dialog->BitBtn1Click();
        else
            dialog->Button2Click();
    };
}

// Types `text` over the file dialog's name box, key by key through the
// dialog's window as the user's keys come: to the list of names while it is up.
void typeIntoNameBox(QWidget *fileDialog, const QString &text)
{
    auto *name = fileDialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    name->setFocus();
    name->selectAll();
    for (const QChar c : text)
        QTest::keyClick(fileDialog->windowHandle(), c.toLatin1());
}

// A file dialog whose suggested name is noted before `path` is typed, or
// before it is cancelled when `path` is empty.
std::function<void(QWidget *)> noteSuggestion(QString &suggestion, QString &title,
                                              const QString &path)
{
    return [&suggestion, &title, path](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        title = dialog->windowTitle();
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        suggestion = name->text();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        name->setText(path);
        // QFileDialog's own accept() checks the typed name.
        static_cast<QDialog *>(dialog)->accept();
    };
}

} // namespace

class TestCommands : public ShellTest
{
    Q_OBJECT

    // The Object Properties window may hold the activation after start-up.
    void activateFrame()
    {
        m_frame->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), m_frame);
    }

    // Runs `command` with the script answering its modal windows.
    static QStringList run(ModalScript &script, QAction *command)
    {
        return script.run([command] { command->trigger(); });
    }

    // The document as a named file, its path in the window's caption.
    void nameDocument(const QString &path)
    {
        m_shell->shell.docNamed = 1;
        m_shell->shell.docFileName = path;
        m_frame->Form6->setWindowTitle(path);
    }

    // An edit: one number placed, through the editor as the document window's editing does it.
    void placeNumber()
    {
        m_shell->editor.edit(QStringLiteral("Place Number"),
                             [](Document &doc) { createObject(doc, KindNumber, 100, 100); });
    }

    QString m_savedCurrent;

private Q_SLOTS:
    void init()
    {
        m_savedCurrent = QDir::currentPath();
        QVERIFY(startShell());
    }

    void cleanup()
    {
        stopShell();
        QDir::setCurrent(m_savedCurrent);
    }

    void startUpShowsSplashAndDocumentWindow()
    {
        QCOMPARE(m_shell->modals, QList<QByteArray>{"TForm7"});
        QVERIFY(m_frame->isEnabled());
        QVERIFY(m_frame->isVisible());

        TForm6 *window = m_frame->Form6;
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Untitled"));
        QVERIFY(window->isVisible());
        QCOMPARE(m_frame->mdiArea->subWindowList().size(), 1);
        QVERIFY(m_frame->mdiArea->subWindowList().first()->isMaximized());
        QVERIFY(m_frame->Form2->isVisible());
        QVERIFY(m_frame->ObjectProperties1->isChecked());
        QVERIFY(!m_frame->ShowLinks1->isChecked());

        // The printable area at 360 dots per inch: some 7 to 9 inches wide.
        const Bounds32 &extent = m_shell->render.pageExtent;
        QCOMPARE(extent.left, 0);
        QCOMPARE(extent.top, 0);
        QVERIFY2(extent.right > 7 * 360 && extent.right < 9 * 360,
                 qPrintable(QString::number(extent.right)));
        QVERIFY(extent.bottom > extent.right);
        QCOMPARE(m_shell->view.vScrollPos, 0);
        // The window was drawn when shown, and is drawn again whenever the frame
        // becomes active.
        QVERIFY(!window->presentedImage().isNull());
        m_frame->Form2->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), m_frame->Form2);
        window->present(QImage());
        activateFrame();
        QVERIFY(!window->presentedImage().isNull());
    }

    void newDocument()
    {
        Document doc = oneNumber();
        doc.pagesToPrint = 9;
        m_shell->editor.replace(doc);
        m_frame->showDocumentValues();
        QCOMPARE(m_frame->pages->text(), QStringLiteral("9"));
        const QString old = m_shell->path(QStringLiteral("old.pgt"));
        nameDocument(old);

        ModalScript none;
        QCOMPARE(run(none, m_frame->Quit1), QStringList());
        QCOMPARE(m_shell->docFlags(), (QList<int>{1, 0, 0}));
        QCOMPARE(m_shell->doc().count(), 0);
        QCOMPARE(m_shell->doc().pagesToPrint, 1);
        QCOMPARE(m_frame->pages->text(), QStringLiteral("1"));
        // Name and caption are left as they were.
        QCOMPARE(m_shell->shell.docFileName, old);
        QCOMPARE(m_frame->Form6->windowTitle(), old);
        QVERIFY(m_frame->Form2->isVisible());
    }

    void newAsksBeforeDroppingChanges()
    {
        placeNumber();
        QString question;
        ModalScript script;
        script.expect("TForm3", answerSave(false, &question));
        QCOMPARE(run(script, m_frame->Quit1), QStringList());

        QCOMPARE(question, QStringLiteral("Save changes before close?"));
        QCOMPARE(m_shell->doc().count(), 0);
        QCOMPARE(m_shell->docFlags(), (QList<int>{1, 0, 0}));
        QCOMPARE(m_shell->files(), QStringList{"pgtpc.ini"});
    }

    void savingCancelledKeepsTheDocument_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("escape"); // at the question, else OK and a cancelled save dialog
        for (const bool escape : {false, true}) {
            const char *how = escape ? "Escape at the question" : "save dialog cancelled";
            QTest::addRow("New, %s", how) << "Quit1" << escape;
            QTest::addRow("Open, %s", how) << "Close1" << escape;
            QTest::addRow("Close, %s", how) << "Close2" << escape;
            QTest::addRow("Quit, %s", how) << "Quit2" << escape;
        }
    }

    void savingCancelledKeepsTheDocument()
    {
        QFETCH(QString, command);
        QFETCH(bool, escape);
        placeNumber();
        ModalScript script;
        if (escape)
            script.expect("TForm3", [](QWidget *dialog) { typeKey(dialog, Qt::Key_Escape); });
        else
            script.expect("TForm3", answerSave(true)).cancel("QFileDialog");
        QCOMPARE(run(script, m_frame->findChild<QAction *>(command)), QStringList());

        QCOMPARE(m_shell->docFlags(), (QList<int>{1, 0, 1}));
        QCOMPARE(m_shell->doc().count(), 1);
        QVERIFY(m_frame->isVisible());
        QCOMPARE(m_frame->Form6->windowTitle(), QStringLiteral("Untitled"));
        QCOMPARE(m_shell->files(), QStringList{"pgtpc.ini"});
    }

    void promptSavesNamedDocumentWithoutDialog()
    {
        const QString path = m_shell->path(QStringLiteral("named.pgt"));
        nameDocument(path);
        placeNumber();
        ModalScript script;
        script.expect("TForm3", answerSave(true));
        QCOMPARE(run(script, m_frame->Quit1), QStringList());

        QCOMPARE(readFile(path).size(), oneObjectFileSize);
        QCOMPARE(m_shell->doc().count(), 0);
        QCOMPARE(m_shell->shell.docModified, 0);
    }

    void saveOfNewDocumentWrites48Bytes()
    {
        const QString typed = m_shell->path(QStringLiteral("first"));
        const QString written = typed + QStringLiteral(".pgt");
        ModalScript script;
        script.typePath(typed);
        QCOMPARE(run(script, m_frame->Save1), QStringList());

        QCOMPARE(readFile(written), documentHeader(1, 1));
        QCOMPARE(m_shell->docFlags(), (QList<int>{1, 1, 0}));
        QCOMPARE(m_shell->shell.docFileName, written);
        QCOMPARE(m_frame->Form6->windowTitle(), written);
        // Named and unmodified: nothing to save until the next edit.
        QVERIFY(!m_frame->Save1->isEnabled());
        placeNumber();
        QVERIFY(m_frame->Save1->isEnabled());
    }

    void saveDialogSuggestsNumberThenLastName()
    {
        QString title;
        QString first;
        QString second;
        ModalScript chosen;
        chosen.expect("QFileDialog",
                      noteSuggestion(first, title, m_shell->path(QStringLiteral("chosen"))));
        QCOMPARE(run(chosen, m_frame->SaveAs1), QStringList());
        QCOMPARE(title, QStringLiteral("Save Paginette file"));
        QCOMPARE(first, QStringLiteral("number"));

        ModalScript cancelled;
        cancelled.expect("QFileDialog", noteSuggestion(second, title, QString()));
        QCOMPARE(run(cancelled, m_frame->SaveAs1), QStringList());
        QCOMPARE(second, QStringLiteral("chosen.pgt"));
        // The cancelled dialog changed nothing.
        QCOMPARE(m_shell->shell.docFileName, m_shell->path(QStringLiteral("chosen.pgt")));
    }

    void saveAsThenSaveWritesWithoutDialog()
    {
        const QString path = m_shell->path(QStringLiteral("as.pgt"));
        QVERIFY(writeFile(path, QByteArray(5000, 'x')));
        ModalScript saveAs;
        saveAs.typePath(path);
        QCOMPARE(run(saveAs, m_frame->SaveAs1), QStringList());
        // Replaced without a question.
        QCOMPARE(readFile(path).size(), 48);
        QCOMPARE(m_shell->shell.docNamed, 1);
        QCOMPARE(m_frame->Form6->windowTitle(), path);

        placeNumber();
        ModalScript none;
        QCOMPARE(run(none, m_frame->Save1), QStringList());
        QCOMPARE(readFile(path).size(), oneObjectFileSize);
        QCOMPARE(m_shell->shell.docModified, 0);
    }

    void failedSaveKeepsNameAndModified()
    {
        const QString named = m_shell->path(QStringLiteral("kept.pgt"));
        nameDocument(named);
        placeNumber();
        const QString unreachable = m_shell->path(QStringLiteral("no/such/folder/doc.pgt"));
        ModalScript saveAs;
        saveAs.typePath(unreachable);
        QCOMPARE(run(saveAs, m_frame->SaveAs1), QStringList());
        QCOMPARE(m_shell->recorder.captions(), QStringList({"File", "Error"}));
        QCOMPARE(m_shell->docFlags(), (QList<int>{1, 1, 1}));
        QCOMPARE(m_shell->shell.docFileName, named);
        QCOMPARE(m_frame->Form6->windowTitle(), named);

        // Save of an unnamed document that fails leaves it unnamed.
        m_shell->shell.docNamed = 0;
        ModalScript save;
        save.typePath(unreachable);
        QCOMPARE(run(save, m_frame->Save1), QStringList());
        QCOMPARE(m_shell->docFlags(), (QList<int>{1, 0, 1}));
        QCOMPARE(m_shell->shell.docFileName, named);

        // And a named one stays modified.
        nameDocument(unreachable);
        ModalScript none;
        QCOMPARE(run(none, m_frame->Save1), QStringList());
        QCOMPARE(m_shell->shell.docModified, 1);
        QVERIFY(m_frame->Save1->isEnabled());
        QCOMPARE(m_shell->recorder.messages.size(), 4);
    }

    void openShowsPathAsCaption_data()
    {
        QTest::addColumn<bool>("fromCommandLine");
        QTest::newRow("File > Open") << false;
        QTest::newRow("named on the command line") << true;
    }

    void openShowsPathAsCaption()
    {
        QFETCH(bool, fromCommandLine);
        const QString path = m_shell->path(QStringLiteral("hand made.pgt"));
        QVERIFY(writeFile(path, documentHeader(2, 3)));
        ModalScript script;
        if (fromCommandLine) {
            QCOMPARE(script.run([this, path] { m_frame->openDocument(path); }), QStringList());
        } else {
            script.typePath(path);
            QCOMPARE(run(script, m_frame->Close1), QStringList());
        }

        QCOMPARE(m_shell->docFlags(), (QList<int>{1, 1, 0}));
        QCOMPARE(m_shell->shell.docFileName, path);
        QCOMPARE(m_frame->Form6->windowTitle(), path);
        QCOMPARE(m_shell->doc().pagesToPrint, 3);
        QCOMPARE(m_shell->doc().pageShown, 2);
        // The boxes show the values of the opened document.
        QCOMPARE(m_frame->pages->text(), QStringLiteral("3"));
        QCOMPARE(m_frame->page->value(), 2);
        QVERIFY(m_frame->Close2->isEnabled());
    }

    void pagesBoxIsTakenOverBeforeUse_data()
    {
        QTest::addColumn<QString>("then");
        QTest::newRow("Enter") << "Enter";
        QTest::newRow("the focus leaves") << "focus";
        QTest::newRow("a command from its shortcut") << "command";
    }

    void pagesBoxIsTakenOverBeforeUse()
    {
        QFETCH(QString, then);
        activateFrame();
        m_frame->pages->setFocus();
        m_frame->pages->selectAll();
        QTest::keyClicks(m_frame->pages, QStringLiteral("7"));
        QCOMPARE(m_shell->doc().pagesToPrint, 1);
        if (then == QLatin1String("Enter"))
            QTest::keyClick(m_frame->pages, Qt::Key_Return);
        else if (then == QLatin1String("focus"))
            m_frame->page->setFocus();
        else
            QTest::keyClick(m_frame->pages, Qt::Key_F1);

        // What the box shows is what the next command uses.
        QCOMPARE(m_shell->doc().pagesToPrint, 7);
        QCOMPARE(m_frame->pages->text(), QStringLiteral("7"));
    }

    void documentsLargerThanTheRoomOpenWhole()
    {
        Document doc = emptyDocument(25);
        for (int i = 0; i < 25; ++i)
            addNumber(doc, 10, 10 + 20 * i, i, 3);
        const QString path = m_shell->path(QStringLiteral("large.pgt"));
        QCOMPARE(saveDocument(doc, {}, path), QString());
        ModalScript script;
        script.typePath(path);
        QCOMPARE(run(script, m_frame->Close1), QStringList());

        QCOMPARE(m_shell->recorder.messages.last(),
                 FeedbackRecorder::Message("This document holds 25 objects; the room for objects "
                                           "is now 25 for this session.",
                                           "Max Number of Objects"));
        QCOMPARE(m_shell->doc().count(), 25);
        m_shell->editor.edit(QStringLiteral("Pages"), [](Document &d) { d.pagesToPrint = 2; });
        QCOMPARE(run(script, m_frame->Save1), QStringList());
        QCOMPARE(readFile(path).size(), 48 + 25 * (388 + 4));
    }

    void unreadFormatsAreNotDroppedWithoutAsking_data()
    {
        QTest::addColumn<bool>("agree");
        QTest::newRow("saved without them") << true;
        QTest::newRow("cancelled") << false;
    }

    void unreadFormatsAreNotDroppedWithoutAsking()
    {
        QFETCH(bool, agree);
        const QString path = m_shell->path(QStringLiteral("damaged.pgt"));
        const QByteArray damaged =
            documentBytes(oneNumber(), {}) + QByteArray("PGTx\x02\x00\x00\x00{}");
        QVERIFY(writeFile(path, damaged));
        ModalScript script;
        script.typePath(path);
        QCOMPARE(run(script, m_frame->Close1), QStringList());
        QCOMPARE(m_shell->recorder.captions().last(), QStringLiteral("Number Formats"));

        m_shell->editor.edit(QStringLiteral("Format"), [](Document &doc) {
            doc.objects[0].format.prefix = QStringLiteral("No. ");
        });
        m_shell->recorder.answer = agree;
        QCOMPARE(run(script, m_frame->Save1), QStringList());

        QCOMPARE(m_shell->recorder.questions,
                 (QList<FeedbackRecorder::Message>{
                     {"Save without the number formats that could not be read?",
                      "Number Formats"}}));
        QCOMPARE(readFile(path) == damaged, !agree);
        QCOMPARE(m_shell->docFlags(), (QList<int>{1, 1, agree ? 0 : 1}));
    }

    void failedOpenKeepsNameAndCaption()
    {
        const QString named = m_shell->path(QStringLiteral("current.pgt"));
        nameDocument(named);
        const QString empty = m_shell->path(QStringLiteral("empty.pgt"));
        QVERIFY(writeFile(empty, QByteArray()));
        ModalScript script;
        script.typePath(empty);
        QCOMPARE(run(script, m_frame->Close1), QStringList());

        // The file is named with the reason, under the reader's caption.
        QCOMPARE(m_shell->recorder.messages.last(),
                 FeedbackRecorder::Message(QStringLiteral("empty.pgt: Bad file header"),
                                           QStringLiteral("O-o-o-ps")));
        QCOMPARE(m_shell->shell.docFileName, named);
        QCOMPARE(m_frame->Form6->windowTitle(), named);
        // The document in hand stays open.
        QCOMPARE(m_shell->docFlags(), (QList<int>{1, 1, 0}));
    }

    void cancelledOpenKeepsTheDocument()
    {
        placeNumber();
        ModalScript script;
        script.expect("TForm3", answerSave(false));
        script.cancel("QFileDialog");
        QCOMPARE(run(script, m_frame->Close1), QStringList());

        // As it was: open, modified, and asked about again when it goes.
        QCOMPARE(m_shell->docFlags(), (QList<int>{1, 0, 1}));
        QCOMPARE(m_shell->doc().count(), 1);
        m_frame->updateMenuState();
        QVERIFY(m_frame->Close2->isEnabled());
    }

    void closeCommand()
    {
        m_shell->editor.replace(oneNumber());
        m_frame->Form6->setWindowTitle(QStringLiteral("/some/file.pgt"));
        m_frame->Close2->trigger();

        QCOMPARE(m_shell->docFlags(), (QList<int>{0, 0, 0}));
        QCOMPARE(m_shell->doc().count(), 0);
        QVERIFY(!m_frame->Close2->isEnabled());
        QVERIFY(!m_frame->Form2->isVisible());
        QVERIFY(!m_frame->ObjectProperties1->isChecked());
        // The window stays, with its caption.
        QVERIFY(m_frame->Form6->isVisible());
        QCOMPARE(m_frame->Form6->windowTitle(), QStringLiteral("/some/file.pgt"));

        // New opens a document in the same window.
        m_frame->Quit1->trigger();
        QCOMPARE(m_shell->shell.docOpen, 1);
        QVERIFY(m_frame->Close2->isEnabled());
        QCOMPARE(m_frame->mdiArea->subWindowList().size(), 1);
    }

    void quitEnds_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::newRow("unchanged: no question") << false;
        QTest::newRow("changed, answered No") << true;
    }

    void quitEnds()
    {
        QFETCH(bool, modified);
        ModalScript script;
        if (modified) {
            placeNumber();
            script.expect("TForm3", answerSave(false));
        }
        QCOMPARE(run(script, m_frame->Quit2), QStringList());
        QVERIFY(!m_frame->isVisible());
        QCOMPARE(m_shell->shell.docOpen, 0);
        QCOMPARE(m_shell->files(), QStringList{"pgtpc.ini"});
    }

    void closeBoxOffersToSave()
    {
        placeNumber();
        bool closed = true;
        ModalScript keep;
        keep.expect("TForm3", answerSave(true)).cancel("QFileDialog");
        QCOMPARE(keep.run([&] { closed = m_frame->close(); }), QStringList());
        QVERIFY(!closed);
        QVERIFY(m_frame->isVisible());
        QCOMPARE(m_shell->shell.docModified, 1);

        const QString path = m_shell->path(QStringLiteral("at close"));
        ModalScript save;
        save.expect("TForm3", answerSave(true)).typePath(path);
        QCOMPARE(save.run([&] { closed = m_frame->close(); }), QStringList());
        QVERIFY(closed);
        QVERIFY(!m_frame->isVisible());
        QCOMPARE(readFile(path + QStringLiteral(".pgt")).size(), oneObjectFileSize);
    }

    void pagesBox()
    {
        activateFrame();
        QLineEdit *pages = m_frame->pages;
        pages->setFocus();
        const auto type = [pages](const QString &text, Qt::Key enter) {
            pages->selectAll();
            QTest::keyClicks(pages, text);
            if (enter != Qt::Key_unknown)
                QTest::keyClick(pages, enter);
        };

        // Not a number: the error is shown and nothing changes.
        type(QStringLiteral("abc"), Qt::Key_Return);
        QTRY_COMPARE(m_shell->recorder.errors(),
                     QStringList{"'abc' is not a valid floating point value"});
        QCOMPARE(m_shell->doc().pagesToPrint, 1);
        QCOMPARE(pages->text(), QStringLiteral("abc"));
        QCOMPARE(QApplication::focusWidget(), pages);
        QCOMPARE(m_shell->shell.docModified, 0);

        type(QStringLiteral("12.9"), Qt::Key_Return);
        QTRY_COMPARE(m_shell->doc().pagesToPrint, 12);
        QCOMPARE(pages->text(), QStringLiteral("12"));
        QCOMPARE(QApplication::focusWidget(), m_frame->mode);
        QCOMPARE(m_shell->shell.docModified, 1);

        // Typed without Enter: not taken over.
        pages->setFocus();
        type(QStringLiteral("7"), Qt::Key_unknown);
        QCOMPARE(m_shell->doc().pagesToPrint, 12);

        // No range check; keypad Enter works too.
        type(QStringLiteral("-2.5"), Qt::Key_Enter);
        QTRY_COMPARE(m_shell->doc().pagesToPrint, -2);
        QCOMPARE(pages->text(), QStringLiteral("-2"));
    }

    void pageBox()
    {
        Document doc = oneNumber();
        doc.pagesToPrint = 3;
        m_shell->editor.replace(doc);
        m_frame->Form6->present(QImage());
        m_frame->page->setValue(5);
        QCOMPARE(m_shell->doc().pageShown, 3);
        QCOMPARE(m_frame->page->value(), 3);
        QCOMPARE(m_frame->page->text(), QStringLiteral("3"));
        QVERIFY(!m_frame->Form6->presentedImage().isNull());

        m_frame->page->setValue(2);
        QCOMPARE(m_shell->doc().pageShown, 2);

        // Enter takes the box's value as it stands, which can exceed the pages
        // to print when that number shrank later, and shows that page.
        {
            const QSignalBlocker blocker(m_frame->page);
            m_frame->page->setValue(7);
        }
        m_frame->Form6->present(QImage());
        QTest::keyClick(m_frame->page, Qt::Key_Return);
        QCOMPARE(m_shell->doc().pageShown, 7);
        QVERIFY(!m_frame->Form6->presentedImage().isNull());

        // No pages to print: the box stays in its range.
        m_frame->pages->setText(QStringLiteral("0"));
        QTest::keyClick(m_frame->pages, Qt::Key_Return);
        QCOMPARE(m_shell->doc().pagesToPrint, 0);
        m_frame->page->setValue(4);
        QCOMPARE(m_shell->doc().pageShown, 0);
        QCOMPARE(m_frame->page->value(), 1);
    }

    void linkOverlayFollowsModeAndShowLinks()
    {
        // Two linked numbers: the overlay draws a line between them.
        Document doc = emptyDocument(20);
        const int first = addNumber(doc, 50, 50, 125, 5);
        const int second = addNumber(doc, 200, 200, 126, 5);
        linkObjects(doc, 0, {first, second});
        m_shell->editor.replace(doc);
        QCoreApplication::processEvents();
        m_frame->renderScreen();
        const QImage plain = m_frame->Form6->presentedImage();

        // The Tools item does not redraw; the button does.
        m_frame->LinkMode1->trigger();
        QCOMPARE(m_frame->Form6->presentedImage(), plain);
        m_frame->main->click();
        QTest::mouseClick(m_frame->link, Qt::LeftButton);
        const QImage linked = m_frame->Form6->presentedImage();
        QVERIFY(linked != plain);
        QTest::mouseClick(m_frame->main, Qt::LeftButton);
        QCOMPARE(m_frame->Form6->presentedImage(), plain);

        // Show Links draws them in every mode, at once.
        m_frame->ShowLinks1->trigger();
        QVERIFY(m_frame->ShowLinks1->isChecked());
        QCOMPARE(m_shell->prefs.showLinks, 1);
        QCOMPARE(m_frame->Form6->presentedImage(), linked);

        m_frame->ShowLinks1->trigger();
        QVERIFY(!m_frame->ShowLinks1->isChecked());
        QCOMPARE(m_shell->prefs.showLinks, 0);
        QCOMPARE(m_frame->Form6->presentedImage(), plain);
        // Stored only by the preferences dialog's OK.
        QCOMPARE(readFile(m_shell->path(QStringLiteral("pgtpc.ini"))).mid(152, 4),
                 QByteArray(4, '\0'));
    }

    void objectPropertiesItemFollowsWindow()
    {
        QVERIFY(m_frame->ObjectProperties1->isChecked());
        m_frame->ObjectProperties1->trigger();
        QVERIFY(!m_frame->Form2->isVisible());
        QVERIFY(!m_frame->ObjectProperties1->isChecked());

        m_frame->ObjectProperties1->trigger();
        QVERIFY(m_frame->Form2->isVisible());
        QVERIFY(m_frame->ObjectProperties1->isChecked());

        // Closing the window itself removes the tick.
        m_frame->Form2->close();
        QVERIFY(!m_frame->ObjectProperties1->isChecked());
    }

    // File > Open with a path typed into the name box key by key, then Enter.
    // The folder is new to the dialog, so its names arrive from the
    // background only after the dialog has closed, as from a slow disk. The
    // next time the dialog runs, the box lists matching names again. The save
    // dialog is run by the same code.
    void typedPathLeavesNoListOverTheFrame()
    {
        const QFileDialog *dialog = m_frame->fileDialogs->OpenDialog1;
        const QString folder = m_shell->path(QStringLiteral("fresh"));
        const QString path = folder + QStringLiteral("/doc.pgt");
        QVERIFY(QDir().mkpath(folder));
        for (const QString &name : {path, folder + QStringLiteral("/doc copy.pgt")})
            QVERIFY(writeFile(name, documentHeader(1, 4)));
        QSignalSpy loaded(dialog->findChild<QFileSystemModel *>(),
                          &QFileSystemModel::directoryLoaded);
        activateFrame();

        ModalScript typed;
        typed.expect("QFileDialog", [&path](QWidget *modal) {
            typeIntoNameBox(modal, path);
            QTest::keyClick(modal->windowHandle(), Qt::Key_Return);
        });
        QCOMPARE(run(typed, m_frame->Close1), QStringList());
        QCOMPARE(m_shell->shell.docFileName, path);
        QTRY_VERIFY(loaded.contains(QVariantList{folder}));
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        // The next key reaches the frame through its window, as the user's does.
        m_frame->pages->setFocus();
        m_frame->pages->selectAll();
        QTest::keyClick(m_frame->windowHandle(), Qt::Key_7);
        QCOMPARE(m_frame->pages->text(), QStringLiteral("7"));

        bool listed = false;
        ModalScript again;
        // Open takes the 7 over first: a change, offered to be saved.
        again.expect("TForm3", answerSave(false));
        again.expect("QFileDialog", [&](QWidget *modal) {
            typeIntoNameBox(modal, folder + QStringLiteral("/do"));
            listed = QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; });
            qobject_cast<QDialog *>(modal)->reject();
        });
        QCOMPARE(run(again, m_frame->Close1), QStringList());
        QVERIFY(listed);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
    }

    void help()
    {
        const FeedbackRecorder::Message notFound(QStringLiteral("Can't find Read Me files"),
                                                 QString());
        QVERIFY(QDir::setCurrent(m_shell->dir.path()));
        const QString readMe = QStringLiteral("/paginette_readme/pgt_readme.htm");
        const QString programDir = QCoreApplication::applicationDirPath();
        const bool installedElsewhere =
            QFileInfo::exists(programDir + readMe) ||
            QFileInfo::exists(programDir + QStringLiteral("/../share/paginette") + readMe);
        if (!installedElsewhere) {
            m_frame->Help2->trigger();
            QVERIFY(m_shell->opened.isEmpty());
            QCOMPARE(m_shell->recorder.messages.last(), notFound);

            // Found from the program's folder where an install puts it; taken
            // away again before anything is checked.
            QDir share(programDir + QStringLiteral("/../share"));
            const QString installed = share.filePath(QStringLiteral("paginette") + readMe);
            const bool written = share.mkpath(QStringLiteral("paginette/paginette_readme")) &&
                                 writeFile(installed, "<html></html>");
            m_frame->Help2->trigger();
            QDir(share.filePath(QStringLiteral("paginette"))).removeRecursively();
            share.rmdir(share.absolutePath());
            QVERIFY(written);
            QCOMPARE(QDir::cleanPath(m_shell->opened.value(0).toLocalFile()),
                     QDir::cleanPath(installed));
        }

        // Found in the current folder first; F1 opens it too.
        QVERIFY(QDir(m_shell->dir.path()).mkpath(QStringLiteral("paginette_readme")));
        const QString local = m_shell->dir.path() + readMe;
        QVERIFY(writeFile(local, "<html><head><title>Read me</title></head></html>"));
        m_shell->recorder.messages.clear();
        m_shell->opened.clear();
        activateFrame();
        QTest::keyClick(m_frame->windowHandle(), Qt::Key_F1);
        QCOMPARE(m_shell->opened, QList<QUrl>{QUrl::fromLocalFile(local)});
        QVERIFY(!m_frame->helpWindow->isVisible());

        // A desktop without a browser for it: the program shows it itself.
        m_shell->openSucceeds = false;
        m_frame->Help2->trigger();
        const HelpWindow *window = m_frame->helpWindow;
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Paginette Help"));
        QCOMPARE(window->browser->documentTitle(), QStringLiteral("Read me"));
        QVERIFY(m_shell->recorder.messages.isEmpty());
    }

    void modalWindowsOfTheMenu()
    {
        m_frame->AboutPaginette1->trigger();
        m_frame->Preferences1->trigger();
        QCOMPARE(m_shell->modals, QList<QByteArray>({"TForm7", "TForm7", "TForm11"}));

        // Create Matrix checks the selection itself, whatever the item's state.
        Document doc = oneNumber();
        addNumber(doc, 10, 100, 200, 5);
        m_shell->editor.replace(doc);
        for (const int count : {0, 2, 1}) {
            m_shell->editor.select([count](Document &marked) {
                for (int i = 0; i < marked.count(); ++i)
                    marked.objects[i].selected = i < count ? 1 : 0;
            });
            m_frame->CreateMatrix1->setEnabled(true);
            m_frame->CreateMatrix1->trigger();
        }
        QCOMPARE(m_shell->modals.size(), 4);
        QCOMPARE(m_shell->modals.last(), QByteArray("TForm10"));
    }
};

PAGINETTE_APP_TEST_MAIN(TestCommands)
#include "tst_commands.moc"
