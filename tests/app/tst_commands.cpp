#include "apptestmain.h"
#include "modalscript.h"
#include "objecttable.h"
#include "pagerenderer.h"
#include "pagespinbox.h"
#include "shellfixture.h"
#include "tform2.h"
#include "tform3.h"
#include "tform6.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QtEndian>

#include <memory>

namespace {

QByteArray documentHeader(std::int32_t pageShown, std::int32_t pagesToPrint)
{
    QByteArray bytes(48, '\0');
    auto *data = reinterpret_cast<uchar *>(bytes.data());
    qToLittleEndian<quint16>(2, data);
    qToLittleEndian<quint16>(4, data + 4);
    qToLittleEndian<quint16>(1, data + 6);
    qToLittleEndian<qint32>(388, data + 8);
    qToLittleEndian<qint32>(pageShown, data + 20);
    qToLittleEndian<qint32>(pagesToPrint, data + 24);
    return bytes;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// An edit: one number placed, as the document window's editing does it.
void placeNumber()
{
    createObject(theDocument(), KindNumber, 100, 100);
    theShellState().docModified = 1;
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

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startUpShowsSplashAndDocumentWindow();
    void newDocument();
    void newAsksBeforeDroppingChanges();
    void savingCancelledKeepsTheDocument_data();
    void savingCancelledKeepsTheDocument();
    void promptSavesNamedDocumentWithoutDialog();
    void saveOfNewDocumentWrites48Bytes();
    void saveDialogSuggestsNumberThenLastName();
    void saveAsThenSaveWritesWithoutDialog();
    void failedSaveKeepsNameAndModified();
    void openShowsPathAsCaption();
    void failedOpenKeepsNameAndCaption();
    void cancelledOpenLeavesNoDocument();
    void closeCommand();
    void quitEnds_data();
    void quitEnds();
    void closeBoxOffersToSave();
    void pagesBox();
    void pageBox();
    void linkOverlayFollowsModeAndShowLinks();
    void objectPropertiesItemFollowsWindow();
    void help();
    void modalWindowsOfTheMenu();

private:
    // The Object Properties window may hold the activation after start-up.
    void activateFrame()
    {
        m_frame->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), m_frame);
    }

    std::unique_ptr<ShellFixture> m_shell;
    TForm1 *m_frame = nullptr;
    QString m_savedCurrent;
};

void TestCommands::init()
{
    m_savedCurrent = QDir::currentPath();
    m_shell = std::make_unique<ShellFixture>();
    m_frame = m_shell->frame.get();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame));
}

void TestCommands::cleanup()
{
    m_frame = nullptr;
    m_shell.reset();
    QDir::setCurrent(m_savedCurrent);
}

void TestCommands::startUpShowsSplashAndDocumentWindow()
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
    const Bounds32 &extent = theRenderState().pageExtent;
    QCOMPARE(extent.left, 0);
    QCOMPARE(extent.top, 0);
    QVERIFY2(extent.right > 7 * 360 && extent.right < 9 * 360,
             qPrintable(QString::number(extent.right)));
    QVERIFY(extent.bottom > extent.right);
    QCOMPARE(theViewState().vScrollPos, 0);
    // The window was drawn when shown, and is drawn again whenever the frame
    // becomes active.
    QVERIFY(!window->presentedImage().isNull());
    m_frame->Form2->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), m_frame->Form2);
    window->present(QImage());
    activateFrame();
    QVERIFY(!window->presentedImage().isNull());
}

