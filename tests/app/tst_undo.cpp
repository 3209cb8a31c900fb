#include "apptestmain.h"
#include "creatematrixdialog.h"
#include "documentbuilder.h"
#include "documentwindow.h"
#include "menucaption.h"
#include "modalscript.h"
#include "properties/objectpropertieswindow.h"
#include "shellfixture.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QUndoStack>

namespace {

// What the user does, through the real widgets.
enum class Gesture
{
    PlaceNumber,
    PlaceText,
    DeleteLinked,
    Drag,
    NudgeThrice,
    Duplicate,
    Clear,
    StartEntry,
    Link,
    Unlink,
    AlignLeft,
    BringToFront,
    CreateMatrix,
    Pages,
};

// What the user does that changes no object.
enum class NoStep
{
    SelectClick,
    Band,
    PictureCancelled,
    PlaceOnFullTable,
};

// The document as saved, whatever is selected: the selection is no edit.
Document withoutSelection(Document doc)
{
    for (PageObject &object : doc.objects)
        object.selected = 0;
    return doc;
}

QPoint windowPoint(int x, int y)
{
    return QPoint(x + 40, y + 40);
}

// Three five-digit numbers at x 100, 200, 300 linked in that order, texts
// at (100, 200) and (100, 250) on top, the second number selected.
Document startingDocument()
{
    Document doc = emptyDocument(20);
    for (const int x : {100, 200, 300})
        addNumber(doc, x, 100, 125, 5);
    linkObjects(doc, 0, {0, 1, 2});
    addObject(doc, KindText, 100, 200, QStringLiteral("Hello!"));
    addObject(doc, KindText, 100, 250, QStringLiteral("World"));
    selectObjects(doc, {1});
    return doc;
}

} // namespace

Q_DECLARE_METATYPE(Gesture)
Q_DECLARE_METATYPE(NoStep)

// Every kind of step is taken back by Undo and made again by Redo, through
// the Edit menu's shortcuts, restoring the document exactly.
class TestUndo : public ShellTest
{
    Q_OBJECT

    DocumentWindow *window() const { return documentWindow(); }
    const Document &doc() const { return m_shell->doc(); }

    void click(QWidget *widget, QPoint point = QPoint(),
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(widget, Qt::LeftButton, modifiers, point);
    }

    void shortcut(int key, Qt::KeyboardModifiers modifiers)
    {
        QTest::keyClick(m_frame, static_cast<Qt::Key>(key), modifiers);
    }

    void undo() { shortcut(Qt::Key_Z, Qt::ControlModifier); }

