#include "documentbuilder.h"
#include "documentwindow.h"
#include "feedbackrecorder.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <limits>

namespace {
// An 8 by 11 inch printable area at 360 dots per inch, far taller than the window.
constexpr Bounds32 tallPage{0, 0, 2880, 3960};

// The renders of scroll actions: each lays the page out for the new scroll
// offset, then renders.
QStringList rendersAt(const QList<int> &scrollOffsets)
{
    QStringList calls;
    for (const int offset : scrollOffsets)
        calls << QStringLiteral("render at %1").arg(offset);
    return calls;
}

// A document whose first object, at the page origin, tells from its box the
// scroll offset the window last laid the page out for.
Document documentWithMarker()
{
    Document doc = emptyDocument(20);
    addObject(doc, KindText, 0, 0, QStringLiteral("M"));
    return doc;
}
} // namespace

class TestDocumentWindow : public QObject
{
    Q_OBJECT

private:
    // What the window asked of the layers around it, in order: each render,
    // with the scroll offset the window's boxes were laid out for by then.
    QStringList m_calls;
    FeedbackRecorder m_recorder;
    Session m_session;
    DocumentEditor m_editor{m_session};
    ViewState m_view;
    RenderState m_render;

    EditorContext context()
    {
        return EditorContext{m_editor, m_session, m_view, m_render, m_recorder.feedback()};
    }

    DocumentWindowHooks recordingHooks(const DocumentWindow &window)
    {
        DocumentWindowHooks hooks;
        hooks.render = [this, &window] {
            const QList<Bounds32> &boxes = window.boxes();
            m_calls
                << (boxes.isEmpty()
                        ? QStringLiteral("render")
                        : QStringLiteral("render at %1").arg(pageWindowOffset - boxes.first().top));
        };
        return hooks;
    }

    // A window shown and active, with a clean log.
    std::unique_ptr<DocumentWindow> shownWindow()
    {
        auto window = std::make_unique<DocumentWindow>(context());
        window->setHooks(recordingHooks(*window));
        window->show();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("document window did not become active");
        m_calls.clear();
        return window;
    }

private Q_SLOTS:
    void init()
    {
        m_view = ViewState();
        m_render = RenderState();
        m_session = Session();
        m_editor.replace(documentWithMarker());
        m_calls.clear();
        m_recorder.beeps = 0;
    }

    void scrollStep_data()
    {
        QTest::addColumn<int>("pageBottom");
        QTest::addColumn<int>("windowHeight");
        QTest::addColumn<int>("step");
        QTest::newRow("page taller than window") << 3960 << 479 << 34;
        QTest::newRow("truncates toward zero") << 579 << 479 << 1;
        QTest::newRow("less than one step") << 578 << 479 << 0;
        QTest::newRow("window as tall as page") << 479 << 479 << 0;
        QTest::newRow("window taller than page") << 300 << 479 << 0;
        QTest::newRow("no printer extent") << 0 << 479 << 0;
        QTest::newRow("largest extent")
            << std::numeric_limits<std::int32_t>::max() << 0 << 21474836;
        QTest::newRow("most negative extent")
            << std::numeric_limits<std::int32_t>::min() << 479 << 0;
    }

    void scrollStep()
    {
        QFETCH(int, pageBottom);
        QFETCH(int, windowHeight);
        QFETCH(int, step);
        QCOMPARE(scrollStepFor(pageBottom, windowHeight), step);
    }

    void showSetsUpScrollStepBufferAndRender()
    {
        m_render.pageExtent = tallPage;
        DocumentWindow window(context());
        window.setHooks(recordingHooks(window));
        window.resize(773, 479);
        window.show();

        QCOMPARE(m_view.vScrollStep, 34);
        // The buffer covers the window out to its right and bottom edges.
        QCOMPARE(m_render.backBuffer.size(), QSize(773, 479));
        QCOMPARE(m_calls.size(), 1);
    }