void TestCommands::newDocument()
{
    ShellState &shell = theShellState();
    createObject(theDocument(), KindNumber, 10, 10);
    theDocument().pagesToPrint = 9;
    m_frame->pages->setText(QStringLiteral("9"));
    shell.docNamed = 1;
    shell.docFileName = m_shell->path(QStringLiteral("old.pgt"));
    m_frame->Form6->setWindowTitle(shell.docFileName);

    ModalScript script;
    script.start();
    m_frame->Quit1->trigger();
    QCOMPARE(script.seen, QList<QByteArray>());

    QCOMPARE(shell.docOpen, 1);
    QCOMPARE(shell.docNamed, 0);
    QCOMPARE(shell.docModified, 0);
    QCOMPARE(theDocument().objectCount, 0);
    QCOMPARE(theDocument().pagesToPrint, 1);
    QCOMPARE(m_frame->pages->text(), QStringLiteral("1"));
    // Name and caption are left as they were.
    QCOMPARE(shell.docFileName, m_shell->path(QStringLiteral("old.pgt")));
    QCOMPARE(m_frame->Form6->windowTitle(), shell.docFileName);
    QVERIFY(m_frame->Form2->isVisible());
}

void TestCommands::newAsksBeforeDroppingChanges()
{
    placeNumber();
    QString question;
    ModalScript script;
    script.expect("TForm3", answerSave(false, &question));
    script.start();
    m_frame->Quit1->trigger();

    QVERIFY(script.finished());
    QCOMPARE(script.unexpected(), 0);
    QCOMPARE(question, QStringLiteral("Save changes before close?"));
    QCOMPARE(theDocument().objectCount, 0);
    QCOMPARE(theShellState().docModified, 0);
    QCOMPARE(theShellState().docOpen, 1);
    QCOMPARE(QDir(m_shell->dir.path()).entryList(QDir::Files), QStringList{"pgtpc.ini"});
}

void TestCommands::savingCancelledKeepsTheDocument_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("New") << "Quit1";
    QTest::newRow("Open") << "Close1";
    QTest::newRow("Close") << "Close2";
    QTest::newRow("Quit") << "Quit2";
}

void TestCommands::savingCancelledKeepsTheDocument()
{
    QFETCH(QString, command);
    placeNumber();
    ModalScript script;
    script.expect("TForm3", answerSave(true)).cancel("QFileDialog");
    script.start();
    m_frame->findChild<QAction *>(command)->trigger();

    QVERIFY(script.finished());
    QCOMPARE(script.unexpected(), 0);
    const ShellState &shell = theShellState();
    QCOMPARE(shell.docOpen, 1);
    QCOMPARE(shell.docModified, 1);
    QCOMPARE(shell.docNamed, 0);
    QCOMPARE(theDocument().objectCount, 1);
    QVERIFY(m_frame->isVisible());
    QCOMPARE(m_frame->Form6->windowTitle(), QStringLiteral("Untitled"));
    QCOMPARE(QDir(m_shell->dir.path()).entryList(QDir::Files), QStringList{"pgtpc.ini"});
}

void TestCommands::promptSavesNamedDocumentWithoutDialog()
{
    const QString path = m_shell->path(QStringLiteral("named.pgt"));
    theShellState().docNamed = 1;
    theShellState().docFileName = path;
    placeNumber();
    ModalScript script;
    script.expect("TForm3", answerSave(true));
    script.start();
    m_frame->Quit1->trigger();

    QVERIFY(script.finished());
    QCOMPARE(script.unexpected(), 0);
    QCOMPARE(readFile(path).size(), 48 + 388 + 4);
    QCOMPARE(theDocument().objectCount, 0);
    QCOMPARE(theShellState().docModified, 0);
}

void TestCommands::saveOfNewDocumentWrites48Bytes()
{
    const QString typed = m_shell->path(QStringLiteral("first"));
    const QString written = typed + QStringLiteral(".pgt");
    ModalScript script;
    script.typePath(typed);
    script.start();
    m_frame->Save1->trigger();

    QVERIFY(script.finished());
    QCOMPARE(script.unexpected(), 0);
    QCOMPARE(readFile(written), documentHeader(1, 1));
    const ShellState &shell = theShellState();
    QCOMPARE(shell.docNamed, 1);
    QCOMPARE(shell.docModified, 0);
    QCOMPARE(shell.docFileName, written);
    QCOMPARE(m_frame->Form6->windowTitle(), written);
    // Named and unmodified: nothing to save until the next edit.
    QVERIFY(!m_frame->Save1->isEnabled());
    theShellState().docModified = 1;
    m_frame->updateMenuState();
    QVERIFY(m_frame->Save1->isEnabled());
}

