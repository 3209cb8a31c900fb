#include "apptestmain.h"
#include "desktopfeedback.h"
#include "documentbuilder.h"
#include "filebytes.h"
#include "guarded.h"
#include "menucaption.h"
#include "modalscript.h"
#include "pagespinbox.h"
#include "paginetteerror.h"
#include "shellfixture.h"
#include "tform6.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPalette>
#include <QScopeGuard>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

namespace {

// A row of the menu as the user sees it; "-" for a separator.
struct MenuRow
{
    QString name;
    QString text;
    QKeySequence shortcut;
    bool enabled = true;
};

QList<MenuRow> rowsOf(const QMenu *menu)
{
    QList<MenuRow> rows;
    for (const QAction *action : menu->actions()) {
        if (action->isSeparator())
            rows.append({QStringLiteral("-"), QString(), QKeySequence(), true});
        else
            rows.append({action->objectName(), shownCaption(action->text()), action->shortcut(),
                         action->isEnabled()});
    }
    return rows;
}

QKeySequence ctrl(Qt::Key key)
{
    return QKeySequence(Qt::CTRL | key);
}

MenuRow sep()
{
    return {QStringLiteral("-"), QString(), QKeySequence(), true};
}

// Whether `edit` shows `text` whole. A line edit scrolls its text as it
// paints, to keep the cursor in view, but only where the text is wider than
// the box: so the start of the text stays put when the cursor goes to its end.
bool showsWhole(QLineEdit *edit, const QString &text)
{
    edit->setText(text);
    edit->setCursorPosition(0);
    const auto cursorRect = [edit] {
        return edit->inputMethodQuery(Qt::ImCursorRectangle);
    };
    edit->grab();
    const QVariant start = cursorRect();
    edit->end(false);
    edit->grab();
    edit->setCursorPosition(0);
    return cursorRect() == start;
}

// How many pixels of `picture` are drawn, mostly opaque, nearer `ink` than
// `paper` in lightness.
int inkPixels(const QImage &picture, QRgb ink, QRgb paper)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = picture.pixel(x, y);
            count += qAlpha(pixel) > 100 &&
                     std::abs(qGray(pixel) - qGray(ink)) < std::abs(qGray(pixel) - qGray(paper));
        }
    return count;
}

void addButtonRow(const char *name, const char *caption, const char *hint, bool enabled = true,
                  bool glyph = true)
{
    QTest::newRow(name) << name << caption << hint << enabled << glyph;
}

void addModeRow(const char *control, const char *button, const char *status, EditMode editMode)
{
    QTest::newRow(control) << control << button << status << int(editMode);
}

} // namespace

Q_DECLARE_METATYPE(MenuRow)

class TestMainFrame : public ShellTest
{
    Q_OBJECT

    // A tool button is clicked, a menu item triggered.
    void activate(const QString &control)
    {
        if (auto *item = m_frame->findChild<QAction *>(control))
            item->trigger();
        else
            QTest::mouseClick(m_frame->findChild<QToolButton *>(control), Qt::LeftButton);
    }

private Q_SLOTS:
    void init() { QVERIFY(startShell()); }
    void cleanup() { stopShell(); }

    void menuBarHasTheSevenMenus()
    {
        QStringList titles;
        for (const QAction *action : m_frame->menuBar()->actions())
            titles.append(shownCaption(action->text()));
        QCOMPARE(titles,
                 QStringList({"File", "Edit", "Tools", "View", "Add-ons", "Windows", "Help"}));
    }

    void menusMatchTheirTables_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QList<MenuRow>>("rows");

