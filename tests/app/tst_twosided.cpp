#include "apptestmain.h"
#include "dialogs/sheetlayoutdialog.h"
#include "documentbuilder.h"
#include "menucaption.h"
#include "pdf/runpdfwriter.h"
#include "run/printrun.h"
#include "shellfixture.h"
#include "toolrun.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QUndoStack>

namespace {

// Two numbers on the front, from 1 and from 50, and one on the back.
Document twoSided(Duplex duplex)
{
    Document doc = emptyDocument(20);
    addNumber(doc, 100, 100, 1, 3);
    addNumber(doc, 100, 300, 50, 3);
    const int back = addNumber(doc, 100, 200, 900, 3);
    doc.objects[back].side = Side::Back;
    doc.objects[back].name = QStringLiteral("stub");
    doc.objects[0].name = QStringLiteral("ticket");
    doc.objects[1].name = QStringLiteral("check");
    doc.duplex = duplex;
    doc.pagesToPrint = 3;
    return doc;
}

} // namespace

// Two-sided documents in the program: Sheet Layout's choice, the side shown
// and what the editing commands do on it, and a back number's "Same as:".
class TestTwoSided : public ShellTest
{
    Q_OBJECT

    void pressCtrl(int key, Qt::KeyboardModifiers more = Qt::NoModifier)
    {
        m_frame->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), m_frame);
        QTest::keyClick(m_frame, Qt::Key(key), Qt::ControlModifier | more);
    }