void TestCommands::saveDialogSuggestsNumberThenLastName()
{
    QString firstSuggestion;
    QString secondSuggestion;
    QString title;
    {
        ModalScript first;
        first.expect("QFileDialog", [&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            title = dialog->windowTitle();
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            firstSuggestion = name->text();
            name->setText(m_shell->path(QStringLiteral("chosen")));
            // QFileDialog's own accept() checks the typed name.
            static_cast<QDialog *>(dialog)->accept();
        });
        first.start();
        m_frame->SaveAs1->trigger();
        QVERIFY(first.finished());
    }

    ModalScript second;
    second.expect("QFileDialog", [&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        secondSuggestion = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        dialog->reject();
    });
    second.start();
    m_frame->SaveAs1->trigger();
    QVERIFY(second.finished());

    QCOMPARE(title, QStringLiteral("Save Paginette file"));
    QCOMPARE(firstSuggestion, QStringLiteral("number"));
    QCOMPARE(secondSuggestion, QStringLiteral("chosen.pgt"));
    // The cancelled dialog changed nothing.
    QCOMPARE(theShellState().docFileName, m_shell->path(QStringLiteral("chosen.pgt")));
}

void TestCommands::saveAsThenSaveWritesWithoutDialog()
{
    const QString path = m_shell->path(QStringLiteral("as.pgt"));
    QVERIFY(writeFile(path, QByteArray(5000, 'x')));
    {
        ModalScript saveAs;
        saveAs.typePath(path);
        saveAs.start();
        m_frame->SaveAs1->trigger();
        QVERIFY(saveAs.finished());
        QCOMPARE(saveAs.unexpected(), 0);
    }
    // Replaced without a question.
    QCOMPARE(readFile(path).size(), 48);
    QCOMPARE(theShellState().docNamed, 1);
    QCOMPARE(m_frame->Form6->windowTitle(), path);

    placeNumber();
    ModalScript save;
    save.start();
    m_frame->Save1->trigger();
    QCOMPARE(save.seen, QList<QByteArray>());
    QCOMPARE(readFile(path).size(), 48 + 388 + 4);
    QCOMPARE(theShellState().docModified, 0);
}

void TestCommands::failedSaveKeepsNameAndModified()
{
    const QString named = m_shell->path(QStringLiteral("kept.pgt"));
    ShellState &shell = theShellState();
    shell.docNamed = 1;
    shell.docFileName = named;
    m_frame->Form6->setWindowTitle(named);
    placeNumber();

    const QString unreachable = m_shell->path(QStringLiteral("no/such/folder/doc.pgt"));
    {
        ModalScript saveAs;
        saveAs.typePath(unreachable);
        saveAs.start();
        m_frame->SaveAs1->trigger();
        QVERIFY(saveAs.finished());
    }
    QCOMPARE(m_shell->recorder.captions(), QStringList({"File", "Error"}));
    QCOMPARE(shell.docFileName, named);
    QCOMPARE(shell.docNamed, 1);
    QCOMPARE(shell.docModified, 1);
    QCOMPARE(m_frame->Form6->windowTitle(), named);

    // Save of an unnamed document that fails leaves it unnamed.
    shell.docNamed = 0;
    {
        ModalScript save;
        save.typePath(unreachable);
        save.start();
        m_frame->Save1->trigger();
        QVERIFY(save.finished());
    }
    QCOMPARE(shell.docNamed, 0);
    QCOMPARE(shell.docModified, 1);
    QCOMPARE(shell.docFileName, named);

    // And a named one stays modified.
    shell.docNamed = 1;
    shell.docFileName = unreachable;
    ModalScript none;
    none.start();
    m_frame->Save1->trigger();
    QCOMPARE(none.seen, QList<QByteArray>());
    QCOMPARE(shell.docModified, 1);
    QVERIFY(m_frame->Save1->isEnabled());
    QCOMPARE(m_shell->recorder.messages.size(), 4);
}