        QTest::newRow("File") << "File1"
                              << QList<MenuRow>{{"Quit1", "New", ctrl(Qt::Key_N)},
                                                {"Close1", "Open", ctrl(Qt::Key_O)},
                                                {"Close2", "Close", ctrl(Qt::Key_W)},
                                                sep(),
                                                {"Save1", "Save", ctrl(Qt::Key_S)},
                                                {"SaveAs1", "Save As", QKeySequence()},
                                                sep(),
                                                {"PageSetup1", "Page Setup", ctrl(Qt::Key_T)},
                                                {"PrinterCalibration1", "Printer Calibration...",
                                                 QKeySequence()},
                                                {"Print1", "Print", ctrl(Qt::Key_P)},
                                                {"PrintPreview1", "Print Preview", QKeySequence()},
                                                sep(),
                                                {"Quit2", "Quit", ctrl(Qt::Key_Q)}};
        // Duplicate and Create Matrix are off: the empty document has nothing selected.
        // Undo and Redo are off: its history is empty.
        QTest::newRow("Edit") << "Edit1"
                              << QList<MenuRow>{{"Undo1", "Undo", ctrl(Qt::Key_Z), false},
                                                {"Redo1", "Redo",
                                                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                                 false},
                                                sep(),
                                                {"Cut1", "Cut", ctrl(Qt::Key_X), false},
                                                {"Copy1", "Copy", ctrl(Qt::Key_C), false},
                                                {"Paste1", "Paste", ctrl(Qt::Key_V), false},
                                                {"Clear", "Clear", QKeySequence()},
                                                sep(),
                                                {"SelectAll1", "Select All", ctrl(Qt::Key_A)},
                                                {"Duplicate", "Duplicate", ctrl(Qt::Key_D), false},
                                                sep(),
                                                {"Preferences1", "Preferences", QKeySequence()}};
        QTest::newRow("Tools") << "Tools1"
                               << QList<MenuRow>{{"Main1", "Main", QKeySequence()},
                                                 sep(),
                                                 {"PlaceNumber1", "Place Number", QKeySequence()},
                                                 {"PlaceText1", "Place Text", QKeySequence()},
                                                 {"PlacePicture1", "Place Picture", QKeySequence()},
                                                 sep(),
                                                 {"LinkMode1", "Link Mode", QKeySequence()},
                                                 {"UnlinkMode1", "Unlink Mode", QKeySequence()}};
        QTest::newRow("View") << "View1"
                              << QList<MenuRow>{{"Arrange2", "Arrange", QKeySequence()},
                                                {"Zoom1", "Zoom", QKeySequence()},
                                                sep(),
                                                {"ShowLinks1", "Show Links", QKeySequence()}};
        // Arrange moves the one selected object: off with none.
        QTest::newRow("View > Arrange")
            << "Arrange2"
            << QList<MenuRow>{{"BF", "Bring Forward", ctrl(Qt::Key_BracketRight), false},
                              {"SB", "Send Backward", ctrl(Qt::Key_BracketLeft), false},
                              sep(),
                              {"BTF", "Bring To Front", ctrl(Qt::Key_F), false},
                              {"STB", "Send To Back", ctrl(Qt::Key_B), false}};
        QTest::newRow("View > Zoom") << "Zoom1"
                                     << QList<MenuRow>{{"N251", "25 %", QKeySequence()},
                                                       {"N501", "50 %", QKeySequence()},
                                                       {"N1001", "100 %", QKeySequence()},
                                                       {"N2001", "200 %", QKeySequence()}};
        QTest::newRow("Add-ons")
            << "Addons1"
            << QList<MenuRow>{{"CreateMatrix1", "Create Matrix", ctrl(Qt::Key_M), false},
                              {"ExporttoDB1", "Export to DB", ctrl(Qt::Key_E), false},
                              sep(),
                              {"ContinueNumbering1", "Continue Numbering...", QKeySequence()},
                              {"PrintLog1", "Print Log", QKeySequence()}};
        QTest::newRow("Windows") << "Windows1"
                                 << QList<MenuRow>{
                                        {"ObjectProperties1", "Object Properties", QKeySequence()},
                                        sep(),
                                        {"Untitled1", "Untitled", QKeySequence(), false}};
        QTest::newRow("Help") << "Help1"
                              << QList<MenuRow>{
                                     {"Help2", "Help", QKeySequence(Qt::Key_F1)},
                                     sep(),
                                     {"AboutPaginette1", "About Paginette", QKeySequence()}};
    }

    void menusMatchTheirTables()
    {
        QFETCH(QString, menu);
        QFETCH(QList<MenuRow>, rows);
        const auto *found = m_frame->findChild<QMenu *>(menu);
        QVERIFY(found);
        const QList<MenuRow> actual = rowsOf(found);
        QCOMPARE(actual.size(), rows.size());
        for (int i = 0; i < rows.size(); ++i) {
            const MenuRow &want = rows[i];
            const MenuRow &got = actual[i];
            const QByteArray where = QByteArray::number(i) + ": " + want.name.toUtf8();
            QVERIFY2(got.name == want.name, where + " is " + got.name.toUtf8());
            QVERIFY2(got.text == want.text, where + " text " + got.text.toUtf8());
            QVERIFY2(got.shortcut == want.shortcut,
                     where + " shortcut " + got.shortcut.toString().toUtf8());
            QVERIFY2(got.enabled == want.enabled, where + " enabled state");
            // The design name finds this very item and no other.
            if (want.name != QStringLiteral("-"))
                QVERIFY2(m_frame->findChild<QAction *>(want.name) == found->actions().at(i),
                         where + " found by name");
        }
    }

    // Every title and item has an underlined letter, none twice in a menu.
    // Alt and a title's letter open its menu; an item's letter picks it.
    void menusAnswerTheirLetters()
    {
        QList<const QWidget *> menus{m_frame->menuBar()};
        for (const QMenu *menu : m_frame->menuBar()->findChildren<QMenu *>())
            menus.append(menu);
        for (const QWidget *menu : menus) {
            QStringList letters;
            for (const QAction *action : menu->actions())
                if (!action->isSeparator())
                    letters.append(QKeySequence::mnemonic(action->text()).toString());
            QVERIFY2(!letters.contains(QString()) && letters.removeDuplicates() == 0,
                     qPrintable(letters.join(u' ')));
        }

        m_frame->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), m_frame);
        // Keys through the frame's window, as the user's come.
        QWindow *window = m_frame->windowHandle();
        for (const QAction *title : m_frame->menuBar()->actions()) {
            QTest::keyClick(window, QKeySequence::mnemonic(title->text())[0].key(),
                            Qt::AltModifier);
            QTRY_VERIFY2(title->menu()->isVisible(), qPrintable(title->text()));
            QTest::keyClick(window, Qt::Key_Escape);
            QTRY_VERIFY(!title->menu()->isVisible());
        }
        QTest::keyClick(window, Qt::Key_T, Qt::AltModifier);
        QTRY_VERIFY(m_frame->findChild<QMenu *>(QStringLiteral("Tools1"))->isVisible());
        QTest::keyClick(window, Qt::Key_N);
        QCOMPARE(m_shell->shell.editMode, ModePlaceNumber);
    }

    void toolBarControlsInOrder()
    {
        QStringList order;
        for (QAction *action : m_frame->ToolBar1->actions()) {
            if (action->isSeparator())
                order.append(QStringLiteral("|"));
            else
                order.append(m_frame->ToolBar1->widgetForAction(action)->objectName());
        }
        QCOMPARE(order,
                 QStringList({"|",    "main",   "|",       "number", "text",  "pict",    "|",
                              "link", "unlink", "|",       "Label1", "pages", "|",       "Label2",
                              "page", "|",      "zoom",    "|",      "left",  "hCenter", "right",
                              "|",    "top",    "vCenter", "bottom", "|",     "mode"}));
    }

    void toolBarControlTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("glyph");
        addButtonRow("main", "M", "Main mode");
        addButtonRow("number", "N", "Place Number");
        addButtonRow("text", "T", "Place Text");
        addButtonRow("pict", "P", "Place Picture", false, false);
        addButtonRow("link", "L", "Link Mode");
        addButtonRow("unlink", "U", "Unlink Mode");
        // Aligning takes two selected objects: off with none.
        addButtonRow("left", "", "Align Object Left", false);
        addButtonRow("hCenter", "", "Align Objects Center", false);
        addButtonRow("right", "", "Align Objects Right", false);
        addButtonRow("top", "", "Align Objects Bottom", false);
        addButtonRow("vCenter", "", "Align Objects Center", false);
        addButtonRow("bottom", "", "ALign Objects Right", false);
    }

    void toolBarControlTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, hint);
        QFETCH(bool, enabled);
        QFETCH(bool, glyph);
        auto *button = m_frame->findChild<QToolButton *>(name);
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->toolTip(), hint);
        QCOMPARE(button->statusTip(), hint);
        QCOMPARE(button->isEnabled(), enabled);
        QCOMPARE(!button->icon().isNull(), glyph);
        QCOMPARE(button->size(), QSize(23, 22));
        QVERIFY(button->autoRaise());
        // The mode buttons, and only they, carry a caption and form the group.
        QCOMPARE(m_frame->modeGroup->buttons().contains(button), !caption.isEmpty());
    }

    void startState()
    {
        QVERIFY(m_frame->main->isChecked());
        QCOMPARE(m_frame->mode->text(), QStringLiteral("Main Mode"));
        QCOMPARE(m_frame->mode->frameShape(), QFrame::Box);
        QCOMPARE(m_frame->mode->size(), QSize(96, 22));
        QCOMPARE(m_frame->pages->text(), QStringLiteral("1"));
        QCOMPARE(m_frame->pages->toolTip(), QStringLiteral("Pages to Print"));
        QCOMPARE(m_frame->page->text(), QStringLiteral("1"));
        QCOMPARE(m_frame->page->toolTip(), QStringLiteral("Page Shown"));
        QCOMPARE(m_frame->page->maximum(), 10000);
        QVERIFY(!m_frame->zoom->isEnabled());
        QCOMPARE(m_frame->zoom->currentText(), QStringLiteral("Zoom"));
        QCOMPARE(m_frame->zoom->toolTip(), QStringLiteral("Zoom Factor"));
        QCOMPARE(m_frame->zoom->count(), 4);
        QCOMPARE(m_frame->zoom->itemText(3), QStringLiteral("200 %"));
        QCOMPARE(m_frame->Label1->text(), QStringLiteral("Pages:"));
        QCOMPARE(m_frame->Label2->text(), QStringLiteral("Page:"));
        // The maximised document window's caption joins the frame's, as in any
        // multiple-document frame.
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("Paginette - [Untitled]"));

        QCOMPARE(m_shell->shell.editMode, ModeMain);
        QCOMPARE(m_shell->docFlags(), (QList<int>{1, 0, 0}));
        const Document &doc = m_shell->doc();
        QCOMPARE(doc.pageShown, 1);
        QCOMPARE(doc.capacity, 20);
        QCOMPARE(doc.count(), 0);
        QCOMPARE(soleSelected(doc), -1);
        QVERIFY(m_frame->Close2->isEnabled());
        QVERIFY(!m_frame->CreateMatrix1->isEnabled());
        QVERIFY(!m_frame->Duplicate->isEnabled());

        // A first start: the file was created after one message.
        QCOMPARE(m_shell->recorder.messages.size(), 1);
        QCOMPARE(m_shell->recorder.messages.first().first,
                 QStringLiteral("Creating preferences file"));
        QCOMPARE(m_shell->files(), QStringList{"pgtpc.ini"});
    }

    void capacityComesFromThePreferences()
    {
        stopShell();
        QVERIFY(startShell(preferenceRecord(50, 0, 1)));

        QCOMPARE(m_shell->doc().capacity, 50);
        QCOMPARE(m_shell->doc().count(), 0);
        QCOMPARE(m_shell->prefs.showLinks, 1);
        QVERIFY(m_frame->ShowLinks1->isChecked());
        QVERIFY(m_shell->recorder.messages.isEmpty());
    }

    void frameIsCreatedDisabledWithItsCaption()
    {
        // Built on state of its own, apart from the fixture's.
        ShellState shell;
        RenderState render;
        ViewState view;
        prefStruct prefs{};
        DocumentEditor editor(shell);
        TForm1 bare(AppContext{editor, shell, render, view, prefs, m_shell->recorder.feedback()});
        QCOMPARE(editor.document().capacity, 20);
        QCOMPARE(shell.docOpen, 1);
        QCOMPARE(bare.windowTitle(), QStringLiteral("Paginette"));
        QVERIFY(!bare.isEnabled());
        QVERIFY(!bare.Form6);
    }

    // Each mode by its tool button and by its Tools item, then back to the
    // main mode the same way. The two disagree on the unlink status text.
    void modeControls_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("editMode");
        addModeRow("number", "number", "Place Number", ModePlaceNumber);
        addModeRow("text", "text", "Place Text", ModePlaceText);
        addModeRow("link", "link", "Create Link", ModeLink);
        addModeRow("unlink", "unlink", "Break link", ModeUnlink);
        addModeRow("PlaceNumber1", "number", "Place Number", ModePlaceNumber);
        addModeRow("PlaceText1", "text", "Place Text", ModePlaceText);
        addModeRow("PlacePicture1", "pict", "Place Picture", ModePlacePicture);
        addModeRow("LinkMode1", "link", "Create Link", ModeLink);
        addModeRow("UnlinkMode1", "unlink", "Delete Link", ModeUnlink);
    }

    void modeControls()
    {
        QFETCH(QString, control);
        QFETCH(QString, button);
        QFETCH(QString, status);
        QFETCH(int, editMode);
        activate(control);
        const auto *down = m_frame->findChild<QToolButton *>(button);
        QVERIFY(down->isChecked());
        QVERIFY(!m_frame->main->isChecked());
        QCOMPARE(m_frame->mode->text(), status);
        QCOMPARE(int(m_shell->shell.editMode), editMode);

        const bool byItem = m_frame->findChild<QAction *>(control) != nullptr;
        activate(byItem ? QStringLiteral("Main1") : QStringLiteral("main"));
        QVERIFY(m_frame->main->isChecked());
        QVERIFY(!down->isChecked());
        QCOMPARE(m_frame->mode->text(), QStringLiteral("Main Mode"));
        QCOMPARE(m_shell->shell.editMode, ModeMain);
    }

    void modeGroupIsExclusive()
    {
        const QButtonGroup *group = m_frame->modeGroup;
        QCOMPARE(group->buttons().size(), 6);

        // Clicking the button that is down keeps it down.
        QTest::mouseClick(m_frame->main, Qt::LeftButton);
        QVERIFY(m_frame->main->isChecked());
        QCOMPARE(group->checkedButton(), m_frame->main);

        // The disabled picture button takes no click.
        QTest::mouseClick(m_frame->pict, Qt::LeftButton);
        QVERIFY(!m_frame->pict->isChecked());
        QCOMPARE(m_shell->shell.editMode, ModeMain);

        QTest::mouseClick(m_frame->link, Qt::LeftButton);
        int down = 0;
        for (const QAbstractButton *button : group->buttons())
            down += button->isChecked() ? 1 : 0;
        QCOMPARE(down, 1);
    }

    // The boxes show five digits and the labels their colons, never narrower
    // than designed, and the pictures are drawn in the button text at 1x and
    // 2x: in the desktop's look, and in a larger, dark one given to the
    // desktop or to the frame while the program runs.
    void toolBarFollowsFontAndPalette_data()
    {
        QTest::addColumn<QString>("changed");
        QTest::newRow("desktop look") << "";
        QTest::newRow("larger, dark desktop look") << "desktop";
        QTest::newRow("larger, dark look on the frame") << "frame";
    }

    void toolBarFollowsFontAndPalette()
    {
        QFETCH(QString, changed);
        const QFont font = QApplication::font();
        const QPalette palette = QApplication::palette();
        const auto restore = qScopeGuard([=] {
            QApplication::setFont(font);
            QApplication::setPalette(palette);
        });
        QFont larger = font;
        larger.setPixelSize(22);
        QPalette dark(QColor(53, 53, 53), QColor(45, 45, 45));
        dark.setColor(QPalette::ButtonText, Qt::white);
        if (changed == QStringLiteral("frame")) {
            m_frame->setFont(larger);
            m_frame->setPalette(dark);
        } else if (changed == QStringLiteral("desktop")) {
            QApplication::setFont(larger);
            QApplication::setPalette(dark);
            // The desktop's look reaches the windows from the event loop.
            QTRY_COMPARE(m_frame->palette().color(QPalette::ButtonText), QColor(Qt::white));
            QTRY_COMPARE(m_frame->font().pixelSize(), 22);
        }

        for (const auto &[label, design] : {std::pair{m_frame->Label1, 37}, {m_frame->Label2, 32}})
            QVERIFY2(label->width() >= std::max(design, label->sizeHint().width()),
                     qPrintable(label->text()));
        QVERIFY(m_frame->pages->width() >= 34 && m_frame->page->width() >= 46);
        QVERIFY(showsWhole(m_frame->pages, QStringLiteral("60000")));
        QVERIFY(showsWhole(m_frame->page->findChild<QLineEdit *>(), QStringLiteral("10000")));

        const QRgb ink = m_frame->palette().color(QPalette::ButtonText).rgb();
        const QRgb paper = m_frame->palette().color(QPalette::Button).rgb();
        for (const char *name : {"main", "number", "text", "link", "unlink", "left", "hCenter",
                                 "right", "top", "vCenter", "bottom"})
            for (const qreal scale : {1.0, 2.0}) {
                const QPixmap picture =
                    m_frame->findChild<QToolButton *>(name)->icon().pixmap(QSize(20, 20), scale);
                QVERIFY2(picture.size() == QSize(20, 20) * scale &&
                             inkPixels(picture.toImage(), ink, paper) >= 8,
                         name);
                QCOMPARE(picture.devicePixelRatio(), scale);
            }
    }

    // Every item starts the row in the state opposite to the one it must end
    // in, so each row sees it set; Save of an unnamed document must keep it.
    void updateMenuStateRules_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("open");
        QTest::addColumn<int>("named");
        QTest::addColumn<int>("modified");
        QTest::addColumn<bool>("matrix");
        QTest::addColumn<bool>("duplicate");
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("close");
        QTest::newRow("one selected") << 1 << 1 << 0 << 0 << true << true << false << true;
        QTest::newRow("two selected") << 2 << 1 << 0 << 0 << false << true << true << true;
        QTest::newRow("none selected") << 0 << 1 << 0 << 0 << false << false << true << true;
        QTest::newRow("named, unmodified") << 0 << 1 << 1 << 0 << false << false << false << true;
        QTest::newRow("named, modified") << 0 << 1 << 1 << 1 << false << false << true << true;
        QTest::newRow("unnamed, modified") << 0 << 1 << 0 << 1 << false << false << false << true;
        QTest::newRow("no document") << 0 << 0 << 0 << 0 << false << false << true << false;
    }

    void updateMenuStateRules()
    {
        QFETCH(int, selected);
        QFETCH(int, open);
        QFETCH(int, named);
        QFETCH(int, modified);
        QFETCH(bool, matrix);
        QFETCH(bool, duplicate);
        QFETCH(bool, save);
        QFETCH(bool, close);
        // One object more than are selected: the count of selected ones decides.
        Document doc = emptyDocument(20);
        for (int i = 0; i <= selected; ++i)
            addNumber(doc, 10, 10 + 30 * i, i, 3);
        for (int i = 0; i < selected; ++i)
            doc.objects[i].selected = 1;
        m_shell->editor.replace(doc);
        ShellState &shell = m_shell->shell;
        shell.docOpen = open;
        shell.docNamed = named;
        shell.docModified = modified;
        m_frame->CreateMatrix1->setEnabled(!matrix);
        m_frame->Duplicate->setEnabled(!duplicate);
        m_frame->Save1->setEnabled(named == 1 ? !save : save);
        m_frame->Close2->setEnabled(!close);

        m_frame->updateMenuState();
        QCOMPARE(m_frame->CreateMatrix1->isEnabled(), matrix);
        QCOMPARE(m_frame->Duplicate->isEnabled(), duplicate);
        QCOMPARE(m_frame->Save1->isEnabled(), save);
        QCOMPARE(m_frame->Close2->isEnabled(), close);
    }

    void errorInHandlerIsShownAfterItAndProgramGoesOn()
    {
        // The program's error display, in front of the fixture's recorder.
        ErrorDisplay display;
        qApp->installEventFilter(&display);
        QStringList shown;
        ModalScript script;
        script.expect("QMessageBox", [&shown](QWidget *modal) {
            shown << qobject_cast<QMessageBox *>(modal)->text();
            qobject_cast<QMessageBox *>(modal)->accept();
        });
        const QStringList problems = script.run([&] {
            guarded([] {
                throw PaginetteError(QStringLiteral("'abc' is not a valid floating point value"));
            });
            // Queued: nothing is shown while the handler runs.
            QVERIFY(shown.isEmpty());
            QTRY_COMPARE(shown.size(), 1);
        });

        QCOMPARE(problems, QStringList());
        QCOMPARE(shown, QStringList{QStringLiteral("'abc' is not a valid floating point value")});
        // The program goes on: the frame still answers.
        QTest::mouseClick(m_frame->number, Qt::LeftButton);
        QCOMPARE(m_shell->shell.editMode, ModePlaceNumber);
        QCOMPARE(m_shell->recorder.errors(), QStringList());
    }

    void errorBoxIsCriticalWithProgramCaption()
    {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        ModalScript script;
        script.expect("QMessageBox", [&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->standardButtons();
            box->accept();
        });
        QCOMPARE(script.run([] { showErrorBox(QStringLiteral("Something failed")); }),
                 QStringList());
        QCOMPARE(title, QStringLiteral("Paginette"));
        QCOMPARE(text, QStringLiteral("Something failed"));
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void desktopFeedbackTellsInABox()
    {
        const Feedback feedback = desktopFeedback();
        QVERIFY(feedback.beep);
        QString title;
        QString text;
        ModalScript script;
        script.expect("QMessageBox", [&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            title = box->windowTitle();
            text = box->text();
            box->accept();
        });
        QCOMPARE(script.run([&] { feedback.tell(QStringLiteral("Told"), QString()); }),
                 QStringList());
        // A box without a caption of its own carries the program's name.
        QCOMPARE(title, QStringLiteral("Paginette"));
        QCOMPARE(text, QStringLiteral("Told"));
    }

    void documentWindowLaysOutAtTheScrollOffset()
    {
        Document doc = emptyDocument(20);
        const int index = addNumber(doc, 10, 100, 125, 5);
        m_shell->editor.replace(doc);
        QScrollBar *bar = m_frame->Form6->ScrollBar1;
        for (int step = 0; step < 3; ++step)
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        const ViewState &view = m_shell->view;
        QCOMPARE(view.vScrollPos, 3);
        QVERIFY(view.vScrollStep > 0);

        // 40 pixels of window offset, less the scroll offset.
        const Bounds32 box = m_frame->Form6->boxes().at(index);
        QCOMPARE(box.left, 50);
        QCOMPARE(box.top, 100 + 40 - 3 * view.vScrollStep);
    }
};

PAGINETTE_APP_TEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