    void windowTallerThanPageScrollsInPlace()
    {
        m_render.pageExtent = Bounds32{0, 0, 2880, 300};
        auto window = shownWindow();
        QCOMPARE(m_view.vScrollStep, 0);

        window->verticalScrollBar->setFocus();
        QTest::keyClick(window->verticalScrollBar, Qt::Key_PageDown);
        QCOMPARE(m_view.vScrollPos, 10);
        QCOMPARE(m_view.scrollOffset(), 0);
        QCOMPARE(m_calls, rendersAt({0}));
    }

    void verticalScrollingMovesThePage()
    {
        m_render.pageExtent = tallPage;
        auto window = shownWindow();
        // (3960 - 479) div 100 for the window's design height.
        QCOMPARE(m_view.vScrollStep, 34);
        QCOMPARE(window->focusWidget(), window->verticalScrollBar);

        QTest::keyClick(window->verticalScrollBar, Qt::Key_PageDown);
        QCOMPARE(m_view.vScrollPos, 10);
        QTest::keyClick(window->verticalScrollBar, Qt::Key_PageDown);
        QCOMPARE(m_view.vScrollPos, 20);
        QCOMPARE(m_view.scrollOffset(), 680);
        // Each scroll lays the page out for the new position, then renders.
        QCOMPARE(m_calls, rendersAt({340, 680}));

        QTest::keyClick(window->verticalScrollBar, Qt::Key_End);
        QCOMPARE(m_view.vScrollPos, 100);

        // A click above the slider: one page step back.
        QScrollBar *bar = window->verticalScrollBar;
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() / 2, 40));
        QCOMPARE(m_view.vScrollPos, 90);
        QCOMPARE(m_calls.last(), rendersAt({3060}).first());
    }

    void positionSetByTheProgramReportsNoScroll()
    {
        auto window = shownWindow();
        window->verticalScrollBar->setValue(40);
        QCOMPARE(m_view.vScrollPos, 0);
        QVERIFY(m_calls.isEmpty());
    }

    void horizontalScrollingMovesNothing()
    {
        m_render.pageExtent = tallPage;
        auto window = shownWindow();
        window->horizontalScrollBar->setFocus();
        QTest::keyClick(window->horizontalScrollBar, Qt::Key_Right);
        QTest::keyClick(window->horizontalScrollBar, Qt::Key_Right);

        QCOMPARE(m_view.hScrollPos, 2);
        QCOMPARE(m_view.vScrollPos, 0);
        QCOMPARE(m_view.scrollOffset(), 0);
        QCOMPARE(m_calls, rendersAt({0, 0}));
    }

    // The page's arrow keys move the selection; the view stays, at the ends
    // of the bar too, unless Shift moves it 9 positions against the object.
    void arrowKeysNudgeTheSelection_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<int>("positionAfter");
        QTest::addColumn<QPoint>("moved");
        QTest::newRow("Up at 50") << 50 << int(Qt::Key_Up) << false << 50 << QPoint(0, -1);
        QTest::newRow("Shift+Up at 50") << 50 << int(Qt::Key_Up) << true << 59 << QPoint(0, -10);
        QTest::newRow("Shift+Down at 50") << 50 << int(Qt::Key_Down) << true << 41 << QPoint(0, 10);
        QTest::newRow("Left at 50") << 50 << int(Qt::Key_Left) << false << 50 << QPoint(-1, 0);
        QTest::newRow("Shift+Right at 50")
            << 50 << int(Qt::Key_Right) << true << 41 << QPoint(10, 0);
        QTest::newRow("Left at 0") << 0 << int(Qt::Key_Left) << false << 0 << QPoint(-1, 0);
        QTest::newRow("Left at 100") << 100 << int(Qt::Key_Left) << false << 100 << QPoint(-1, 0);
        QTest::newRow("Right at 0") << 0 << int(Qt::Key_Right) << false << 0 << QPoint(1, 0);
        QTest::newRow("Shift+Up at 95") << 95 << int(Qt::Key_Up) << true << 100 << QPoint(0, -10);
    }

    void arrowKeysNudgeTheSelection()
    {
        QFETCH(int, position);
        QFETCH(int, key);
        QFETCH(bool, shift);
        QFETCH(int, positionAfter);
        QFETCH(QPoint, moved);

        Document doc = documentWithMarker();
        const int selected = addObject(doc, KindText, 100, 200, QStringLiteral("A"));
        const int other = addObject(doc, KindText, 300, 200, QStringLiteral("B"));
        selectObjects(doc, {selected});
        m_editor.replace(doc);
        auto window = shownWindow();
        window->verticalScrollBar->setValue(position);
        m_view.vScrollPos = position;

        QTest::keyClick(window->verticalScrollBar, Qt::Key(key),
                        shift ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(m_view.vScrollPos, positionAfter);
        const Document &after = m_editor.document();
        QCOMPARE(QPoint(after.objects[selected].x, after.objects[selected].y),
                 QPoint(100, 200) + moved);
        QCOMPARE(QPoint(after.objects[other].x, after.objects[other].y), QPoint(300, 200));
        QVERIFY(m_session.docModified);
        // A view that moves is laid out, then drawn.
        QCOMPARE(m_calls, shift ? rendersAt({0}) : QStringList());

        // The nudge is one step of the history.
        m_editor.undo();
        QCOMPARE(positionsOf(m_editor.document()), QStringLiteral("0,0 100,200 300,200"));
    }

    void horizontalArrowKeysStepLikeTheSystemScrollBar()
    {
        auto window = shownWindow();
        window->horizontalScrollBar->setFocus();
        QTest::keyClick(window->horizontalScrollBar, Qt::Key_Down);
        QTest::keyClick(window->horizontalScrollBar, Qt::Key_Right);
        QTest::keyClick(window->horizontalScrollBar, Qt::Key_Left);
        QCOMPARE(m_view.hScrollPos, 1);
        QCOMPARE(m_calls, rendersAt({0, 0, 0}));
    }

    void scrollBarsDockedRightAndBottom()
    {
        auto window = shownWindow();
        window->resize(600, 400);
        const QRect right = window->verticalScrollBar->geometry();
        const QRect bottom = window->horizontalScrollBar->geometry();
        QCOMPARE(right, QRect(584, 0, 16, 384));
        QCOMPARE(bottom, QRect(0, 384, 600, 16));
    }

    void keyOnTheWindowBeepsThreeTimes()
    {
        auto window = shownWindow();
        window->setFocus();
        QVERIFY(window->hasFocus());
        QTest::keyClick(window.get(), Qt::Key_A);
        QCOMPARE(m_recorder.beeps, 3);
        QVERIFY(m_calls.isEmpty());
        QCOMPARE(m_view.vScrollPos, 0);
    }

    void keyOnTheScrollBarDoesNotBeep()
    {
        auto window = shownWindow();
        QCOMPARE(window->focusWidget(), window->verticalScrollBar);
        // A key the scroll bar leaves alone travels up to the window.
        QTest::keyClick(window->verticalScrollBar, Qt::Key_A);
        QCOMPARE(m_recorder.beeps, 0);
    }

    void showsTheLastPresentedImage()
    {
        auto window = shownWindow();
        QImage page(window->size(), QImage::Format_RGB32);
        page.fill(Qt::gray);
        page.setPixel(60, 70, qRgb(255, 0, 0));
        window->present(page);
        QCOMPARE(window->grab().toImage().pixel(60, 70), qRgb(255, 0, 0));

        // A repaint the window system asks for shows the same picture again.
        window->repaint();
        QCOMPARE(window->grab().toImage().pixel(60, 70), qRgb(255, 0, 0));

        QImage next = page;
        next.setPixel(60, 70, qRgb(0, 0, 255));
        window->present(next);
        QCOMPARE(window->grab().toImage().pixel(60, 70), qRgb(0, 0, 255));
    }
};

QTEST_MAIN(TestDocumentWindow)
#include "tst_documentwindow.moc"