void TestCommands::openShowsPathAsCaption()
{
    const QString path = m_shell->path(QStringLiteral("hand made.pgt"));
    QVERIFY(writeFile(path, documentHeader(2, 3)));
    ModalScript script;
    script.typePath(path);
    script.start();
    m_frame->Close1->trigger();

    QVERIFY(script.finished());
    QCOMPARE(script.unexpected(), 0);
    const ShellState &shell = theShellState();
    QCOMPARE(shell.docOpen, 1);
    QCOMPARE(shell.docNamed, 1);
    QCOMPARE(shell.docModified, 0);
    QCOMPARE(shell.docFileName, path);
    QCOMPARE(m_frame->Form6->windowTitle(), path);
    QCOMPARE(theDocument().pagesToPrint, 3);
    QCOMPARE(theDocument().pageShown, 2);
    // The boxes show the values of the opened document.
    QCOMPARE(m_frame->pages->text(), QStringLiteral("3"));
    QCOMPARE(m_frame->page->value(), 2);
    QVERIFY(m_frame->Close2->isEnabled());
}

void TestCommands::failedOpenKeepsNameAndCaption()
{
    const QString named = m_shell->path(QStringLiteral("current.pgt"));
    ShellState &shell = theShellState();
    shell.docNamed = 1;
    shell.docFileName = named;
    m_frame->Form6->setWindowTitle(named);
    const QString empty = m_shell->path(QStringLiteral("empty.pgt"));
    QVERIFY(writeFile(empty, QByteArray()));

    ModalScript script;
    script.typePath(empty);
    script.start();
    m_frame->Close1->trigger();

    QVERIFY(script.finished());
    QCOMPARE(
        m_shell->recorder.messages.last(),
        MessageRecorder::Message(QStringLiteral("Bad file header"), QStringLiteral("O-o-o-ps")));
    QCOMPARE(shell.docFileName, named);
    QCOMPARE(m_frame->Form6->windowTitle(), named);
    // The document closed before the dialog stays closed.
    QCOMPARE(shell.docOpen, 0);
    QCOMPARE(shell.docNamed, 0);
}

void TestCommands::cancelledOpenLeavesNoDocument()
{
    createObject(theDocument(), KindNumber, 10, 10);
    ModalScript script;
    script.cancel("QFileDialog");
    script.start();
    m_frame->Close1->trigger();

    QVERIFY(script.finished());
    QCOMPARE(theShellState().docOpen, 0);
    QCOMPARE(theDocument().objectCount, 1);
    m_frame->updateMenuState();
    QVERIFY(!m_frame->Close2->isEnabled());
}

void TestCommands::closeCommand()
{
    createObject(theDocument(), KindNumber, 10, 10);
    m_frame->Form6->setWindowTitle(QStringLiteral("/some/file.pgt"));
    m_frame->Close2->trigger();

    const ShellState &shell = theShellState();
    QCOMPARE(shell.docOpen, 0);
    QCOMPARE(shell.docNamed, 0);
    QCOMPARE(shell.docModified, 0);
    QCOMPARE(theDocument().objectCount, 0);
    QVERIFY(!m_frame->Close2->isEnabled());
    QVERIFY(!m_frame->Form2->isVisible());
    QVERIFY(!m_frame->ObjectProperties1->isChecked());
    // The window stays, with its caption.
    QVERIFY(m_frame->Form6->isVisible());
    QCOMPARE(m_frame->Form6->windowTitle(), QStringLiteral("/some/file.pgt"));

    // New opens a document in the same window.
    m_frame->Quit1->trigger();
    QCOMPARE(shell.docOpen, 1);
    QVERIFY(m_frame->Close2->isEnabled());
    QCOMPARE(m_frame->mdiArea->subWindowList().size(), 1);
}