    // After a modal window the keys go to the frame again.
    void reactivate()
    {
        m_frame->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), m_frame);
    }
    void redo() { shortcut(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }

    // What the user does before the step that is no step of its own.
    void prepare(Gesture gesture)
    {
        if (gesture == Gesture::AlignLeft)
            click(window(), windowPoint(105, 205), Qt::ShiftModifier);
    }

    void perform(Gesture gesture)
    {
        switch (gesture) {
        case Gesture::PlaceNumber:
            click(child<QToolButton>("placeNumberButton"));
            click(window(), windowPoint(400, 300));
            break;
        case Gesture::PlaceText:
            click(child<QToolButton>("placeTextButton"));
            click(window(), windowPoint(400, 300));
            break;
        case Gesture::DeleteLinked:
            QTest::keyClick(window()->verticalScrollBar, Qt::Key_Backspace);
            break;
        case Gesture::Drag:
            QTest::mousePress(window(), Qt::LeftButton, Qt::NoModifier, windowPoint(205, 105));
            QTest::mouseMove(window(), windowPoint(230, 120));
            QTest::mouseMove(window(), windowPoint(260, 150));
            QTest::mouseRelease(window(), Qt::LeftButton, Qt::NoModifier, windowPoint(260, 150));
            break;
        case Gesture::NudgeThrice:
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(window()->verticalScrollBar, Qt::Key_Right);
            break;
        case Gesture::Duplicate:
            shortcut(Qt::Key_D, Qt::ControlModifier);
            break;
        case Gesture::Clear:
            action("clearAction")->trigger();
            break;
        case Gesture::StartEntry: {
            QLineEdit *start = child<QLineEdit>("startEdit");
            start->setFocus();
            start->selectAll();
            QTest::keyClicks(start, QStringLiteral("900"));
            QTest::keyClick(start, Qt::Key_Return);
            break;
        }
        case Gesture::Link:
            click(child<QToolButton>("linkModeButton"));
            click(window(), windowPoint(105, 205));
            click(window(), windowPoint(105, 255), Qt::ShiftModifier);
            break;
        case Gesture::Unlink:
            click(child<QToolButton>("unlinkModeButton"));
            click(window(), windowPoint(305, 105));
            break;
        case Gesture::AlignLeft:
            click(child<QToolButton>("alignLeftButton"));
            break;
        case Gesture::BringToFront:
            shortcut(Qt::Key_F, Qt::ControlModifier);
            break;
        case Gesture::CreateMatrix: {
            ModalScript script;
            script.expect("CreateMatrixDialog", [](QWidget *dialog) {
                static_cast<CreateMatrixDialog *>(dialog)->okButton->click();
            });
            QCOMPARE(script.run([this] { shortcut(Qt::Key_M, Qt::ControlModifier); }),
                     QStringList());
            reactivate();
            break;
        }
        case Gesture::Pages:
            pagesEdit()->setFocus();
            pagesEdit()->selectAll();
            QTest::keyClicks(pagesEdit(), QStringLiteral("12"));
            QTest::keyClick(pagesEdit(), Qt::Key_Return);
            break;
        }
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(startShell());
        // Modal windows run for real here, answered by a script.
        ShellHooks hooks;
        hooks.runModal = [](QDialog &dialog) {
            dialog.exec();
        };
        m_frame->setHooks(hooks);
        m_shell->editor.replace(startingDocument());
        reactivate();
    }
    void cleanup() { stopShell(); }

    void everyStepUndoesAndRedoes_data()
    {
        QTest::addColumn<Gesture>("gesture");
        QTest::addColumn<QString>("step");
        QTest::newRow("place number") << Gesture::PlaceNumber << "Place Number";
        QTest::newRow("place text") << Gesture::PlaceText << "Place Text";
        QTest::newRow("delete, dissolving a link") << Gesture::DeleteLinked << "Delete";
        QTest::newRow("a whole drag") << Gesture::Drag << "Move";
        QTest::newRow("a run of nudges") << Gesture::NudgeThrice << "Nudge";
        QTest::newRow("duplicate") << Gesture::Duplicate << "Duplicate";
        QTest::newRow("clear") << Gesture::Clear << "Clear";
        QTest::newRow("object properties group") << Gesture::StartEntry << "Number";
        QTest::newRow("linking two objects") << Gesture::Link << "Link";
        QTest::newRow("unlink click") << Gesture::Unlink << "Unlink";
        QTest::newRow("align") << Gesture::AlignLeft << "Align Left";
        QTest::newRow("arrange") << Gesture::BringToFront << "Bring To Front";
        QTest::newRow("create matrix") << Gesture::CreateMatrix << "Create Matrix";
        QTest::newRow("pages") << Gesture::Pages << "Pages";
    }

    void everyStepUndoesAndRedoes()
    {
        QFETCH(Gesture, gesture);
        QFETCH(QString, step);
        QVERIFY(!action("undoAction")->isEnabled());
        QCOMPARE(shownCaption(action("undoAction")->text()), QStringLiteral("Undo"));

        prepare(gesture);
        const Document before = doc();
        perform(gesture);
        const Document after = doc();
        QVERIFY(after != before);
        QCOMPARE(m_shell->editor.undoStack().count(), 1);
        QCOMPARE(shownCaption(action("undoAction")->text()), QStringLiteral("Undo ") + step);
        QVERIFY(action("undoAction")->isEnabled());
        QVERIFY(!action("redoAction")->isEnabled());

        const int messages = m_shell->recorder.messages.size();
        undo();
        QVERIFY(doc() == before);
        QCOMPARE(shownCaption(action("redoAction")->text()), QStringLiteral("Redo ") + step);
        QVERIFY(!action("undoAction")->isEnabled());
        redo();
        QVERIFY(doc() == after);
        // Ctrl+Y redoes too.
        undo();
        shortcut(Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(doc() == after);
        // Taking a step back or making it again tells the user nothing.
        QCOMPARE(m_shell->recorder.messages.size(), messages);
    }

    // What changes no object is no step: a saved document stays saved, with
    // nothing to undo and nothing for New to offer to save.
    void whatIsNoStepLeavesTheDocumentSaved_data()
    {
        QTest::addColumn<NoStep>("gesture");
        QTest::newRow("a click selecting an object") << NoStep::SelectClick;
        QTest::newRow("a band around objects") << NoStep::Band;
        QTest::newRow("Place Picture cancelled in its file dialog") << NoStep::PictureCancelled;
        QTest::newRow("Place Number with the table full") << NoStep::PlaceOnFullTable;
    }

    void whatIsNoStepLeavesTheDocumentSaved()
    {
        QFETCH(NoStep, gesture);
        if (gesture == NoStep::PlaceOnFullTable) {
            Document full = startingDocument();
            full.capacity = full.count();
            m_shell->editor.replace(full);
        }
        ModalScript saveAs;
        saveAs.typePath(m_shell->path(QStringLiteral("sel.pgt")));
        QCOMPARE(saveAs.run([this] { action("saveAsAction")->trigger(); }), QStringList());
        reactivate();
        const Document saved = doc();

        switch (gesture) {
        case NoStep::SelectClick:
            click(window(), windowPoint(105, 105));
            QCOMPARE(selectedCount(doc()), 1);
            break;
        case NoStep::Band:
            QTest::mousePress(window(), Qt::LeftButton, Qt::NoModifier, windowPoint(50, 180));
            QTest::mouseMove(window(), windowPoint(200, 230));
            QTest::mouseMove(window(), windowPoint(400, 300));
            QTest::mouseRelease(window(), Qt::LeftButton, Qt::NoModifier, windowPoint(400, 300));
            QCOMPARE(selectedCount(doc()), 2);
            break;
        case NoStep::PictureCancelled: {
            click(child<QToolButton>("placePictureButton"));
            bool cancelled = false;
            ModalScript cancel;
            cancel.expect("QFileDialog", [&cancelled](QWidget *dialog) {
                qobject_cast<QDialog *>(dialog)->reject();
                cancelled = true;
            });
            QCOMPARE(cancel.run([&] {
                click(window(), windowPoint(400, 300));
                // The dialog comes once the press on the page is handled.
                QVERIFY(QTest::qWaitFor([&cancelled] { return cancelled; }));
            }),
                     QStringList());
            reactivate();
            break;
        }
        case NoStep::PlaceOnFullTable:
            click(child<QToolButton>("placeNumberButton"));
            click(window(), windowPoint(400, 300));
            QCOMPARE(m_shell->recorder.beeps, 1);
            break;
        }
        QCOMPARE(documentDump(withoutSelection(doc())), documentDump(withoutSelection(saved)));
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, true, false}));
        QVERIFY(!m_frame->isWindowModified());
        QVERIFY(!action("undoAction")->isEnabled());
        QVERIFY(!action("saveAction")->isEnabled());
        ModalScript noQuestion;
        QCOMPARE(noQuestion.run([this] { action("newAction")->trigger(); }), QStringList());
    }

    void modifiedFollowsTheSavedPoint()
    {
        const QString path = m_shell->path(QStringLiteral("saved.pgt"));
        ModalScript script;
        script.typePath(path);
        QCOMPARE(script.run([this] { action("saveAsAction")->trigger(); }), QStringList());
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, true, false}));
        reactivate();

        perform(Gesture::Duplicate);
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, true, true}));
        QVERIFY(action("saveAction")->isEnabled());
        undo();
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, true, false}));
        QVERIFY(!action("saveAction")->isEnabled());
        redo();
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, true, true}));
        // Saved after the step, the point moves with it.
        shortcut(Qt::Key_S, Qt::ControlModifier);
        undo();
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, true, true}));
    }

    void newDocumentStartsAFreshHistory()
    {
        perform(Gesture::Duplicate);
        QVERIFY(action("undoAction")->isEnabled());
        ModalScript script;
        script.expect("MessageDialog",
                      [](QWidget *dialog) { static_cast<QDialog *>(dialog)->done(5); });
        QCOMPARE(script.run([this] { action("newAction")->trigger(); }), QStringList());
        QCOMPARE(doc().count(), 0);
        QVERIFY(!action("undoAction")->isEnabled());
        QVERIFY(!action("redoAction")->isEnabled());
    }
};

PAGINETTE_APP_TEST_MAIN(TestUndo)
#include "tst_undo.moc"