private Q_SLOTS:
    void init() { QVERIFY(startShell()); }
    void cleanup() { stopShell(); }

    void sheetLayoutChoosesTwoSided_data()
    {
        QTest::addColumn<int>("from"); // Duplex
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("answer"); // to the question, where one comes
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("objects");
        QTest::addColumn<int>("questions");
        const int off = int(Duplex::Off), longEdge = int(Duplex::LongEdge),
                  shortEdge = int(Duplex::ShortEdge);
        QTest::newRow("on, long edge") << off << 1 << true << longEdge << 3 << 0;
        QTest::newRow("on, short edge") << off << 2 << true << shortEdge << 3 << 0;
        QTest::newRow("long to short edge") << longEdge << 2 << true << shortEdge << 3 << 0;
        QTest::newRow("off, kept when refused") << longEdge << 0 << false << longEdge << 3 << 1;
        QTest::newRow("off, the back's objects go") << longEdge << 0 << true << off << 2 << 1;
    }

    // Through the dialog's own box; the change is one undo step, which
    // brings back all that was.
    void sheetLayoutChoosesTwoSided()
    {
        QFETCH(int, from);
        QFETCH(int, choice);
        QFETCH(bool, answer);
        QFETCH(int, stored);
        QFETCH(int, objects);
        QFETCH(int, questions);
        const Document before = twoSided(Duplex(from));
        m_shell->editor.replace(before);
        m_shell->recorder.answer = answer;
        QStringList offered;
        ShellHooks hooks;
        hooks.runModal = [&](QDialog &dialog) {
            auto *form = qobject_cast<SheetLayoutDialog *>(&dialog);
            for (int i = 0; i < form->twoSidedBox->count(); ++i)
                offered.append(form->twoSidedBox->itemText(i));
            form->twoSidedBox->setCurrentIndex(choice);
            QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("okButton")),
                              Qt::LeftButton);
        };
        m_frame->setHooks(hooks);
        action("sheetLayoutAction")->trigger();

        QCOMPARE(offered, (QStringList{"off", "flip on the long edge", "flip on the short edge"}));
        QCOMPARE(int(m_shell->doc().duplex), stored);
        QCOMPARE(m_shell->doc().count(), objects);
        QCOMPARE(m_shell->recorder.questions.size(), questions);
        if (questions > 0)
            QVERIFY(m_shell->recorder.questions[0].first.contains(u"The back holds 1 object"));
        if (stored == from)
            return;
        QCOMPARE(m_shell->editor.undoStack().count(), 1);
        action("undoAction")->trigger();
        QCOMPARE(documentDump(m_shell->doc()), documentDump(before));
        QCOMPARE(m_shell->doc().duplex, before.duplex);
    }

    // Ctrl+Shift+B shows the back (Ctrl+B stays Send To Back's); a number
    // placed there is on the back and prints only on the backs of the run.
    void ctrlShiftBShowsTheBackWhereObjectsArePlaced()
    {
        Document doc = twoSided(Duplex::LongEdge);
        doc.objects.removeLast();
        doc.drawOrder.removeLast();
        m_shell->editor.replace(doc);
        QVERIFY(action("backAction")->isEnabled());
        QCOMPARE(action("sendToBackAction")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
        pressCtrl(Qt::Key_B, Qt::ShiftModifier);
        QCOMPARE(m_shell->view.side, Side::Back);
        QVERIFY(action("backAction")->isChecked());
        QCOMPARE(child<QComboBox>("sideCombo")->currentText(), QStringLiteral("Back"));
        // The back holds nothing yet: no front object can be hit or selected.
        QVERIFY(documentWindow()->boxes()[0].right == documentWindow()->boxes()[0].left);

        QTest::mouseClick(child<QToolButton>("placeNumberButton"), Qt::LeftButton);
        QTest::mouseClick(documentWindow(), Qt::LeftButton, Qt::NoModifier, QPoint(400, 500));
        QCOMPARE(m_shell->doc().count(), 3);
        QCOMPARE(m_shell->doc().objects[2].side, Side::Back);

        const QString pdf = m_shell->path(QStringLiteral("run.pdf"));
        {
            QFile file(pdf);
            QVERIFY(file.open(QIODevice::WriteOnly));
            RunPdfWriter writer(file);
            writer.setResolution(360);
            QCOMPARE(printRun(m_shell->doc(), 360, true, runSheets(writer)).outcome,
                     PrintOutcome::Printed);
        }
        const QList<QList<Word>> faces = pagesWords(pdf);
        QCOMPARE(faces.size(), 6);
        const QString placed = objectText(m_shell->doc(), 2, 1);
        for (int face = 0; face < faces.size(); ++face) {
            bool shown = false;
            for (const Word &word : faces[face])
                shown = shown || word.text == objectText(m_shell->doc(), 2, face / 2 + 1);
            QVERIFY2(shown == (face % 2 == 1), qPrintable(QString::number(face)));
        }
        QVERIFY(!placed.isEmpty());

        // The side box beside the Page box goes back to the front.
        auto *sides = child<QComboBox>("sideCombo");
        sides->setCurrentIndex(0);
        Q_EMIT sides->activated(0);
        QCOMPARE(m_shell->view.side, Side::Front);
        QVERIFY(!action("backAction")->isChecked());
    }

    void selectAllPicksTheSideShown_data()
    {
        QTest::addColumn<bool>("back");
        QTest::addColumn<QList<int>>("marks");
        QTest::newRow("front") << false << QList<int>{1, 1, -1};
        QTest::newRow("back") << true << QList<int>{-1, -1, 1};
    }

    void selectAllPicksTheSideShown()
    {
        QFETCH(bool, back);
        QFETCH(QList<int>, marks);
        Document doc = twoSided(Duplex::ShortEdge);
        selectObjects(doc, {0, 2});
        m_shell->editor.replace(doc);
        if (back)
            action("backAction")->trigger();
        // What was selected on the side left is no longer.
        QCOMPARE(marksOf(m_shell->doc()).at(0) == 1, !back);
        QCOMPARE(marksOf(m_shell->doc()).at(2), 1);
        pressCtrl(Qt::Key_A);
        QCOMPARE(marksOf(m_shell->doc()), marks);
    }

    // "Same as:" lists the front's numbers; choosing one is one step, leaves
    // the number's own controls off, and the back shows the front's text on
    // every page of the run.
    void sameAsShowsTheFrontNumbersText()
    {
        Document doc = twoSided(Duplex::LongEdge);
        selectObjects(doc, {2});
        m_shell->editor.replace(doc);
        action("backAction")->trigger();
        propertyTabs()->setCurrentWidget(propertyTab("numberTab"));
        auto *sameAs = child<QComboBox>("sameAsBox");
        QVERIFY(sameAs->isVisibleTo(objectProperties()));
        QStringList offered;
        for (int i = 0; i < sameAs->count(); ++i)
            offered.append(sameAs->itemText(i));
        QCOMPARE(offered, (QStringList{"none", "ticket", "check"}));

        sameAs->setCurrentIndex(2);
        Q_EMIT sameAs->activated(2);
        QCOMPARE(m_shell->doc().objects[2].sameAs, 1);
        QCOMPARE(m_shell->editor.undoStack().count(), 1);
        QVERIFY(!child<QLineEdit>("startEdit")->isEnabled());
        for (int page = 1; page <= m_shell->doc().pagesToPrint; ++page)
            QCOMPARE(objectText(m_shell->doc(), 2, page), objectText(m_shell->doc(), 1, page));

        // A front number has no such choice.
        action("backAction")->trigger();
        m_shell->editor.select([](Selection &selection) { selectPress(selection, 0, false); });
        QVERIFY(!sameAs->isVisibleTo(objectProperties()));
    }
};

PAGINETTE_APP_TEST_MAIN(TestTwoSided)
#include "tst_twosided.moc"