void TestCommands::quitEnds_data()
{
    QTest::addColumn<bool>("modified");
    QTest::newRow("unchanged: no question") << false;
    QTest::newRow("changed, answered No") << true;
}

void TestCommands::quitEnds()
{
    QFETCH(bool, modified);
    if (modified)
        placeNumber();
    ModalScript script;
    if (modified)
        script.expect("TForm3", answerSave(false));
    script.start();
    m_frame->Quit2->trigger();
    QVERIFY(script.finished());
    QCOMPARE(script.unexpected(), 0);
    QVERIFY(!m_frame->isVisible());
    QCOMPARE(theShellState().docOpen, 0);
    QCOMPARE(QDir(m_shell->dir.path()).entryList(QDir::Files), QStringList{"pgtpc.ini"});
}
void TestCommands::closeBoxOffersToSave()
{
    placeNumber();
    {
        ModalScript keep;
        keep.expect("TForm3", answerSave(true)).cancel("QFileDialog");
        keep.start();
        QVERIFY(!m_frame->close());
        QVERIFY(keep.finished());
    }
    QVERIFY(m_frame->isVisible());
    QCOMPARE(theShellState().docModified, 1);

    const QString path = m_shell->path(QStringLiteral("at close"));
    ModalScript save;
    save.expect("TForm3", answerSave(true)).typePath(path);
    save.start();
    QVERIFY(m_frame->close());
    QVERIFY(save.finished());
    QCOMPARE(save.unexpected(), 0);
    QVERIFY(!m_frame->isVisible());
    QCOMPARE(readFile(path + QStringLiteral(".pgt")).size(), 48 + 388 + 4);
}

void TestCommands::pagesBox()
{
    activateFrame();
    QLineEdit *pages = m_frame->pages;
    pages->setFocus();

    // Not a number: the error is shown and nothing changes.
    pages->selectAll();
    QTest::keyClicks(pages, QStringLiteral("abc"));
    QTest::keyClick(pages, Qt::Key_Return);
    QTRY_COMPARE(m_shell->errors, QStringList{"'abc' is not a valid floating point value"});
    QCOMPARE(theDocument().pagesToPrint, 1);
    QCOMPARE(pages->text(), QStringLiteral("abc"));
    QCOMPARE(QApplication::focusWidget(), pages);
    QCOMPARE(theShellState().docModified, 0);

    pages->selectAll();
    QTest::keyClicks(pages, QStringLiteral("12.9"));
    QTest::keyClick(pages, Qt::Key_Return);
    QTRY_COMPARE(theDocument().pagesToPrint, 12);
    QCOMPARE(pages->text(), QStringLiteral("12"));
    QCOMPARE(QApplication::focusWidget(), m_frame->mode);
    QCOMPARE(theShellState().docModified, 1);

    // Typed without Enter: not taken over.
    pages->setFocus();
    pages->selectAll();
    QTest::keyClicks(pages, QStringLiteral("7"));
    QCOMPARE(theDocument().pagesToPrint, 12);

    // No range check; keypad Enter works too.
    pages->selectAll();
    QTest::keyClicks(pages, QStringLiteral("-2.5"));
    QTest::keyClick(pages, Qt::Key_Enter);
    QTRY_COMPARE(theDocument().pagesToPrint, -2);
    QCOMPARE(pages->text(), QStringLiteral("-2"));
}
void TestCommands::pageBox()
{
    theDocument().pagesToPrint = 3;
    m_frame->Form6->present(QImage());
    m_frame->page->setValue(5);
    QCOMPARE(theDocument().pageShown, 3);
    QCOMPARE(m_frame->page->value(), 3);
    QCOMPARE(m_frame->page->text(), QStringLiteral("3"));
    QVERIFY(!m_frame->Form6->presentedImage().isNull());

    m_frame->page->setValue(2);
    QCOMPARE(theDocument().pageShown, 2);

    // Enter takes the box's value as it stands, which can exceed the pages
    // to print when that number shrank later; no redraw.
    {
        const QSignalBlocker blocker(m_frame->page);
        m_frame->page->setValue(7);
    }
    m_frame->Form6->present(QImage());
    QTest::keyClick(m_frame->page, Qt::Key_Return);
    QCOMPARE(theDocument().pageShown, 7);
    QVERIFY(m_frame->Form6->presentedImage().isNull());

    // No pages to print: the box stays in its range.
    theDocument().pagesToPrint = 0;
    m_frame->page->setValue(4);
    QCOMPARE(theDocument().pageShown, 0);
    QCOMPARE(m_frame->page->value(), 1);
}
void TestCommands::linkOverlayFollowsModeAndShowLinks()
{
    // Two linked numbers: the overlay draws a line between them.
    DocumentState &doc = theDocument();
    const int first = createObject(doc, KindNumber, 50, 50);
    const int second = createObject(doc, KindNumber, 200, 200);
    startLink(doc, first);
    appendToLink(doc, second);
    layoutPass(doc, 0);
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
    QCOMPARE(thePreferences().showLinks, 1);
    QCOMPARE(m_frame->Form6->presentedImage(), linked);

    m_frame->ShowLinks1->trigger();
    QVERIFY(!m_frame->ShowLinks1->isChecked());
    QCOMPARE(thePreferences().showLinks, 0);
    QCOMPARE(m_frame->Form6->presentedImage(), plain);
    // Stored only by the preferences dialog's OK.
    QCOMPARE(readFile(m_shell->path(QStringLiteral("pgtpc.ini"))).mid(152, 4), QByteArray(4, '\0'));
}
void TestCommands::objectPropertiesItemFollowsWindow()
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

