#include "apptestmain.h"
#include "desktopfeedback.h"
#include "documentbuilder.h"
#include "documentwindow.h"
#include "filebytes.h"
#include "guarded.h"
#include "menucaption.h"
#include "modalscript.h"
#include "pagespinbox.h"
#include "paginetteerror.h"
#include "shellfixture.h"

#include <QAction>
#include <QButtonGroup>
#include <QClipboard>
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
#include <QUndoStack>
#include <QWindow>

namespace {

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

void addModeRow(const char *control, const char *button, const char *status, EditMode editMode,
                std::int32_t placeKind = 0)
{
    QTest::newRow(control) << control << button << status << int(editMode) << placeKind;
}

} // namespace

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

    // The object names of the items under `actions`, submenus opened.
    static void collectItems(const QList<QAction *> &actions, QStringList &items)
    {
        for (const QAction *action : actions) {
            if (action->menu())
                collectItems(action->menu()->actions(), items);
            else if (!action->isSeparator())
                items.append(action->objectName());
        }
    }

    // Two numbers, one selected, and a step in the history. The back one is
    // selected in one start, the front one in the other, for the Arrange items.
    void prepareStart(bool undone)
    {
        Document doc = emptyDocument(20);
        addNumber(doc, 10, 10, 1, 3);
        addNumber(doc, 10, 60, 5, 3);
        doc.objects[undone ? 1 : 0].selected = 1;
        m_shell->editor.replace(doc);
        m_shell->editor.edit(QStringLiteral("Move"),
                             [](Document &edited) { edited.objects[0].x += 10; });
        if (undone)
            m_shell->editor.undo();
        m_shell->session.editMode = undone ? ModeMain : ModeLink;
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
        m_frame->updateMenuState();
    }

    // What the user sees and holds, to tell whether a command did anything.
    QStringList userState() const
    {
        const Session &session = m_shell->session;
        QStringList state = documentDump(m_shell->doc());
        state << QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(session.docOpen)
                     .arg(session.docNamed)
                     .arg(session.docModified)
                     .arg(session.editMode)
                     .arg(session.docFileName);
        state << QString::number(m_shell->prefs.showLinks) << QString::number(m_shell->view.zoom)
              << QString::number(m_shell->editor.undoStack().index())
              << m_shell->recorder.captions() << QGuiApplication::clipboard()->text();
        for (const QByteArray &modal : m_shell->modals)
            state << QString::fromLatin1(modal);
        for (const QUrl &url : m_shell->opened)
            state << url.toString();
        QStringList shown;
        for (const QWidget *window : QApplication::topLevelWidgets())
            if (window->isVisible())
                shown << window->objectName();
        shown.sort();
        return state + shown;
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

    // Every item the menus reach does something, from one of two starts: a
    // document with a step made, in Link mode, or with that step undone, in
    // Main mode. Only the items that are inert by design do nothing.
    void everyMenuItemActs()
    {
        QStringList items;
        collectItems(m_frame->menuBar()->actions(), items);
        QStringList inert;
        for (const QString &name : std::as_const(items)) {
            bool acted = false;
            for (const bool undone : {false, true}) {
                stopShell();
                QVERIFY(startShell());
                prepareStart(undone);
                QAction *item = action(qPrintable(name));
                if (!item->isEnabled())
                    continue;
                const QStringList before = userState();
                ModalScript script; // closes what the item opens, and says so
                const QStringList opened = script.run([item] { item->trigger(); });
                acted = !opened.isEmpty() || userState() != before;
                if (acted)
                    break;
            }
            if (!acted)
                inert.append(name);
        }
        // View > Back acts on a two-sided document only, which these are not;
        // Actual Size and 100 % on a zoomed page, and these are shown at 100 %.
        QCOMPARE(inert, (QStringList{"actualSizeAction", "zoom100Action", "backAction",
                                     "exportToDbAction", "untitledAction"}));
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
        QTRY_VERIFY(child<QMenu>("toolsMenu")->isVisible());
        QTest::keyClick(window, Qt::Key_N);
        QVERIFY(placing(KindNumber));
    }

    void toolBarControlsInOrder()
    {
        QStringList order;
        for (QAction *action : child<QToolBar>("toolBar")->actions()) {
            if (action->isSeparator())
                order.append(QStringLiteral("|"));
            else
                order.append(child<QToolBar>("toolBar")->widgetForAction(action)->objectName());
        }
        QCOMPARE(order, QStringList({"|",
                                     "mainModeButton",
                                     "|",
                                     "placeNumberButton",
                                     "placeTextButton",
                                     "placePictureButton",
                                     "placeShapeButton",
                                     "|",
                                     "linkModeButton",
                                     "unlinkModeButton",
                                     "|",
                                     "pagesLabel",
                                     "pagesEdit",
                                     "|",
                                     "pageLabel",
                                     "pageSpinBox",
                                     "sideCombo",
                                     "|",
                                     "zoomCombo",
                                     "|",
                                     "alignLeftButton",
                                     "alignHCenterButton",
                                     "alignRightButton",
                                     "|",
                                     "alignTopButton",
                                     "alignVCenterButton",
                                     "alignBottomButton",
                                     "|",
                                     "modeLabel"}));
    }

    void toolBarControlTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("glyph");
        addButtonRow("mainModeButton", "M", "Main mode");
        addButtonRow("placeNumberButton", "N", "Place Number");
        addButtonRow("placeTextButton", "T", "Place Text");
        addButtonRow("placePictureButton", "P", "Place Picture");
        addButtonRow("placeShapeButton", "S", "Place Shape");
        addButtonRow("linkModeButton", "L", "Link Mode");
        addButtonRow("unlinkModeButton", "U", "Unlink Mode");
        // Aligning takes two selected objects: off with none.
        addButtonRow("alignLeftButton", "", "Align Object Left", false);
        addButtonRow("alignHCenterButton", "", "Align Objects Center", false);
        addButtonRow("alignRightButton", "", "Align Objects Right", false);
        addButtonRow("alignTopButton", "", "Align Objects Bottom", false);
        addButtonRow("alignVCenterButton", "", "Align Objects Center", false);
        addButtonRow("alignBottomButton", "", "ALign Objects Right", false);
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
        QCOMPARE(child<QButtonGroup>("modeGroup")->buttons().contains(button), !caption.isEmpty());
    }

    void startState()
    {
        QVERIFY(child<QToolButton>("mainModeButton")->isChecked());
        QCOMPARE(child<QLabel>("modeLabel")->text(), QStringLiteral("Main Mode"));
        QCOMPARE(child<QLabel>("modeLabel")->frameShape(), QFrame::Box);
        QCOMPARE(child<QLabel>("modeLabel")->size(), QSize(96, 22));
        QCOMPARE(pagesEdit()->text(), QStringLiteral("1"));
        QCOMPARE(pagesEdit()->toolTip(), QStringLiteral("Pages to Print"));
        QCOMPARE(pageSpinBox()->text(), QStringLiteral("1"));
        QCOMPARE(pageSpinBox()->toolTip(), QStringLiteral("Page Shown"));
        QCOMPARE(pageSpinBox()->maximum(), 10000);
        QVERIFY(child<QComboBox>("zoomCombo")->isEnabled());
        QCOMPARE(child<QComboBox>("zoomCombo")->currentText(), QStringLiteral("100 %"));
        QCOMPARE(child<QComboBox>("zoomCombo")->toolTip(), QStringLiteral("Zoom Factor"));
        QCOMPARE(child<QComboBox>("zoomCombo")->count(), 4);
        QCOMPARE(child<QComboBox>("zoomCombo")->itemText(3), QStringLiteral("200 %"));
        QCOMPARE(child<QLabel>("pagesLabel")->text(), QStringLiteral("Pages:"));
        QCOMPARE(child<QLabel>("pageLabel")->text(), QStringLiteral("Page:"));
        // The maximised document window's caption joins the frame's, as in any
        // multiple-document frame.
        QCOMPARE(shownTitle(), titleOf(QStringLiteral("Untitled")));

        QCOMPARE(m_shell->session.editMode, ModeMain);
        QCOMPARE(m_shell->docFlags(), (QList<bool>{true, false, false}));
        const Document &doc = m_shell->doc();
        QCOMPARE(doc.pageShown, 1);
        QCOMPARE(doc.capacity, 20);
        QCOMPARE(doc.count(), 0);
        QCOMPARE(soleSelected(doc), -1);
        QVERIFY(action("closeAction")->isEnabled());
        QVERIFY(!action("createMatrixAction")->isEnabled());
        QVERIFY(!action("duplicateAction")->isEnabled());

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
        QVERIFY(action("showLinksAction")->isChecked());
        QVERIFY(m_shell->recorder.messages.isEmpty());
    }

    void frameIsCreatedDisabledWithItsCaption()
    {
        // Built on state of its own, apart from the fixture's.
        Session session;
        RenderState render;
        ViewState view;
        PreferencesRecord prefs{};
        DocumentEditor editor(session);
        MainWindow bare(
            AppContext{editor, session, render, view, prefs, m_shell->recorder.feedback()});
        QCOMPARE(editor.document().capacity, 20);
        QVERIFY(session.docOpen);
        QCOMPARE(bare.windowTitle(), QStringLiteral("Paginette"));
        QVERIFY(!bare.isEnabled());
        QVERIFY(!bare.documentWindow()->isVisible());
    }

    // Each mode by its tool button and by its Tools item, then back to the
    // main mode the same way. The two disagree on the unlink status text.
    void modeControls_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("editMode");
        QTest::addColumn<std::int32_t>("placeKind");
        addModeRow("placeNumberButton", "placeNumberButton", "Place Number", ModePlace, KindNumber);
        addModeRow("placeTextButton", "placeTextButton", "Place Text", ModePlace, KindText);
        addModeRow("linkModeButton", "linkModeButton", "Create Link", ModeLink);
        addModeRow("unlinkModeButton", "unlinkModeButton", "Break link", ModeUnlink);
        addModeRow("placeNumberAction", "placeNumberButton", "Place Number", ModePlace, KindNumber);
        addModeRow("placeTextAction", "placeTextButton", "Place Text", ModePlace, KindText);
        addModeRow("placePictureAction", "placePictureButton", "Place Picture", ModePlace,
                   KindPicture);
        addModeRow("placeShapeAction", "placeShapeButton", "Place Shape", ModePlace, KindShape);
        addModeRow("linkModeAction", "linkModeButton", "Create Link", ModeLink);
        addModeRow("unlinkModeAction", "unlinkModeButton", "Delete Link", ModeUnlink);
    }

    void modeControls()
    {
        QFETCH(QString, control);
        QFETCH(QString, button);
        QFETCH(QString, status);
        QFETCH(int, editMode);
        QFETCH(std::int32_t, placeKind);
        activate(control);
        const auto *down = m_frame->findChild<QToolButton *>(button);
        QVERIFY(down->isChecked());
        QVERIFY(!child<QToolButton>("mainModeButton")->isChecked());
        QCOMPARE(child<QLabel>("modeLabel")->text(), status);
        QCOMPARE(int(m_shell->session.editMode), editMode);
        QCOMPARE(m_shell->session.placeKind, placeKind);

        const bool byItem = m_frame->findChild<QAction *>(control) != nullptr;
        activate(byItem ? QStringLiteral("mainModeAction") : QStringLiteral("mainModeButton"));
        QVERIFY(child<QToolButton>("mainModeButton")->isChecked());
        QVERIFY(!down->isChecked());
        QCOMPARE(child<QLabel>("modeLabel")->text(), QStringLiteral("Main Mode"));
        QCOMPARE(m_shell->session.editMode, ModeMain);
    }

    void modeGroupIsExclusive()
    {
        const QButtonGroup *group = child<QButtonGroup>("modeGroup");
        QCOMPARE(group->buttons().size(), 7);

        // Clicking the button that is down keeps it down.
        QTest::mouseClick(child<QToolButton>("mainModeButton"), Qt::LeftButton);
        QVERIFY(child<QToolButton>("mainModeButton")->isChecked());
        QCOMPARE(group->checkedButton(), child<QToolButton>("mainModeButton"));

        QTest::mouseClick(child<QToolButton>("linkModeButton"), Qt::LeftButton);
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

        for (const auto &[label, design] :
             {std::pair{child<QLabel>("pagesLabel"), 37}, {child<QLabel>("pageLabel"), 32}})
            QVERIFY2(label->width() >= std::max(design, label->sizeHint().width()),
                     qPrintable(label->text()));
        QVERIFY(pagesEdit()->width() >= 34 && pageSpinBox()->width() >= 46);
        QVERIFY(showsWhole(pagesEdit(), QStringLiteral("60000")));
        QVERIFY(showsWhole(pageSpinBox()->findChild<QLineEdit *>(), QStringLiteral("10000")));

        const QRgb ink = m_frame->palette().color(QPalette::ButtonText).rgb();
        const QRgb paper = m_frame->palette().color(QPalette::Button).rgb();
        for (const char *name :
             {"mainModeButton", "placeNumberButton", "placeTextButton", "linkModeButton",
              "unlinkModeButton", "alignLeftButton", "alignHCenterButton", "alignRightButton",
              "alignTopButton", "alignVCenterButton", "alignBottomButton"})
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
    // in, so each row sees it set. The title names the document, a "[*]" of
    // its name shown as written, and marks unsaved changes.
    void updateMenuStateRules_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("named");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("matrix");
        QTest::addColumn<bool>("duplicate");
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("close");
        QTest::addColumn<QString>("title");
        QTest::newRow("one selected")
            << 1 << true << false << false << true << true << true << true << "Untitled";
        QTest::newRow("two selected")
            << 2 << true << false << false << false << true << true << true << "Untitled";
        QTest::newRow("named, unmodified")
            << 0 << true << true << false << false << false << false << true << "/docs/a[*]b.pgt";
        QTest::newRow("named, modified")
            << 0 << true << true << true << false << false << true << true << "/docs/a[*]b.pgt*";
        QTest::newRow("unnamed, modified")
            << 0 << true << false << true << false << false << true << true << "Untitled*";
        QTest::newRow("no document")
            << 0 << false << false << false << false << false << false << false << "Untitled";
    }

    void updateMenuStateRules()
    {
        QFETCH(int, selected);
        QFETCH(bool, open);
        QFETCH(bool, named);
        QFETCH(bool, modified);
        QFETCH(bool, matrix);
        QFETCH(bool, duplicate);
        QFETCH(bool, save);
        QFETCH(bool, close);
        QFETCH(QString, title);
        // One object more than are selected: the count of selected ones decides.
        Document doc = emptyDocument(20);
        for (int i = 0; i <= selected; ++i)
            addNumber(doc, 10, 10 + 30 * i, i, 3);
        for (int i = 0; i < selected; ++i)
            doc.objects[i].selected = 1;
        m_shell->editor.replace(doc);
        Session &session = m_shell->session;
        session.docOpen = open;
        session.docNamed = named;
        session.docFileName = QStringLiteral("/docs/a[*]b.pgt");
        session.docModified = modified;
        action("createMatrixAction")->setEnabled(!matrix);
        action("duplicateAction")->setEnabled(!duplicate);
        action("saveAction")->setEnabled(!save);
        action("closeAction")->setEnabled(!close);

        m_frame->updateMenuState();
        QCOMPARE(action("createMatrixAction")->isEnabled(), matrix);
        QCOMPARE(action("duplicateAction")->isEnabled(), duplicate);
        QCOMPARE(action("saveAction")->isEnabled(), save);
        QCOMPARE(action("closeAction")->isEnabled(), close);
        QCOMPARE(shownTitle(), titleOf(title));
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
        QTest::mouseClick(child<QToolButton>("placeNumberButton"), Qt::LeftButton);
        QVERIFY(placing(KindNumber));
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

    // Each Zoom item from a zoom typed into the zoom box: the zoom the view
    // takes, as the box shows it.
    void zoomItemsSetTheZoom_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("item"); // none: the typed zoom alone
        QTest::addColumn<QString>("shown");
        QTest::newRow("Zoom In from 100 %") << "100"
                                            << "zoomInAction"
                                            << "200 %";
        QTest::newRow("Zoom In between factors") << "63 %"
                                                 << "zoomInAction"
                                                 << "100 %";
        QTest::newRow("Zoom In at the most") << "200"
                                             << "zoomInAction"
                                             << "200 %";
        QTest::newRow("Zoom Out from 100 %") << "100"
                                             << "zoomOutAction"
                                             << "50 %";
        QTest::newRow("Zoom Out between factors") << "63"
                                                  << "zoomOutAction"
                                                  << "50 %";
        QTest::newRow("Zoom Out at the least") << "25"
                                               << "zoomOutAction"
                                               << "25 %";
        QTest::newRow("Actual Size") << "50"
                                     << "actualSizeAction"
                                     << "100 %";
        QTest::newRow("25 %") << "100"
                              << "zoom25Action"
                              << "25 %";
        QTest::newRow("50 %") << "200"
                              << "zoom50Action"
                              << "50 %";
        QTest::newRow("100 %") << "25"
                               << "zoom100Action"
                               << "100 %";
        QTest::newRow("200 %") << "100"
                               << "zoom200Action"
                               << "200 %";
        QTest::newRow("typed") << "150"
                               << ""
                               << "150 %";
        QTest::newRow("typed past the most") << "800"
                                             << ""
                                             << "200 %";
        QTest::newRow("typed below the least") << "5 %"
                                               << ""
                                               << "25 %";
        QTest::newRow("typed, no number") << "big"
                                          << ""
                                          << "100 %";
    }

    void zoomItemsSetTheZoom()
    {
        QFETCH(QString, typed);
        QFETCH(QString, item);
        QFETCH(QString, shown);

        auto *zoomBox = child<QComboBox>("zoomCombo");
        retype(zoomBox->lineEdit(), typed);
        QTest::keyClick(zoomBox->lineEdit(), Qt::Key_Return);
        if (!item.isEmpty())
            action(qPrintable(item))->trigger();
        QCOMPARE(zoomBox->currentText(), shown);
        QCOMPARE(qRound(m_shell->view.zoom * 100), shown.chopped(2).toInt());
    }

    // At each zoom the page is drawn at that scale, and a press lands on
    // what it shows: the sheet's corner lies 40 units in from the window's,
    // and a press on an object's middle selects it. Fit Page shows the
    // page whole.
    void zoomedPageIsDrawnAndPressedAtItsScale_data()
    {
        QTest::addColumn<QString>("item");
        for (const char *item :
             {"zoom25Action", "zoom50Action", "actualSizeAction", "zoom200Action", "fitPageAction"})
            QTest::newRow(item) << item;
    }

    void zoomedPageIsDrawnAndPressedAtItsScale()
    {
        QFETCH(QString, item);

        Document doc = emptyDocument(20);
        const int index = addObject(doc, KindText, 30, 50, QStringLiteral("Admit one"));
        m_shell->editor.replace(doc);
        const bool fit = item == QLatin1String("fitPageAction");
        // Fit Page shows the page from its top, wherever it was scrolled to.
        if (fit)
            documentWindow()->verticalScrollBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        action(qPrintable(item))->trigger();
        const double zoom = m_shell->view.zoom;
        const std::int32_t scrolled = m_shell->view.scrollOffset();

        // The first pixel that is not desk, from the window's edge along a
        // line through the page.
        const QImage shown = documentWindow()->grab().toImage();
        const QColor desk(0x80, 0x80, 0x80);
        const auto edge = [&](QPoint from, QPoint step) {
            QPoint at = from;
            while (shown.rect().contains(at) && shown.pixelColor(at) == desk)
                at += step;
            return at;
        };
        const int left = edge(QPoint(0, qRound((40 + 20 - scrolled) * zoom)), QPoint(1, 0)).x();
        QVERIFY(left > 0);
        QVERIFY2(std::abs(left - 40 * zoom) <= 1, qPrintable(QString::number(left)));
        if (fit) {
            QCOMPARE(scrolled, 0);
            const int top = edge(QPoint(qRound(60 * zoom), 0), QPoint(0, 1)).y();
            QVERIFY2(std::abs(top - 40 * zoom) <= 1, qPrintable(QString::number(top)));
            // Past the page's foot, the desk again, above the horizontal bar.
            const int pageHeight = m_shell->render.pageExtent.bottom / 5;
            const QPoint foot(qRound(60 * zoom), qRound((40 + pageHeight + 2) * zoom));
            QVERIFY(foot.y() < documentWindow()->horizontalScrollBar->y());
            QCOMPARE(shown.pixelColor(foot), desk);
        }

        const Bounds32 box = documentWindow()->boxes().at(index);
        const QPoint middle(qRound((box.left + box.right) / 2.0 * zoom),
                            qRound((box.top + box.bottom) / 2.0 * zoom));
        QTest::mouseClick(documentWindow(), Qt::LeftButton, {}, middle);
        QCOMPARE(soleSelected(m_shell->doc()), index);
    }

    void documentWindowLaysOutAtTheScrollOffset()
    {
        Document doc = emptyDocument(20);
        const int index = addNumber(doc, 10, 100, 125, 5);
        m_shell->editor.replace(doc);
        QScrollBar *bar = documentWindow()->verticalScrollBar;
        for (int step = 0; step < 3; ++step)
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        const ViewState &view = m_shell->view;
        QCOMPARE(view.vScrollPos, 3);
        QVERIFY(view.vScrollStep > 0);

        // 40 pixels of window offset, less the scroll offset.
        const Bounds32 box = documentWindow()->boxes().at(index);
        QCOMPARE(box.left, 50);
        QCOMPARE(box.top, 100 + 40 - 3 * view.vScrollStep);
    }
};

PAGINETTE_APP_TEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
