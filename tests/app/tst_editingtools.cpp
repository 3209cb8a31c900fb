#include "apptestmain.h"
#include "documentbuilder.h"
#include "modalscript.h"
#include "shellfixture.h"
#include "tform2.h"
#include "tform6.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QUndoStack>

#include <algorithm>

namespace {

// The page point (x, y) as a point of the document window, scrolled to the top.
QPoint windowPoint(int x, int y)
{
    return QPoint(x + 40, y + 40);
}

QPoint positionOf(const Document &doc, int index)
{
    const PageObject &object = doc.objects[index];
    return QPoint(object.x, object.y);
}

// Picks an entry of a combo box with the mouse, as a user does; the arrow
// opens the list of a box that takes typing too.
void pick(QComboBox *box, const QString &entry)
{
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier,
                      QPoint(box->width() - 6, box->height() / 2));
    QAbstractItemView *view = box->view();
    QTRY_VERIFY(view->isVisible());
    // A popup takes no release for a double-click interval after it opens.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QModelIndex index = view->model()->index(box->findText(entry), 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->visualRect(index).center());
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

} // namespace

// The editing tools, keys and commands through the real widgets, down to the
// document and the saved file.
class TestEditingTools : public ShellTest
{
    Q_OBJECT

    TForm6 *window() const { return m_frame->Form6; }
    const Document &doc() const { return m_shell->doc(); }
    QPoint positionOf(int index) const { return ::positionOf(doc(), index); }

    void click(QPoint point, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(window(), Qt::LeftButton, modifiers, point);
    }

    // A number placed with the tool at a page point; its index.
    int placeNumber(int x, int y) { return placeWith(m_frame->number, x, y); }

    // An object placed with `tool` at a page point; its index.
    int placeWith(QToolButton *tool, int x, int y)
    {
        QTest::mouseClick(tool, Qt::LeftButton);
        click(windowPoint(x, y));
        QTest::mouseClick(m_frame->main, Qt::LeftButton);
        return doc().count() - 1;
    }

    // Three numbers in a row at x 100, 200 and 300, chained with the link tool.
    void chainThreeNumbers()
    {
        for (const int x : {100, 200, 300})
            placeNumber(x, 100);
        QTest::mouseClick(m_frame->link, Qt::LeftButton);
        click(windowPoint(105, 105));
        click(windowPoint(205, 105), Qt::ShiftModifier);
        click(windowPoint(305, 105), Qt::ShiftModifier);
    }

    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(window(), Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(window(), (from + to) / 2);
        QTest::mouseMove(window(), to);
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(startShell());
        m_shell->recorder.messages.clear();
    }
    void cleanup() { stopShell(); }