void TestCommands::help()
{
    const MessageRecorder::Message notFound(QStringLiteral("Can't find Read Me files"), QString());
    QVERIFY(QDir::setCurrent(m_shell->dir.path()));
    const bool installedElsewhere =
        QFileInfo::exists(QCoreApplication::applicationDirPath() +
                          QStringLiteral("/paginette_readme/pgt_readme.htm")) ||
        QFileInfo::exists(QStringLiteral(PAGINETTE_DATA_DIR "/paginette_readme/pgt_readme.htm"));
    if (!installedElsewhere) {
        m_frame->Help2->trigger();
        QVERIFY(m_shell->opened.isEmpty());
        QCOMPARE(m_shell->recorder.messages.last(), notFound);
    }

    // Found in the current folder first.
    QVERIFY(QDir(m_shell->dir.path()).mkpath(QStringLiteral("paginette_readme")));
    const QString readMe = m_shell->path(QStringLiteral("paginette_readme/pgt_readme.htm"));
    QVERIFY(writeFile(readMe, "<html></html>"));
    m_shell->recorder.messages.clear();
    m_shell->opened.clear();
    m_frame->Help2->trigger();
    QCOMPARE(m_shell->opened.first(), QUrl::fromLocalFile(readMe));
    QVERIFY(m_shell->recorder.messages.isEmpty());

    // A read-me that nothing opens.
    m_shell->openSucceeds = false;
    m_frame->Help2->trigger();
    QCOMPARE(m_shell->recorder.messages, QList<MessageRecorder::Message>{notFound});
}
void TestCommands::modalWindowsOfTheMenu()
{
    m_frame->AboutPaginette1->trigger();
    m_frame->Preferences1->trigger();
    QCOMPARE(m_shell->modals, QList<QByteArray>({"TForm7", "TForm7", "TForm11"}));

    // Create Matrix checks the selection itself, whatever the item's state.
    m_frame->CreateMatrix1->setEnabled(true);
    for (const std::int32_t count : {0, 2, 1}) {
        theDocument().selectedCount = count;
        m_frame->CreateMatrix1->trigger();
    }
    QCOMPARE(m_shell->modals.size(), 4);
    QCOMPARE(m_shell->modals.last(), QByteArray("TForm10"));
}

PAGINETTE_APP_TEST_MAIN(TestCommands)
#include "tst_commands.moc"
