#include "apptestmain.h"
#include "desktopbrowser.h"
#include "dialogs/helpwindow.h"
#include "dialogs/messagedialog.h"
#include "documentbuilder.h"
#include "documentwindow.h"
#include "file/documentfile.h"
#include "filebytes.h"
#include "filedialogs.h"
#include "filenames.h"
#include "modalscript.h"
#include "objecttable.h"
#include "pagespinbox.h"
#include "properties/objectpropertieswindow.h"
#include "shellfixture.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
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
        auto *dialog = qobject_cast<MessageDialog *>(modal);
        if (question)
            *question = dialog->firstLine->text();
        if (save)
            dialog->okButton->click();
        else
            dialog->noButton->click();
    };
}

// Types `text` over the file dialog's name box, key by key through the
// dialog's window as the user's keys come: to the list of names while it is up.
void typeIntoNameBox(QWidget *fileDialog, const QString &text)
{
    // Keys reach a dialog once it is the active window, as the user's do. The
    // window system says so a while after the dialog shows, and a list of
    // names up by then keeps the main window active, taking the keys; nor
    // will qWaitForWindowActive() do: it counts a dialog active with its parent.
    QTRY_COMPARE(QApplication::activeWindow(), fileDialog);
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
        m_shell->session.docNamed = true;
        m_shell->session.docFileName = path;
        m_frame->updateMenuState();
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
        // The splash comes over the program, on screen and usable at once.
        QCOMPARE(m_shell->splashes, QList<bool>{true});
        QCOMPARE(m_shell->modals, QList<QByteArray>());
        QVERIFY(m_frame->isEnabled());
        QVERIFY(m_frame->isVisible());

        DocumentWindow *window = documentWindow();
        QVERIFY(window);
        QCOMPARE(shownTitle(), titleOf(QStringLiteral("Untitled")));
        QVERIFY(window->isVisible());
        QCOMPARE(m_frame->mdiArea()->subWindowList().size(), 1);
        QVERIFY(m_frame->mdiArea()->subWindowList().first()->isMaximized());
        QVERIFY(objectProperties()->isVisible());
        QVERIFY(action("objectPropertiesAction")->isChecked());
        QVERIFY(!action("showLinksAction")->isChecked());

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
        objectProperties()->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), objectProperties());
        window->present(QImage());
        activateFrame();
        QVERIFY(!window->presentedImage().isNull());
    }

    void newDocument()
    {
        Document doc = oneNumber();
        doc.pagesToPrint = 9;
        m_shell->editor.replace(doc);
        QCOMPARE(pagesEdit()->text(), QStringLiteral("9"));
        const QString old = m_shell->path(QStringLiteral("old.pgt"));
        nameDocument(old);

        ModalScript none;
        QCOMPARE(run(none, action("newAction")), QStringList());
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, false, false}));
        QCOMPARE(m_shell->doc().count(), 0);
        QCOMPARE(m_shell->doc().pagesToPrint, 1);
        QCOMPARE(pagesEdit()->text(), QStringLiteral("1"));
        // The new document is untitled.
        QCOMPARE(shownTitle(), titleOf(QStringLiteral("Untitled")));
        QVERIFY(objectProperties()->isVisible());
    }

    void newAsksBeforeDroppingChanges()
    {
        placeNumber();
        QString question;
        ModalScript script;
        script.expect("MessageDialog", answerSave(false, &question));
        QCOMPARE(run(script, action("newAction")), QStringList());

        QCOMPARE(question, QStringLiteral("Save changes before close?"));
        QCOMPARE(m_shell->doc().count(), 0);
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, false, false}));
        QCOMPARE(m_shell->files(), QStringList{"pgtpc.ini"});
    }

    void savingCancelledKeepsTheDocument_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("escape"); // at the question, else OK and a cancelled save dialog
        for (const bool escape : {false, true}) {
            const char *how = escape ? "Escape at the question" : "save dialog cancelled";
            QTest::addRow("New, %s", how) << "newAction" << escape;
            QTest::addRow("Open, %s", how) << "openAction" << escape;
            QTest::addRow("Close, %s", how) << "closeAction" << escape;
            QTest::addRow("Quit, %s", how) << "quitAction" << escape;
        }
    }

    void savingCancelledKeepsTheDocument()
    {
        QFETCH(QString, command);
        QFETCH(bool, escape);
        placeNumber();
        ModalScript script;
        if (escape)
            script.expect("MessageDialog",
                          [](QWidget *dialog) { typeKey(dialog, Qt::Key_Escape); });
        else
            script.expect("MessageDialog", answerSave(true)).cancel("QFileDialog");
        QCOMPARE(run(script, m_frame->findChild<QAction *>(command)), QStringList());

        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, false, true}));
        QCOMPARE(m_shell->doc().count(), 1);
        QVERIFY(m_frame->isVisible());
        QCOMPARE(shownTitle(), titleOf(QStringLiteral("Untitled*")));
        QCOMPARE(m_shell->files(), QStringList{"pgtpc.ini"});
    }

    void promptSavesNamedDocumentWithoutDialog()
    {
        const QString path = m_shell->path(QStringLiteral("named.pgt"));
        nameDocument(path);
        placeNumber();
        ModalScript script;
        script.expect("MessageDialog", answerSave(true));
        QCOMPARE(run(script, action("newAction")), QStringList());

        QCOMPARE(readFile(path).size(), oneObjectFileSize);
        QCOMPARE(m_shell->doc().count(), 0);
        QVERIFY(!m_shell->session.docModified);
    }

    void saveOfNewDocumentWrites48Bytes()
    {
        const QString typed = m_shell->path(QStringLiteral("first"));
        const QString written = typed + QStringLiteral(".pgt");
        ModalScript script;
        script.typePath(typed);
        QCOMPARE(run(script, action("saveAction")), QStringList());

        QCOMPARE(readFile(written), documentHeader(1, 1));
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, true, false}));
        QCOMPARE(m_shell->session.docFileName, written);
        QCOMPARE(shownTitle(), titleOf(written));
        // Named and unmodified: nothing to save until the next edit.
        QVERIFY(!action("saveAction")->isEnabled());
        placeNumber();
        QVERIFY(action("saveAction")->isEnabled());
    }

    void saveDialogSuggestsNumberThenLastName()
    {
        QString title;
        QString first;
        QString second;
        ModalScript chosen;
        chosen.expect("QFileDialog",
                      noteSuggestion(first, title, m_shell->path(QStringLiteral("chosen"))));
        QCOMPARE(run(chosen, action("saveAsAction")), QStringList());
        QCOMPARE(title, QStringLiteral("Save Paginette file"));
        QCOMPARE(first, QStringLiteral("number"));

        ModalScript cancelled;
        cancelled.expect("QFileDialog", noteSuggestion(second, title, QString()));
        QCOMPARE(run(cancelled, action("saveAsAction")), QStringList());
        QCOMPARE(second, QStringLiteral("chosen.pgt"));
        // The cancelled dialog changed nothing.
        QCOMPARE(m_shell->session.docFileName, m_shell->path(QStringLiteral("chosen.pgt")));
    }

    void saveAsThenSaveWritesWithoutDialog()
    {
        const QString path = m_shell->path(QStringLiteral("as.pgt"));
        QVERIFY(writeFile(path, QByteArray(5000, 'x')));
        ModalScript saveAs;
        saveAs.typePath(path);
        QCOMPARE(run(saveAs, action("saveAsAction")), QStringList());
        // Replaced without a question.
        QCOMPARE(readFile(path).size(), 48);
        QVERIFY(m_shell->session.docNamed);
        QCOMPARE(shownTitle(), titleOf(path));

        placeNumber();
        ModalScript none;
        QCOMPARE(run(none, action("saveAction")), QStringList());
        QCOMPARE(readFile(path).size(), oneObjectFileSize);
        QVERIFY(!m_shell->session.docModified);
    }

    void failedSaveKeepsNameAndModified()
    {
        const QString named = m_shell->path(QStringLiteral("kept.pgt"));
        nameDocument(named);
        placeNumber();
        const QString unreachable = m_shell->path(QStringLiteral("no/such/folder/doc.pgt"));
        ModalScript saveAs;
        saveAs.typePath(unreachable);
        QCOMPARE(run(saveAs, action("saveAsAction")), QStringList());
        QCOMPARE(m_shell->recorder.captions(), QStringList({"File", "Error"}));
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, true, true}));
        QCOMPARE(m_shell->session.docFileName, named);
        QCOMPARE(shownTitle(), titleOf(named + u'*'));

        // Save of an unnamed document that fails leaves it unnamed.
        m_shell->session.docNamed = false;
        ModalScript save;
        save.typePath(unreachable);
        QCOMPARE(run(save, action("saveAction")), QStringList());
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, false, true}));
        QCOMPARE(m_shell->session.docFileName, named);

        // And a named one stays modified.
        nameDocument(unreachable);
        ModalScript none;
        QCOMPARE(run(none, action("saveAction")), QStringList());
        QVERIFY(m_shell->session.docModified);
        QVERIFY(action("saveAction")->isEnabled());
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
            QCOMPARE(run(script, action("openAction")), QStringList());
        }

        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, true, false}));
        QCOMPARE(m_shell->session.docFileName, path);
        QCOMPARE(shownTitle(), titleOf(path));
        QCOMPARE(m_shell->doc().pagesToPrint, 3);
        QCOMPARE(m_shell->doc().pageShown, 2);
        // The boxes show the values of the opened document.
        QCOMPARE(pagesEdit()->text(), QStringLiteral("3"));
        QCOMPARE(pageSpinBox()->value(), 2);
        QVERIFY(action("closeAction")->isEnabled());
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
        pagesEdit()->setFocus();
        pagesEdit()->selectAll();
        QTest::keyClicks(pagesEdit(), QStringLiteral("7"));
        QCOMPARE(m_shell->doc().pagesToPrint, 1);
        if (then == QLatin1String("Enter"))
            QTest::keyClick(pagesEdit(), Qt::Key_Return);
        else if (then == QLatin1String("focus"))
            pageSpinBox()->setFocus();
        else
            QTest::keyClick(pagesEdit(), Qt::Key_F1);

        // What the box shows is what the next command uses.
        QCOMPARE(m_shell->doc().pagesToPrint, 7);
        QCOMPARE(pagesEdit()->text(), QStringLiteral("7"));
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
        QCOMPARE(run(script, action("openAction")), QStringList());

        QCOMPARE(m_shell->recorder.messages.last(),
                 FeedbackRecorder::Message("This document holds 25 objects; the room for objects "
                                           "is now 25 for this session.",
                                           "Max Number of Objects"));
        QCOMPARE(m_shell->doc().count(), 25);
        m_shell->editor.edit(QStringLiteral("Pages"), [](Document &d) { d.pagesToPrint = 2; });
        QCOMPARE(run(script, action("saveAction")), QStringList());
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
        QCOMPARE(run(script, action("openAction")), QStringList());
        QCOMPARE(m_shell->recorder.captions().last(), QStringLiteral("Number Formats"));

        m_shell->editor.edit(QStringLiteral("Format"), [](Document &doc) {
            doc.objects[0].format.prefix = QStringLiteral("No. ");
        });
        m_shell->recorder.answer = agree;
        QCOMPARE(run(script, action("saveAction")), QStringList());

        QCOMPARE(
            m_shell->recorder.questions,
            (QList<FeedbackRecorder::Message>{
                {"Save without the number formats that could not be read?", "Number Formats"}}));
        QCOMPARE(readFile(path) == damaged, !agree);
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, true, !agree}));
    }

    void failedOpenKeepsNameAndCaption()
    {
        const QString named = m_shell->path(QStringLiteral("current.pgt"));
        nameDocument(named);
        const QString empty = m_shell->path(QStringLiteral("empty.pgt"));
        QVERIFY(writeFile(empty, QByteArray()));
        ModalScript script;
        script.typePath(empty);
        QCOMPARE(run(script, action("openAction")), QStringList());

        // The file is named with the reason, under the reader's caption.
        QCOMPARE(m_shell->recorder.messages.last(),
                 FeedbackRecorder::Message(QStringLiteral("empty.pgt: Bad file header"),
                                           QStringLiteral("O-o-o-ps")));
        QCOMPARE(m_shell->session.docFileName, named);
        QCOMPARE(shownTitle(), titleOf(named));
        // The document in hand stays open.
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, true, false}));
    }

    void cancelledOpenKeepsTheDocument()
    {
        placeNumber();
        ModalScript script;
        script.expect("MessageDialog", answerSave(false));
        script.cancel("QFileDialog");
        QCOMPARE(run(script, action("openAction")), QStringList());

        // As it was: open, modified, and asked about again when it goes.
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, false, true}));
        QCOMPARE(m_shell->doc().count(), 1);
        m_frame->updateMenuState();
        QVERIFY(action("closeAction")->isEnabled());
    }

    void closeCommand()
    {
        m_shell->editor.replace(oneNumber());
        documentWindow()->setWindowTitle(QStringLiteral("/some/file.pgt"));
        action("closeAction")->trigger();

        QCOMPARE(m_shell->docFlags(), (QList<bool>{false, false, false}));
        QCOMPARE(m_shell->doc().count(), 0);
        QVERIFY(!action("closeAction")->isEnabled());
        QVERIFY(!objectProperties()->isVisible());
        QVERIFY(!action("objectPropertiesAction")->isChecked());
        // The window stays, untitled.
        QVERIFY(documentWindow()->isVisible());
        QCOMPARE(shownTitle(), titleOf(QStringLiteral("Untitled")));

        // New opens a document in the same window.
        action("newAction")->trigger();
        QCOMPARE(m_shell->session.docOpen, 1);
        QVERIFY(action("closeAction")->isEnabled());
        QCOMPARE(m_frame->mdiArea()->subWindowList().size(), 1);
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
            script.expect("MessageDialog", answerSave(false));
        }
        QCOMPARE(run(script, action("quitAction")), QStringList());
        QVERIFY(!m_frame->isVisible());
        QCOMPARE(m_shell->session.docOpen, 0);
        QCOMPARE(m_shell->files(), QStringList{"pgtpc.ini"});
    }

    void closeBoxOffersToSave()
    {
        placeNumber();
        bool closed = true;
        ModalScript keep;
        keep.expect("MessageDialog", answerSave(true)).cancel("QFileDialog");
        QCOMPARE(keep.run([&] { closed = m_frame->close(); }), QStringList());
        QVERIFY(!closed);
        QVERIFY(m_frame->isVisible());
        QVERIFY(m_shell->session.docModified);

        const QString path = m_shell->path(QStringLiteral("at close"));
        ModalScript save;
        save.expect("MessageDialog", answerSave(true)).typePath(path);
        QCOMPARE(save.run([&] { closed = m_frame->close(); }), QStringList());
        QVERIFY(closed);
        QVERIFY(!m_frame->isVisible());
        QCOMPARE(readFile(path + QStringLiteral(".pgt")).size(), oneObjectFileSize);
    }

    void pagesBox()
    {
        activateFrame();
        QLineEdit *pages = pagesEdit();
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
        QVERIFY(!m_shell->session.docModified);

        type(QStringLiteral("12.9"), Qt::Key_Return);
        QTRY_COMPARE(m_shell->doc().pagesToPrint, 12);
        QCOMPARE(pages->text(), QStringLiteral("12"));
        QCOMPARE(QApplication::focusWidget(), child<QLabel>("modeLabel"));
        QVERIFY(m_shell->session.docModified);

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
        documentWindow()->present(QImage());
        pageSpinBox()->setValue(5);
        QCOMPARE(m_shell->doc().pageShown, 3);
        QCOMPARE(pageSpinBox()->value(), 3);
        QCOMPARE(pageSpinBox()->text(), QStringLiteral("3"));
        QVERIFY(!documentWindow()->presentedImage().isNull());

        pageSpinBox()->setValue(2);
        QCOMPARE(m_shell->doc().pageShown, 2);

        // Enter takes the box's value as it stands, which can exceed the pages
        // to print when that number shrank later, and shows that page.
        {
            const QSignalBlocker blocker(pageSpinBox());
            pageSpinBox()->setValue(7);
        }
        documentWindow()->present(QImage());
        QTest::keyClick(pageSpinBox(), Qt::Key_Return);
        QCOMPARE(m_shell->doc().pageShown, 7);
        QVERIFY(!documentWindow()->presentedImage().isNull());

        // No pages to print: the box stays in its range.
        pagesEdit()->setText(QStringLiteral("0"));
        QTest::keyClick(pagesEdit(), Qt::Key_Return);
        QCOMPARE(m_shell->doc().pagesToPrint, 0);
        pageSpinBox()->setValue(4);
        QCOMPARE(m_shell->doc().pageShown, 0);
        QCOMPARE(pageSpinBox()->value(), 1);
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
        const QImage plain = documentWindow()->presentedImage();

        // The Tools item does not redraw; the button does.
        action("linkModeAction")->trigger();
        QCOMPARE(documentWindow()->presentedImage(), plain);
        child<QToolButton>("mainModeButton")->click();
        QTest::mouseClick(child<QToolButton>("linkModeButton"), Qt::LeftButton);
        const QImage linked = documentWindow()->presentedImage();
        QVERIFY(linked != plain);
        QTest::mouseClick(child<QToolButton>("mainModeButton"), Qt::LeftButton);
        QCOMPARE(documentWindow()->presentedImage(), plain);

        // Show Links draws them in every mode, at once.
        action("showLinksAction")->trigger();
        QVERIFY(action("showLinksAction")->isChecked());
        QCOMPARE(m_shell->prefs.showLinks, 1);
        QCOMPARE(documentWindow()->presentedImage(), linked);

        action("showLinksAction")->trigger();
        QVERIFY(!action("showLinksAction")->isChecked());
        QCOMPARE(m_shell->prefs.showLinks, 0);
        QCOMPARE(documentWindow()->presentedImage(), plain);
        // Stored only by the preferences dialog's OK.
        QCOMPARE(readFile(m_shell->path(QStringLiteral("pgtpc.ini"))).mid(152, 4),
                 QByteArray(4, '\0'));
    }

    void objectPropertiesItemFollowsWindow()
    {
        QVERIFY(action("objectPropertiesAction")->isChecked());
        action("objectPropertiesAction")->trigger();
        QVERIFY(!objectProperties()->isVisible());
        QVERIFY(!action("objectPropertiesAction")->isChecked());

        action("objectPropertiesAction")->trigger();
        QVERIFY(objectProperties()->isVisible());
        QVERIFY(action("objectPropertiesAction")->isChecked());

        // Closing the window itself removes the tick.
        objectProperties()->close();
        QVERIFY(!action("objectPropertiesAction")->isChecked());
    }

    // File > Open with a path typed into the name box key by key, then Enter.
    // The folder is new to the dialog, so its names arrive from the
    // background only after the dialog has closed, as from a slow disk. The
    // next time the dialog runs, the box lists matching names again. The save
    // dialog is run by the same code.
    void typedPathLeavesNoListOverTheFrame()
    {
        const QFileDialog *dialog = child<QFileDialog>("openDialog");
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
        QCOMPARE(run(typed, action("openAction")), QStringList());
        QCOMPARE(m_shell->session.docFileName, path);
        QTRY_VERIFY(loaded.contains(QVariantList{folder}));
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        // The next key reaches the frame through its window, as the user's does.
        activateFrame();
        pagesEdit()->setFocus();
        pagesEdit()->selectAll();
        QTest::keyClick(m_frame->windowHandle(), Qt::Key_7);
        QCOMPARE(pagesEdit()->text(), QStringLiteral("7"));

        bool listed = false;
        ModalScript again;
        // File > Open by its letters, as the user's keys come: the menu takes
        // the 7 over first, a change, offered to be saved.
        again.expect("MessageDialog", answerSave(false));
        again.expect("QFileDialog", [&](QWidget *modal) {
            typeIntoNameBox(modal, folder + QStringLiteral("/do"));
            listed = QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; });
            qobject_cast<QDialog *>(modal)->reject();
        });
        QCOMPARE(again.run([this] {
            QTest::keyClick(m_frame->windowHandle(), Qt::Key_F, Qt::AltModifier);
            QTRY_VERIFY(child<QMenu>("fileMenu")->isVisible());
            QTest::keyClick(m_frame->windowHandle(), Qt::Key_O);
        }),
                 QStringList());
        QVERIFY(listed);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
    }

    // Place Picture's list of names goes with its dialog, as File's does:
    // cancelled while the list is up, it leaves nothing over the frame to
    // take the next click.
    void pictureNameListGoesWithItsDialog()
    {
        const QString folder = m_shell->path(QStringLiteral("names"));
        QVERIFY(QDir().mkpath(folder));
        for (const char *name : {"doc.pgt", "doc.png"})
            QVERIFY(writeFile(folder + u'/' + QLatin1String(name), "x"));
        activateFrame();

        bool listed = false;
        bool answered = false;
        ModalScript script;
        script.expect("QFileDialog", [&](QWidget *modal) {
            typeIntoNameBox(modal, folder + QStringLiteral("/do"));
            listed = QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; });
            qobject_cast<QDialog *>(modal)->reject();
            answered = true;
        });
        QCOMPARE(script.run([&] {
            QTest::mouseClick(child<QToolButton>("placePictureButton"), Qt::LeftButton);
            // The dialog comes once the press on the page is handled.
            QTest::mouseClick(documentWindow(), Qt::LeftButton, Qt::NoModifier, QPoint(140, 140));
            QVERIFY(QTest::qWaitFor([&answered] { return answered; }));
        }),
                 QStringList());
        QVERIFY(listed);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QTest::mouseClick(child<QToolButton>("placeNumberButton"), Qt::LeftButton);
        QVERIFY(placing(KindNumber));
    }

    // A name that is not UTF-8, as the command line gives it, opens the file
    // it names and is saved back to it, never to the twin Qt reads it as.
    void aNonUtf8NameOpensAndSavesItsOwnFile()
    {
        const QByteArray bytes = QByteArray("doc") + '\xff' + ".pgt";
        const QString name = m_shell->path(fileNameFromNative(bytes));
        const QString twin = m_shell->path(QString::fromUtf8(bytes));
        QVERIFY(writeFile(twin, documentHeader(1, 3)));
        QCOMPARE(::rename(QFile::encodeName(twin).constData(), nativeFileName(name).constData()),
                 0);
        QVERIFY(writeFile(twin, documentHeader(1, 5)));
        ModalScript none;
        QCOMPARE(none.run([&] { m_frame->openDocument(name); }), QStringList());
        QCOMPARE(m_shell->doc().pagesToPrint, 3);
        QCOMPARE(m_shell->session.docFileName, name);
        QCOMPARE(shownTitle(), titleOf(twin));

        placeNumber();
        QCOMPARE(run(none, action("saveAction")), QStringList());
        QVERIFY(!m_shell->session.docModified);
        QFile saved;
        QCOMPARE(openForReading(saved, name), QString());
        QCOMPARE(saved.readAll().size(), oneObjectFileSize);
        QCOMPARE(readFile(twin), documentHeader(1, 5));
    }

    // A file dialog shows a name that is not UTF-8 as Qt reads it, and gives
    // it so: chosen there, it is refused, and nothing is opened, saved or
    // placed, the twin of that name least of all.
    void aFileDialogRefusesANameItCannotPassOn_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("File > Open") << "open";
        QTest::newRow("File > Save As") << "save as";
        QTest::newRow("Place Picture") << "picture";
    }

    void aFileDialogRefusesANameItCannotPassOn()
    {
        QFETCH(QString, command);
        const QByteArray bytes = QByteArray("doc") + '\xff' + ".pgt";
        const QString twin = m_shell->path(QString::fromUtf8(bytes));
        QVERIFY(writeFile(twin, documentHeader(2, 4)));
        QCOMPARE(::rename(QFile::encodeName(twin).constData(),
                          nativeFileName(m_shell->path(fileNameFromNative(bytes))).constData()),
                 0);
        QVERIFY(writeFile(twin, documentHeader(2, 4)));
        const Document before = m_shell->doc();
        activateFrame();

        ModalScript script;
        script.typePath(twin);
        QCOMPARE(script.run([&] {
            if (command == QLatin1String("picture")) {
                QTest::mouseClick(child<QToolButton>("placePictureButton"), Qt::LeftButton);
                QTest::mouseClick(documentWindow(), Qt::LeftButton, Qt::NoModifier,
                                  QPoint(140, 140));
                // The dialog comes once the press on the page is handled.
                QVERIFY(QTest::qWaitFor([this] { return !m_shell->recorder.errors().isEmpty(); }));
            } else {
                action(command == QLatin1String("open") ? "openAction" : "saveAsAction")->trigger();
            }
        }),
                 QStringList());
        QCOMPARE(m_shell->recorder.errors(),
                 QStringList{twin + QStringLiteral(": the name is not UTF-8, and a file dialog "
                                                   "cannot pass such a name on. Rename the file "
                                                   "to use it here.")});
        QCOMPARE(documentDump(m_shell->doc()), documentDump(before));
        QVERIFY(!m_shell->session.docNamed);
        QCOMPARE(readFile(twin), documentHeader(2, 4));
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
            action("helpAction")->trigger();
            QVERIFY(m_shell->opened.isEmpty());
            QCOMPARE(m_shell->recorder.messages.last(), notFound);

            // Found from the program's folder where an install puts it; taken
            // away again before anything is checked.
            QDir share(programDir + QStringLiteral("/../share"));
            const QString installed = share.filePath(QStringLiteral("paginette") + readMe);
            const bool written = share.mkpath(QStringLiteral("paginette/paginette_readme")) &&
                                 writeFile(installed, "<html></html>");
            action("helpAction")->trigger();
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
        QVERIFY(!m_frame->findChild<HelpWindow *>());

        // A desktop without a browser for it: the program shows it itself.
        m_shell->openSucceeds = false;
        action("helpAction")->trigger();
        const HelpWindow *window = child<HelpWindow>("HelpWindow");
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Paginette Help"));
        QCOMPARE(window->browser->documentTitle(), QStringLiteral("Read me"));
        QVERIFY(m_shell->recorder.messages.isEmpty());
    }

    // The desktop's opener tells by its exit status whether it had a program
    // for the read-me; a desktop without an opener has none.
    void desktopWithoutABrowser_data()
    {
        QTest::addColumn<QByteArray>("opener"); // the script's body; empty: none
        QTest::addColumn<bool>("notOpened");
        QTest::newRow("a browser") << QByteArray("exit 0") << false;
        QTest::newRow("no program for it") << QByteArray("exit 3") << true;
        QTest::newRow("no opener") << QByteArray() << true;
    }

    void desktopWithoutABrowser()
    {
        QFETCH(QByteArray, opener);
        QFETCH(bool, notOpened);
        const QString bin = m_shell->path(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(bin));
        if (!opener.isEmpty()) {
            const QString script = bin + QStringLiteral("/xdg-open");
            QVERIFY(writeFile(script, "#!/bin/sh\n" + opener + "\n"));
            QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner));
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin));
        bool told = false;
        openInDesktop(m_frame, QUrl::fromLocalFile(m_shell->path(QStringLiteral("read.htm"))),
                      [&told] { told = true; });
        qputenv("PATH", path);
        // The opener goes once it has said.
        QTRY_VERIFY(!m_frame->findChild<QProcess *>());
        QCOMPARE(told, notOpened);
    }

    void modalWindowsOfTheMenu()
    {
        action("aboutAction")->trigger();
        action("preferencesAction")->trigger();
        QCOMPARE(m_shell->modals, QList<QByteArray>({"AboutDialog", "PreferencesDialog"}));

        // Create Matrix checks the selection itself, whatever the item's state.
        Document doc = oneNumber();
        addNumber(doc, 10, 100, 200, 5);
        m_shell->editor.replace(doc);
        for (const int count : {0, 2, 1}) {
            m_shell->editor.select([count](Selection &selection) {
                for (int i = 0; i < selection.count(); ++i)
                    selection.setMark(i, i < count ? 1 : 0);
            });
            action("createMatrixAction")->setEnabled(true);
            action("createMatrixAction")->trigger();
        }
        QCOMPARE(m_shell->modals.size(), 3);
        QCOMPARE(m_shell->modals.last(), QByteArray("CreateMatrixDialog"));
    }
};

PAGINETTE_APP_TEST_MAIN(TestCommands)
#include "tst_commands.moc"