    void placedObjectsLandWhereClicked()
    {
        const int number = placeNumber(200, 260);
        QTest::mouseClick(m_frame->text, Qt::LeftButton);
        click(windowPoint(50, 60));
        QCOMPARE(doc().count(), 2);
        QCOMPARE(positionOf(number), QPoint(200, 260));
        QCOMPARE(positionOf(1), QPoint(50, 60));
        QCOMPARE(textsOf(doc()), (QStringList{"00125", "Hello!"}));
        QCOMPARE((QStringList{doc().objects[0].name, doc().objects[1].name}),
                 (QStringList{"num0", "txt1"}));
        // The number's box starts exactly at the click.
        const Bounds32 box = window()->boxes().at(number);
        QCOMPARE(QPoint(box.left, box.top), windowPoint(200, 260));

        // Quit offers to save what was placed.
        ModalScript script;
        script.expect("TForm3", [](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
        QCOMPARE(script.run([this] { m_frame->Quit2->trigger(); }), QStringList());
    }

    void doubleClickPlacesTwo()
    {
        QTest::mouseClick(m_frame->number, Qt::LeftButton);
        // What the window system sends: a click, then the double click in place
        // of the second press.
        click(windowPoint(10, 10));
        QTest::mouseDClick(window(), Qt::LeftButton, Qt::NoModifier, windowPoint(10, 10));
        QCOMPARE(doc().count(), 2);
        QCOMPARE(positionOf(1), QPoint(10, 10));
    }

    void closingAppliesTheLastGroupOnly()
    {
        // A text object: a number takes no typed text whatever group is applied.
        const int object = placeWith(m_frame->text, 100, 100);
        click(windowPoint(105, 105));
        TForm2 *properties = m_frame->Form2;
        properties->PageControl1->setCurrentWidget(properties->TabSheet3);
        typeInto(properties->x, QStringLiteral("150"));
        properties->y->setText(QStringLiteral("77"));
        properties->PageControl1->setCurrentWidget(properties->TabSheet2);
        properties->text->setText(QStringLiteral("lost"));

        m_frame->ObjectProperties1->trigger();
        QVERIFY(!properties->isVisible());
        QVERIFY(!m_frame->ObjectProperties1->isChecked());
        QCOMPARE(positionOf(object), QPoint(150, 77));
        QCOMPARE(textsOf(doc()).at(object), QStringLiteral("Hello!"));
    }

    void startAndColourFromObjectProperties()
    {
        const int number = placeNumber(100, 100);
        click(windowPoint(105, 105));
        TForm2 *properties = m_frame->Form2;
        QVERIFY(properties->PageControl1->isEnabled());
        QCOMPARE(properties->start->text(), QStringLiteral("00125"));

        typeInto(properties->start, QStringLiteral("007"));
        QCOMPARE(textsOf(doc()).at(number), QStringLiteral("007"));
        QCOMPARE(QApplication::focusWidget(), properties->end);
        typeInto(properties->start, QStringLiteral("7"));
        QCOMPARE(textsOf(doc()).at(number), QStringLiteral("7"));

        properties->PageControl1->setCurrentWidget(properties->TabSheet4);
        pick(properties->color, QStringLiteral("Green"));
        QCOMPARE(doc().objects[number].color, 32768);
        QCOMPARE(m_shell->shell.docModified, 1);

        // A colour from the chooser; cancelling it changes nothing.
        ModalScript script;
        script.expect("QColorDialog", [](QWidget *modal) {
            auto *chooser = qobject_cast<QColorDialog *>(modal);
            chooser->setCurrentColor(QColor(1, 2, 3));
            chooser->accept();
        });
        script.cancel("QColorDialog");
        QCOMPARE(script.run([&] {
            pick(properties->color, QStringLiteral("Custom ..."));
            pick(properties->color, QStringLiteral("Custom ..."));
        }),
                 QStringList());
        QCOMPARE(doc().objects[number].color, 0x030201);
        QCOMPARE(doc().objects[number].customColor, 1);
    }

    void badEntryIsReportedAndStopsTheGroup()
    {
        const int number = placeNumber(100, 100);
        click(windowPoint(105, 105));
        TForm2 *properties = m_frame->Form2;
        properties->start->setText(QStringLiteral("9"));
        typeInto(properties->nextPage, QStringLiteral("x"));
        QCOMPARE(m_shell->recorder.errors(),
                 QStringList{QStringLiteral("'x' is not a valid floating point value")});
        QCOMPARE(doc().objects[number].start, 9);
        QCOMPARE(doc().objects[number].stepPage, 1);
        // The handler ended at the error: the focus stays in the box.
        QCOMPARE(QApplication::focusWidget(), properties->nextPage);
    }

    void formatTabAppliesThroughItsControls()
    {
        const int number = placeNumber(100, 100);
        click(windowPoint(105, 105));
        TForm2 *properties = m_frame->Form2;
        QTest::mouseClick(properties->PageControl1->tabBar(), Qt::LeftButton, Qt::NoModifier,
                          properties->PageControl1->tabBar()->tabRect(4).center());
        QCOMPARE(properties->PageControl1->currentWidget(), properties->TabSheet5);
        typeInto(properties->prefix, QStringLiteral("No. "));
        typeInto(properties->suffix, QStringLiteral(" of {last}"));
        properties->repeat->setFocus();
        properties->repeat->selectAll();
        QTest::keyClicks(properties->repeat, QStringLiteral("3"));
        QTest::keyClick(properties->repeat, Qt::Key_Return);
        pick(properties->check, QStringLiteral("Luhn (mod 10)"));
        QTest::mouseClick(properties->autoWidth, Qt::LeftButton);

        const NumberFormat expected{.prefix = QStringLiteral("No. "),
                                    .suffix = QStringLiteral(" of {last}"),
                                    .repeat = 3,
                                    .check = CheckDigit::Luhn,
                                    .autoWidth = true};
        QVERIFY(doc().objects[number].format == expected);
        // 125 on pages 1 to 3 at the width of the run's widest value, with its
        // check: Luhn gives 5 for 125 and 1 for 127, the value on page 9.
        m_frame->pages->setText(QStringLiteral("9"));
        QTest::keyClick(m_frame->pages, Qt::Key_Return);
        QCOMPARE(textsOf(doc(), 3).at(number), QStringLiteral("No. 1255 of 1271"));
        QCOMPARE(m_shell->editor.undoStack().count(), 7);
    }

    void aBarcodeIsChosenOnTheFormatTab()
    {
        const int number = placeNumber(100, 100);
        click(windowPoint(105, 105));
        TForm2 *properties = m_frame->Form2;
        properties->PageControl1->setCurrentWidget(properties->TabSheet5);
        pick(properties->barcode, QStringLiteral("QR code"));
        const std::optional<BarcodeStyle> chosen = doc().objects[number].format.barcode;
        QVERIFY(chosen && chosen->symbology == Symbology::Qr);
        // The box is the symbol's: a square.
        const Bounds32 box = window()->boxes().at(number);
        QVERIFY(box.right - box.left > 14);
        QCOMPARE(box.right - box.left, box.bottom - box.top);

        // A value the symbology cannot show is refused where it is chosen.
        pick(properties->barcode, QStringLiteral("EAN-13"));
        const QStringList errors = m_shell->recorder.errors();
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().startsWith(QLatin1String("EAN-13 takes 12 digits")),
                 qPrintable(errors.first()));
        QVERIFY(doc().objects[number].format.barcode == chosen);
    }

    void switchingTheSystemKeepsTheStartValue()
    {
        const int number = placeNumber(100, 100);
        click(windowPoint(105, 105));
        TForm2 *properties = m_frame->Form2;
        pick(properties->format, QStringLiteral("hexadecimal"));
        typeInto(properties->start, QStringLiteral("00ff"));
        QCOMPARE(doc().objects[number].start, 255);
        pick(properties->format, QStringLiteral("decimal"));
        QCOMPARE(m_shell->recorder.errors(), QStringList());
        QCOMPARE(properties->start->text(), QStringLiteral("0255"));
        QCOMPARE(doc().objects[number].start, 255);
        QCOMPARE(textsOf(doc()).at(number), QStringLiteral("0255"));
    }

    void theWindowShowsWhatWasStored()
    {
        chainThreeNumbers();
        QTest::mouseClick(m_frame->main, Qt::LeftButton);
        click(windowPoint(205, 105));
        TForm2 *properties = m_frame->Form2;
        m_frame->pages->setText(QStringLiteral("5"));
        QTest::keyClick(m_frame->pages, Qt::Key_Return);
        // A member's start comes from the link, whatever is typed.
        typeInto(properties->start, QStringLiteral("900"));
        QCOMPARE(properties->start->text(), QStringLiteral("00126"));
        QCOMPARE(properties->end->text(), QStringLiteral("00130"));
        typeInto(properties->nextPage, QStringLiteral("2"));
        QCOMPARE(properties->end->text(), QStringLiteral("00134"));
    }

    void leavingABoxAppliesWhatWasTyped()
    {
        const int number = placeNumber(100, 100);
        click(windowPoint(105, 105));
        TForm2 *properties = m_frame->Form2;
        properties->PageControl1->setCurrentWidget(properties->TabSheet3);
        properties->x->setFocus();
        properties->x->selectAll();
        QTest::keyClicks(properties->x, QStringLiteral("140"));
        QTest::keyClick(properties->x, Qt::Key_Tab);
        QCOMPARE(positionOf(number), QPoint(140, 100));
        // A bad entry is told and keeps the focus, so that it can be mended.
        properties->x->setFocus();
        properties->x->selectAll();
        QTest::keyClicks(properties->x, QStringLiteral("x1"));
        QTest::keyClick(properties->x, Qt::Key_Tab);
        QCOMPARE(m_shell->recorder.errors(),
                 QStringList{QStringLiteral("'x1' is not a valid floating point value")});
        QTRY_COMPARE(QApplication::focusWidget(), properties->x);
        QCOMPARE(positionOf(number), QPoint(140, 100));
    }

    void sizeBoxTakesThreeDigits()
    {
        const int number = placeNumber(100, 100);
        click(windowPoint(105, 105));
        TForm2 *properties = m_frame->Form2;
        properties->PageControl1->setCurrentWidget(properties->TabSheet4);
        properties->size->setFocus();
        properties->size->selectAll();
        QTest::keyClicks(properties->size, QStringLiteral("200"));
        QCOMPARE(doc().objects[number].fontSize, 150);
        QCOMPARE(properties->size->text(), QStringLiteral("200"));
        QTest::keyClick(properties->size, Qt::Key_Tab);
        QCOMPARE(properties->size->value(), 150);
    }

    void linkToolChainsNumbers()
    {
        chainThreeNumbers();
        QCOMPARE(cellsOf(doc()), QStringLiteral("100,100:125+1 200,100:126+1 300,100:127+1"));
        QCOMPARE(linksOf(doc()), QStringLiteral("0,-1,1 0,0,2 0,1,-1"));

        // Empty page beeps and changes nothing.
        const int beeps = m_shell->recorder.beeps;
        click(windowPoint(400, 400));
        QCOMPARE(m_shell->recorder.beeps, beeps + 1);
        QCOMPARE(doc().linkCount, 1);
    }

    void dragMovesBySelectionByThePointersTravel()
    {
        const int a = placeNumber(100, 100);
        const int b = placeNumber(100, 200);
        click(windowPoint(105, 105));
        click(windowPoint(105, 205), Qt::ShiftModifier);
        drag(windowPoint(105, 205), windowPoint(152, 171));
        QTest::mouseRelease(window(), Qt::LeftButton, Qt::NoModifier, windowPoint(152, 171));
        QCOMPARE(positionOf(a), QPoint(147, 66));
        QCOMPARE(positionOf(b), QPoint(147, 166));
        QCOMPARE(m_frame->Form2->PageControl1->isEnabled(), false);
        QVERIFY(m_frame->left->isEnabled());
    }

    void rubberBandSelectsWhatItTouches()
    {
        placeNumber(100, 100);
        placeNumber(100, 200);
        placeNumber(300, 200);
        drag(windowPoint(50, 50), windowPoint(120, 205));
        // Drawn over the page while it is dragged.
        const QImage dragging = window()->grab().toImage();
        QCOMPARE(dragging.pixelColor(windowPoint(80, 50)), QColor(Qt::black));
        QCOMPARE(dragging.pixelColor(windowPoint(50, 150)), QColor(Qt::black));
        QTest::mouseRelease(window(), Qt::LeftButton, Qt::NoModifier, windowPoint(120, 205));
        QCOMPARE(window()->grab().toImage().pixelColor(windowPoint(80, 50)), QColor(Qt::white));

        QCOMPARE((QList<int>{doc().objects[0].selected, doc().objects[1].selected,
                             doc().objects[2].selected}),
                 (QList<int>{1, 1, -1}));
        QCOMPARE(selectedCount(doc()), 2);
    }

    void backspaceWarnsOncePerLink()
    {
        chainThreeNumbers();
        QTest::mouseClick(m_frame->main, Qt::LeftButton);
        click(windowPoint(105, 105));
        click(windowPoint(205, 105), Qt::ShiftModifier);

        QTest::keyClick(window()->ScrollBar1, Qt::Key_Backspace);
        QCOMPARE(m_shell->recorder.captions(), QStringList{QStringLiteral("O-o-ops!")});
        QCOMPARE(doc().count(), 1);
        QCOMPARE(linkOf(doc(), 0), unlinked);
        QCOMPARE(doc().linkCount, 0);
    }

    void duplicateStepsCopiesAndClearDisablesIt()
    {
        placeNumber(100, 100);
        click(windowPoint(105, 105));
        QVERIFY(m_frame->Duplicate->isEnabled());
        QTest::keyClick(m_frame, Qt::Key_D, Qt::ControlModifier);
        QTest::keyClick(m_frame, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(doc().count(), 3);
        QCOMPARE(positionOf(2), QPoint(120, 120));
        QCOMPARE(soleSelected(doc()), 2);

        m_frame->Clear->trigger();
        QCOMPARE(doc().count(), 2);
        QVERIFY(!m_frame->Duplicate->isEnabled());
        QTest::keyClick(m_frame, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(selectedCount(doc()), 2);
        QVERIFY(m_frame->Duplicate->isEnabled());
    }

    void alignButtonsAndArrangeItems()
    {
        placeNumber(100, 100);
        QTest::mouseClick(m_frame->text, Qt::LeftButton);
        click(windowPoint(150, 200));
        placeNumber(70, 300);
        QTest::mouseClick(m_frame->main, Qt::LeftButton);
        QTest::keyClick(m_frame, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(m_frame->right->isEnabled());
        QVERIFY(!m_frame->BTF->isEnabled());

        QTest::mouseClick(m_frame->right, Qt::LeftButton);
        const QList<Bounds32> &boxes = window()->boxes();
        QCOMPARE(boxes[1].right, boxes[0].right);
        QCOMPARE(boxes[2].right, boxes[0].right);
        QVERIFY(boxes[1].right > windowPoint(150, 0).x());
        const QList<PageObject> &objects = doc().objects;
        const int leftmost = std::min({objects[0].x, objects[1].x, objects[2].x});
        QTest::mouseClick(m_frame->left, Qt::LeftButton);
        QCOMPARE(positionsOf(doc()), QStringLiteral("%1,100 %1,200 %1,300").arg(leftmost));
        QCOMPARE(m_shell->shell.docModified, 1);

        click(windowPoint(400, 400));
        click(windowPoint(leftmost + 5, 305));
        QVERIFY(m_frame->BTF->isEnabled());
        QTest::keyClick(m_frame, Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(drawOrderOf(doc()), (QList<std::int32_t>{2, 0, 1}));
        QTest::keyClick(m_frame, Qt::Key_BracketRight, Qt::ControlModifier);
        QCOMPARE(drawOrderOf(doc()), (QList<std::int32_t>{0, 2, 1}));
    }
};

PAGINETTE_APP_TEST_MAIN(TestEditingTools)
#include "tst_editingtools.moc"
