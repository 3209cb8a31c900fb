#include "apptestmain.h"
#include "copypaste.h"
#include "documentbuilder.h"
#include "documentwindow.h"
#include "modalscript.h"
#include "objecttable.h"
#include "picturefiles.h"
#include "properties/objectpropertieswindow.h"
#include "shellfixture.h"
#include "toolrun.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QHelpEvent>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QToolTip>
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
    const QModelIndex index = view->model()->index(box->findText(entry), 0);
    const auto clickEntry = [&] {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                          view->visualRect(index).center());
        return !view->isVisible();
    };
    // A popup takes no release for a double-click interval after it opens:
    // the entry is clicked until the list takes the click and closes.
    QTRY_VERIFY(clickEntry());
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

    DocumentWindow *window() const { return documentWindow(); }
    const Document &doc() const { return m_shell->doc(); }
    QPoint positionOf(int index) const { return ::positionOf(doc(), index); }

    void click(QPoint point, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(window(), Qt::LeftButton, modifiers, point);
    }

    // A number placed with the tool at a page point; its index.
    int placeNumber(int x, int y)
    {
        return placeWith(child<QToolButton>("placeNumberButton"), x, y);
    }

    // An object placed with `tool` at a page point; its index.
    int placeWith(QToolButton *tool, int x, int y)
    {
        QTest::mouseClick(tool, Qt::LeftButton);
        click(windowPoint(x, y));
        QTest::mouseClick(child<QToolButton>("mainModeButton"), Qt::LeftButton);
        return doc().count() - 1;
    }

    // Three numbers in a row at x 100, 200 and 300, chained with the link tool.
    void chainThreeNumbers()
    {
        for (const int x : {100, 200, 300})
            placeNumber(x, 100);
        QTest::mouseClick(child<QToolButton>("linkModeButton"), Qt::LeftButton);
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
        QTest::mouseClick(child<QToolButton>("placeTextButton"), Qt::LeftButton);
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
        script.expect("MessageDialog",
                      [](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
        QCOMPARE(script.run([this] { action("quitAction")->trigger(); }), QStringList());
    }

    void doubleClickPlacesTwo()
    {
        QTest::mouseClick(child<QToolButton>("placeNumberButton"), Qt::LeftButton);
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
        const int object = placeWith(child<QToolButton>("placeTextButton"), 100, 100);
        click(windowPoint(105, 105));
        ObjectPropertiesWindow *properties = objectProperties();
        propertyTabs()->setCurrentWidget(propertyTab("positionTab"));
        typeInto(child<QLineEdit>("xEdit"), QStringLiteral("150"));
        child<QLineEdit>("yEdit")->setText(QStringLiteral("77"));
        propertyTabs()->setCurrentWidget(propertyTab("textTab"));
        child<QLineEdit>("textEdit")->setText(QStringLiteral("lost"));

        action("objectPropertiesAction")->trigger();
        QVERIFY(!properties->isVisible());
        QVERIFY(!action("objectPropertiesAction")->isChecked());
        QCOMPARE(positionOf(object), QPoint(150, 77));
        QCOMPARE(textsOf(doc()).at(object), QStringLiteral("Hello!"));
    }

    void startAndColourFromObjectProperties()
    {
        const int number = placeNumber(100, 100);
        click(windowPoint(105, 105));
        QVERIFY(propertyTabs()->isEnabled());
        QCOMPARE(child<QLineEdit>("startEdit")->text(), QStringLiteral("00125"));

        typeInto(child<QLineEdit>("startEdit"), QStringLiteral("007"));
        QCOMPARE(textsOf(doc()).at(number), QStringLiteral("007"));
        QCOMPARE(QApplication::focusWidget(), child<QLabel>("endValue"));
        typeInto(child<QLineEdit>("startEdit"), QStringLiteral("7"));
        QCOMPARE(textsOf(doc()).at(number), QStringLiteral("7"));

        propertyTabs()->setCurrentWidget(propertyTab("fontTab"));
        pick(child<QComboBox>("colorBox"), QStringLiteral("Green"));
        QCOMPARE(doc().objects[number].color, 32768);
        QVERIFY(m_shell->session.docModified);

        // A colour from the chooser; cancelling it changes nothing.
        ModalScript script;
        script.expect("QColorDialog", [](QWidget *modal) {
            auto *chooser = qobject_cast<QColorDialog *>(modal);
            chooser->setCurrentColor(QColor(1, 2, 3));
            chooser->accept();
        });
        script.cancel("QColorDialog");
        QCOMPARE(script.run([&] {
            pick(child<QComboBox>("colorBox"), QStringLiteral("Custom ..."));
            pick(child<QComboBox>("colorBox"), QStringLiteral("Custom ..."));
        }),
                 QStringList());
        QCOMPARE(doc().objects[number].color, 0x030201);
        QCOMPARE(doc().objects[number].customColor, 1);
    }

    void badEntryIsReportedAndStopsTheGroup()
    {
        const int number = placeNumber(100, 100);
        click(windowPoint(105, 105));
        child<QLineEdit>("startEdit")->setText(QStringLiteral("9"));
        typeInto(child<QLineEdit>("nextPageEdit"), QStringLiteral("x"));
        QCOMPARE(m_shell->recorder.errors(),
                 QStringList{QStringLiteral("'x' is not a valid floating point value")});
        QCOMPARE(doc().objects[number].start, 9);
        QCOMPARE(doc().objects[number].stepPage, 1);
        // The handler ended at the error: the focus stays in the box.
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>("nextPageEdit"));
    }

    void formatTabAppliesThroughItsControls()
    {
        const int number = placeNumber(100, 100);
        click(windowPoint(105, 105));
        QTest::mouseClick(propertyTabs()->tabBar(), Qt::LeftButton, Qt::NoModifier,
                          propertyTabs()->tabBar()->tabRect(4).center());
        QCOMPARE(propertyTabs()->currentWidget(), propertyTab("formatTab"));
        typeInto(child<QLineEdit>("prefixEdit"), QStringLiteral("No. "));
        typeInto(child<QLineEdit>("suffixEdit"), QStringLiteral(" of {last}"));
        child<QSpinBox>("repeatSpinBox")->setFocus();
        child<QSpinBox>("repeatSpinBox")->selectAll();
        QTest::keyClicks(child<QSpinBox>("repeatSpinBox"), QStringLiteral("3"));
        QTest::keyClick(child<QSpinBox>("repeatSpinBox"), Qt::Key_Return);
        pick(child<QComboBox>("checkCharacterBox"), QStringLiteral("Luhn (mod 10)"));
        QTest::mouseClick(child<QCheckBox>("autoWidthCheckBox"), Qt::LeftButton);

        const NumberFormat expected{.prefix = QStringLiteral("No. "),
                                    .suffix = QStringLiteral(" of {last}"),
                                    .repeat = 3,
                                    .check = CheckDigit::Luhn,
                                    .autoWidth = true};
        QVERIFY(doc().objects[number].format == expected);
        // 125 on pages 1 to 3 at the width of the run's widest value, with its
        // check: Luhn gives 5 for 125 and 1 for 127, the value on page 9.
        pagesEdit()->setText(QStringLiteral("9"));
        QTest::keyClick(pagesEdit(), Qt::Key_Return);
        QCOMPARE(textsOf(doc(), 3).at(number), QStringLiteral("No. 1255 of 1271"));
        QCOMPARE(m_shell->editor.undoStack().count(), 7);
    }

    void aBarcodeIsChosenOnTheFormatTab()
    {
        const int number = placeNumber(100, 100);
        click(windowPoint(105, 105));
        propertyTabs()->setCurrentWidget(propertyTab("formatTab"));
        pick(child<QComboBox>("barcodeBox"), QStringLiteral("QR code"));
        const std::optional<BarcodeStyle> chosen = doc().objects[number].format.barcode;
        QVERIFY(chosen && chosen->symbology == Symbology::Qr);
        // The box is the symbol's: a square.
        const Bounds32 box = window()->boxes().at(number);
        QVERIFY(box.right - box.left > 14);
        QCOMPARE(box.right - box.left, box.bottom - box.top);

        // A value the symbology cannot show is refused where it is chosen,
        // once, and the box shows what is stored again: the next tick stores.
        pick(child<QComboBox>("barcodeBox"), QStringLiteral("EAN-13"));
        QCOMPARE(m_shell->recorder.errors(),
                 QStringList{QStringLiteral("EAN-13 takes 12 or 13 digits; page 1 gives 5")});
        QVERIFY(doc().objects[number].format.barcode == chosen);
        QCOMPARE(child<QComboBox>("barcodeBox")->currentText(), QStringLiteral("QR code"));
        QTest::mouseClick(child<QCheckBox>("barcodeTextCheckBox"), Qt::LeftButton);
        QCOMPARE(m_shell->recorder.errors().size(), 1);
        QCOMPARE(doc().objects[number].format.barcode->symbology, Symbology::Qr);
    }

    void switchingTheSystemKeepsTheStartValue()
    {
        const int number = placeNumber(100, 100);
        click(windowPoint(105, 105));
        pick(child<QComboBox>("formatBox"), QStringLiteral("hexadecimal"));
        typeInto(child<QLineEdit>("startEdit"), QStringLiteral("00ff"));
        QCOMPARE(doc().objects[number].start, 255);
        pick(child<QComboBox>("formatBox"), QStringLiteral("decimal"));
        QCOMPARE(m_shell->recorder.errors(), QStringList());
        QCOMPARE(child<QLineEdit>("startEdit")->text(), QStringLiteral("0255"));
        QCOMPARE(doc().objects[number].start, 255);
        QCOMPARE(textsOf(doc()).at(number), QStringLiteral("0255"));
        // Typing a system's name switches as picking it does, once it is whole.
        child<QComboBox>("formatBox")->lineEdit()->selectAll();
        QTest::keyClicks(child<QComboBox>("formatBox")->lineEdit(), QStringLiteral("letters"));
        QCOMPARE(m_shell->recorder.errors(), QStringList());
        QCOMPARE(child<QLineEdit>("startEdit")->text(), QStringLiteral("IU"));
        QCOMPARE(doc().objects[number].start, 255);
    }

    void theWindowShowsWhatWasStored()
    {
        chainThreeNumbers();
        QTest::mouseClick(child<QToolButton>("mainModeButton"), Qt::LeftButton);
        click(windowPoint(205, 105));
        pagesEdit()->setText(QStringLiteral("5"));
        QTest::keyClick(pagesEdit(), Qt::Key_Return);
        // A member's start comes from the link, whatever is typed.
        typeInto(child<QLineEdit>("startEdit"), QStringLiteral("900"));
        QCOMPARE(child<QLineEdit>("startEdit")->text(), QStringLiteral("00126"));
        QCOMPARE(child<QLabel>("endValue")->text(), QStringLiteral("00130"));
        typeInto(child<QLineEdit>("nextPageEdit"), QStringLiteral("2"));
        QCOMPARE(child<QLabel>("endValue")->text(), QStringLiteral("00134"));
    }

    void leavingABoxAppliesWhatWasTyped()
    {
        const int number = placeNumber(100, 100);
        click(windowPoint(105, 105));
        propertyTabs()->setCurrentWidget(propertyTab("positionTab"));
        child<QLineEdit>("xEdit")->setFocus();
        child<QLineEdit>("xEdit")->selectAll();
        QTest::keyClicks(child<QLineEdit>("xEdit"), QStringLiteral("140"));
        QTest::keyClick(child<QLineEdit>("xEdit"), Qt::Key_Tab);
        QCOMPARE(positionOf(number), QPoint(140, 100));
        // A bad entry is told and keeps the focus, so that it can be mended.
        child<QLineEdit>("xEdit")->setFocus();
        child<QLineEdit>("xEdit")->selectAll();
        QTest::keyClicks(child<QLineEdit>("xEdit"), QStringLiteral("x1"));
        QTest::keyClick(child<QLineEdit>("xEdit"), Qt::Key_Tab);
        QCOMPARE(m_shell->recorder.errors(),
                 QStringList{QStringLiteral("'x1' is not a valid floating point value")});
        QTRY_COMPARE(QApplication::focusWidget(), child<QLineEdit>("xEdit"));
        QCOMPARE(positionOf(number), QPoint(140, 100));
    }

    void sizeBoxTakesThreeDigits()
    {
        const int number = placeNumber(100, 100);
        click(windowPoint(105, 105));
        propertyTabs()->setCurrentWidget(propertyTab("fontTab"));
        child<QSpinBox>("sizeSpinBox")->setFocus();
        child<QSpinBox>("sizeSpinBox")->selectAll();
        QTest::keyClicks(child<QSpinBox>("sizeSpinBox"), QStringLiteral("200"));
        QCOMPARE(doc().objects[number].fontSize, 150);
        QCOMPARE(child<QSpinBox>("sizeSpinBox")->text(), QStringLiteral("200"));
        QTest::keyClick(child<QSpinBox>("sizeSpinBox"), Qt::Key_Tab);
        QCOMPARE(child<QSpinBox>("sizeSpinBox")->value(), 150);
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
        QCOMPARE(propertyTabs()->isEnabled(), false);
        QVERIFY(child<QToolButton>("alignLeftButton")->isEnabled());
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
        QTest::mouseClick(child<QToolButton>("mainModeButton"), Qt::LeftButton);
        click(windowPoint(105, 105));
        click(windowPoint(205, 105), Qt::ShiftModifier);

        QTest::keyClick(window()->verticalScrollBar, Qt::Key_Backspace);
        QCOMPARE(m_shell->recorder.captions(), QStringList{QStringLiteral("O-o-ops!")});
        QCOMPARE(doc().count(), 1);
        QCOMPARE(linkOf(doc(), 0), unlinked);
        QCOMPARE(doc().linkCount, 0);
    }

    // The window takes the size its tabs need, every tab title showing, at
    // the design's font and at twice its size.
    void objectPropertiesFitsItsTabs_data()
    {
        QTest::addColumn<int>("percent");
        QTest::newRow("100 %") << 100;
        QTest::newRow("200 %") << 200;
    }

    void objectPropertiesFitsItsTabs()
    {
        QFETCH(int, percent);
        ObjectPropertiesWindow *properties = objectProperties();
        QFont font = properties->font();
        font.setPixelSize(font.pixelSize() * percent / 100);
        properties->setFont(font);
        properties->adjustSize();
        const QTabBar *bar = propertyTabs()->tabBar();
        for (int tab = 0; tab < propertyTabs()->count(); ++tab) {
            QVERIFY(bar->rect().contains(bar->tabRect(tab)));
            propertyTabs()->setCurrentIndex(tab);
            const QWidget *page = propertyTabs()->currentWidget();
            for (const QWidget *control : page->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                QVERIFY2(page->rect().contains(control->geometry()),
                         qPrintable(control->objectName()));
        }
        QVERIFY(properties->minimumWidth() < properties->maximumWidth());
    }

    // Where the window was, and its size, when the program ended is where it
    // opens next time.
    void objectPropertiesKeepsItsPlace()
    {
        ObjectPropertiesWindow *properties = objectProperties();
        properties->resize(properties->size() + QSize(60, 30));
        properties->move(150, 120);
        const QRect kept = properties->geometry();
        QVERIFY(m_frame->close());

        MainWindow again(AppContext{m_shell->editor, m_shell->session, m_shell->render,
                                    m_shell->view, m_shell->prefs, m_shell->recorder.feedback()});
        again.setHooks({[](QDialog &) {},
                        {},
                        [](AboutDialog &) {
                        }});
        again.start();
        QCOMPARE(again.objectProperties()->geometry(), kept);
    }

    // Cut, Copy and Paste by their keys, each one step; text from elsewhere
    // becomes text objects, a line each; without room, nothing and why.
    void cutCopyAndPasteByTheirKeys()
    {
        chainThreeNumbers();
        QTest::mouseClick(child<QToolButton>("mainModeButton"), Qt::LeftButton);
        const auto key = [this](Qt::Key letter) {
            QTest::keyClick(m_frame, letter, Qt::ControlModifier);
        };
        const QUndoStack &history = m_shell->editor.undoStack();
        key(Qt::Key_A);
        key(Qt::Key_C);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("00125\n00126\n00127"));
        key(Qt::Key_V);
        QCOMPARE(history.undoText(), QStringLiteral("Paste"));
        QCOMPARE(doc().count(), 6);
        QCOMPARE(selectedCount(doc()), 3);
        key(Qt::Key_X);
        QCOMPARE(history.undoText(), QStringLiteral("Cut"));
        QCOMPARE(doc().count(), 3);

        QGuiApplication::clipboard()->setText(QStringLiteral(" Seat 12\n\nRow B"));
        key(Qt::Key_V);
        QCOMPARE(textsOf(doc()).mid(3), (QStringList{"Seat 12", "Row B"}));

        Document full = doc();
        full.capacity = full.count() + 1;
        m_shell->editor.replace(full);
        key(Qt::Key_V);
        QCOMPARE(doc().count(), full.count());
        QCOMPARE(m_shell->recorder.messages.last(),
                 FeedbackRecorder::Message(noRoomMessage(QStringLiteral("The paste"), 2, 1),
                                           QStringLiteral("Paste")));
    }

    // Objects on the clipboard that cannot be read whole paste nothing, and
    // the error display says why.
    void pasteTellsWhyNothingWasPasted_data()
    {
        QTest::addColumn<int>("kept");
        QTest::newRow("a copy cut inside its second object") << 48 + 388 + 100;
        QTest::newRow("a copy that never came across") << 0;
    }

    void pasteTellsWhyNothingWasPasted()
    {
        QFETCH(int, kept);
        Document copied = emptyDocument(20);
        addNumber(copied, 10, 10, 125, 5);
        addObject(copied, KindText, 10, 40, QStringLiteral("Admit one"));
        addObject(copied, KindText, 10, 70, QStringLiteral("Row B"));
        auto *mime = new QMimeData;
        putObjects(*mime, copied, QStringLiteral("00125\nAdmit one\nRow B"));
        mime->setData(QLatin1String(objectsMimeType),
                      mime->data(QLatin1String(objectsMimeType)).left(kept));
        QGuiApplication::clipboard()->setMimeData(mime);
        placeNumber(100, 100);
        const Document before = doc();
        const int steps = m_shell->editor.undoStack().count();

        QTest::keyClick(m_frame, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(documentDump(doc()), documentDump(before));
        QCOMPARE(m_shell->editor.undoStack().count(), steps);
        const QStringList errors = m_shell->recorder.errors();
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().startsWith(
                     QStringLiteral("Nothing was pasted: the objects on the clipboard")),
                 qPrintable(errors.first()));
    }

    // A picture from a file: placed where clicked at its natural size, one
    // step, shown, and printed as one lossless image.
    void placesAPictureAndPrintsIt()
    {
        const QString file = m_shell->path(QStringLiteral("logo.png"));
        QImage logo(144, 72, QImage::Format_RGB32);
        logo.fill(Qt::red);
        logo.setDotsPerMeterX(5669); // 144 to the inch: 72 x 36 page units
        logo.setDotsPerMeterY(5669);
        QVERIFY(logo.save(file));
        QTest::mouseClick(child<QToolButton>("placePictureButton"), Qt::LeftButton);
        ModalScript place;
        place.typePath(file);
        QCOMPARE(place.run([this] {
            click(windowPoint(100, 100));
            QTRY_COMPARE(doc().count(), 1);
        }),
                 QStringList());
        const PageObject &placed = doc().objects.first();
        QCOMPARE(positionOf(0), QPoint(100, 100));
        QCOMPARE(qRound(placed.picture->width), 72);
        QCOMPARE(qRound(placed.picture->height), 36);
        QCOMPARE(m_shell->editor.undoStack().undoText(), QStringLiteral("Place Picture"));
        const QImage shown = window()->presentedImage();
        QCOMPARE(shown.pixelColor(windowPoint(136, 118)), QColor(Qt::red));

        const QString out = m_shell->path(QStringLiteral("printed.pdf"));
        ModalScript print;
        print.expect("QPrintDialog", [&out](QWidget *dialog) {
            auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
            printers->setCurrentIndex(printers->count() - 1); // Print to File (PDF)
            dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(out);
            qobject_cast<QDialog *>(dialog)->accept();
        });
        QCOMPARE(print.run([this] { action("printAction")->trigger(); }), QStringList());
        const ToolRun images = runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), out});
        // A header of two lines, then the one image, as its pixels are: no
        // lossy encoding.
        const QStringList listed = images.out.split(u'\n', Qt::SkipEmptyParts).mid(2);
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed.first().simplified().section(u' ', 8, 8), QStringLiteral("image"));
    }

    // Place Picture asks which page of a PDF of several; a file too large,
    // one past the bounds of decoding or no picture at all is refused with a
    // message, nothing placed; an SVG naming files outside it is placed, and
    // the message says they are not shown.
    void placePictureAsksAndRefuses_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("second page of two") << "pdf" << QString();
        QTest::newRow("over 16 MB") << "large"
                                    << "big.png is larger than 16 MB, the most a document takes";
        QTest::newRow("no picture")
            << "text"
            << "notes.png is no PNG, JPEG, SVG or PDF file that can be read";
        QTest::newRow("a JPEG of 300 scans more")
            << "scans"
            << "scans.jpg is a JPEG of SCANS scans, more work to decode than a picture may take";
        QTest::newRow("an SVG naming a file")
            << "svg"
            << "logo.svg refers to a file or address outside it, not shown: a picture draws "
               "only what it holds.";
    }

    void placePictureAsksAndRefuses()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QMap<QString, QString> names{{"pdf", "form.pdf"},
                                           {"large", "big.png"},
                                           {"text", "notes.png"},
                                           {"scans", "scans.jpg"},
                                           {"svg", "logo.svg"}};
        const QString file = m_shell->path(names.value(kind));
        const QByteArray scans =
            withRepeatedScans(encodedImage(busyImage(QSize(64, 64), 5), "jpeg", true), 300);
        message.replace(QStringLiteral("SCANS"), QString::number(jpegScans(scans)));
        if (kind == "scans" || kind == "svg") {
            QFile written(file);
            QVERIFY(written.open(QIODevice::WriteOnly));
            written.write(kind == "scans"
                              ? scans
                              : R"(<svg xmlns="http://www.w3.org/2000/svg" )"
                                R"(xmlns:xlink="http://www.w3.org/1999/xlink" width="40" )"
                                R"(height="40"><image width="40" height="40" )"
                                R"(xlink:href="/etc/hostname"/></svg>)");
        } else if (kind == "pdf") {
            QPdfWriter writer(file);
            writer.setPageSize(QPageSize(QPageSize::A4));
            QPainter painter(&writer);
            writer.setPageSize(QPageSize(QPageSize::A6));
            writer.newPage();
        } else {
            QFile written(file);
            QVERIFY(written.open(QIODevice::WriteOnly));
            QVERIFY(kind == "large" ? written.resize(maxPictureBytes + 1)
                                    : written.write("shopping list\n") > 0);
        }
        m_shell->recorder.messages.clear();
        QTest::mouseClick(child<QToolButton>("placePictureButton"), Qt::LeftButton);
        ModalScript place;
        place.typePath(file);
        if (kind == "pdf")
            place.expect("QInputDialog", [](QWidget *dialog) {
                auto *ask = qobject_cast<QInputDialog *>(dialog);
                ask->setIntValue(2);
                ask->accept();
            });
        // The file dialog comes once the click is handled.
        QCOMPARE(place.run([this] {
            click(windowPoint(100, 100));
            QTRY_VERIFY(doc().count() == 1 || !m_shell->recorder.messages.isEmpty());
        }),
                 QStringList());
        if (kind == "pdf") {
            QTRY_COMPARE(doc().count(), 1);
            const PictureRef &picture = *doc().objects[0].picture;
            QCOMPARE(picture.page, 2);
            // A6, as Qt writes it: 297 x 420 points.
            QCOMPARE(QSize(qRound(picture.width), qRound(picture.height)), QSize(297, 420));
            return;
        }
        QTRY_COMPARE(m_shell->recorder.messages.size(), qsizetype{1});
        QCOMPARE(m_shell->recorder.messages.first(),
                 std::pair(message, QStringLiteral("Place Picture")));
        QCOMPARE(doc().count(), kind == "svg" ? 1 : 0);
    }

    // The Picture tab: a width typed keeps the proportions, the choices tick,
    // each change one undo step.
    void pictureTabAppliesThroughItsControls()
    {
        Document withPicture = emptyDocument(20);
        placePicture(withPicture, 100, 100, QByteArray("not decoded: a frame"),
                     QStringLiteral("a.png"), 1, QSizeF(72, 36));
        m_shell->editor.replace(withPicture);
        click(windowPoint(110, 110));
        QTest::mouseClick(propertyTabs()->tabBar(), Qt::LeftButton, Qt::NoModifier,
                          propertyTabs()->tabBar()->tabRect(5).center());
        QCOMPARE(child<QLabel>("pictureFileValue")->text(), QStringLiteral("a.png"));
        child<QDoubleSpinBox>("pictureWidthSpinBox")->setFocus();
        child<QDoubleSpinBox>("pictureWidthSpinBox")->selectAll();
        QTest::keyClicks(child<QDoubleSpinBox>("pictureWidthSpinBox"), QStringLiteral("144"));
        QTest::keyClick(child<QDoubleSpinBox>("pictureWidthSpinBox"), Qt::Key_Return);
        QTest::mouseClick(child<QCheckBox>("backgroundCheckBox"), Qt::LeftButton);
        QTest::mouseClick(child<QCheckBox>("printedCheckBox"), Qt::LeftButton);

        const PictureRef &picture = *doc().objects[0].picture;
        QCOMPARE(QSizeF(picture.width, picture.height), QSizeF(144, 72));
        QVERIFY(picture.background && !picture.printed);
        QCOMPARE(child<QDoubleSpinBox>("pictureHeightSpinBox")->value(), 72.0);
        QCOMPARE(m_shell->editor.undoStack().count(), 3);
        action("undoAction")->trigger();
        QVERIFY(doc().objects[0].picture->printed);
    }

    // A barcode that shows no symbol says why on the status bar and in its tool tip.
    void refusedBarcodeSaysWhy()
    {
        Document doc = emptyDocument(20);
        const int number = addNumber(doc, 100, 100, 1, 5);
        doc.objects[number].format.barcode = BarcodeStyle{.symbology = Symbology::Ean13};
        m_shell->editor.replace(doc);
        const QString why = QStringLiteral("EAN-13 takes 12 or 13 digits; page 1 gives 5");
        QCOMPARE(child<QLabel>("refusalLabel")->text(), QStringLiteral("object 1: ") + why);
        const QPoint over = windowPoint(105, 105);
        QHelpEvent help(QEvent::ToolTip, over, window()->mapToGlobal(over));
        QApplication::sendEvent(window(), &help);
        QTRY_COMPARE(QToolTip::text(), why);
    }

    void duplicateStepsCopiesAndClearDisablesIt()
    {
        placeNumber(100, 100);
        click(windowPoint(105, 105));
        QVERIFY(action("duplicateAction")->isEnabled());
        QTest::keyClick(m_frame, Qt::Key_D, Qt::ControlModifier);
        QTest::keyClick(m_frame, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(doc().count(), 3);
        QCOMPARE(positionOf(2), QPoint(120, 120));
        QCOMPARE(soleSelected(doc()), 2);

        action("clearAction")->trigger();
        QCOMPARE(doc().count(), 2);
        QVERIFY(!action("duplicateAction")->isEnabled());
        QTest::keyClick(m_frame, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(selectedCount(doc()), 2);
        QVERIFY(action("duplicateAction")->isEnabled());
    }

    void alignButtonsAndArrangeItems()
    {
        placeNumber(100, 100);
        QTest::mouseClick(child<QToolButton>("placeTextButton"), Qt::LeftButton);
        click(windowPoint(150, 200));
        placeNumber(70, 300);
        QTest::mouseClick(child<QToolButton>("mainModeButton"), Qt::LeftButton);
        QTest::keyClick(m_frame, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(child<QToolButton>("alignRightButton")->isEnabled());
        QVERIFY(!action("bringToFrontAction")->isEnabled());

        QTest::mouseClick(child<QToolButton>("alignRightButton"), Qt::LeftButton);
        const QList<Bounds32> &boxes = window()->boxes();
        QCOMPARE(boxes[1].right, boxes[0].right);
        QCOMPARE(boxes[2].right, boxes[0].right);
        QVERIFY(boxes[1].right > windowPoint(150, 0).x());
        const QList<PageObject> &objects = doc().objects;
        const int leftmost = std::min({objects[0].x, objects[1].x, objects[2].x});
        QTest::mouseClick(child<QToolButton>("alignLeftButton"), Qt::LeftButton);
        QCOMPARE(positionsOf(doc()), QStringLiteral("%1,100 %1,200 %1,300").arg(leftmost));
        QVERIFY(m_shell->session.docModified);

        click(windowPoint(400, 400));
        click(windowPoint(leftmost + 5, 305));
        QVERIFY(action("bringToFrontAction")->isEnabled());
        QTest::keyClick(m_frame, Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(drawOrderOf(doc()), (QList<std::int32_t>{2, 0, 1}));
        QTest::keyClick(m_frame, Qt::Key_BracketRight, Qt::ControlModifier);
        QCOMPARE(drawOrderOf(doc()), (QList<std::int32_t>{0, 2, 1}));
    }
};

PAGINETTE_APP_TEST_MAIN(TestEditingTools)
#include "tst_editingtools.moc"
