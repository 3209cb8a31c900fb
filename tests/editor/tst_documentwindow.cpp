#include "services.h"
#include "tform6.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <limits>

namespace {
// What the window asked of the layers around it, in order.
struct CallLog
{
    QStringList calls;
    QList<int> vScrollPosAtLayout;
    int beeps = 0;
};

// An 8 by 11 inch printable area at 360 dots per inch, far taller than the window.
constexpr Bounds32 tallPage{0, 0, 2880, 3960};

// The calls of `count` scroll actions: each runs the layout pass, then renders.
QStringList scrolls(int count)
{
    QStringList calls;
    for (int i = 0; i < count; ++i)
        calls << QStringLiteral("layout") << QStringLiteral("render");
    return calls;
}
} // namespace

class TestDocumentWindow : public QObject
{
    Q_OBJECT

private:
    CallLog m_log;
    DocumentState m_doc;
    ShellState m_shell;
    ViewState m_view;
    RenderState m_render;

    EditorContext context() { return EditorContext{m_doc, m_shell, m_view, m_render}; }

    DocumentWindowHooks recordingHooks()
    {
        DocumentWindowHooks hooks;
        hooks.render = [this] {
            m_log.calls << QStringLiteral("render");
        };
        return hooks;
    }

    // A window shown and active, with a clean log.
    std::unique_ptr<TForm6> shownWindow()
    {
        auto window = std::make_unique<TForm6>(context());
        window->setHooks(recordingHooks());
        window->show();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("document window did not become active");
        m_log = CallLog();
        return window;
    }

private Q_SLOTS:
    void init()
    {
        m_view = ViewState();
        m_render = RenderState();
        m_doc = DocumentState(20);
        m_log = CallLog();
        services().beep = [this] {
            ++m_log.beeps;
        };
        services().layout = [this](DocumentState &) {
            m_log.calls << QStringLiteral("layout");
            m_log.vScrollPosAtLayout << m_view.vScrollPos;
        };
    }

    void cleanup() { services() = Services(); }

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
        TForm6 window(context());
        window.setHooks(recordingHooks());
        window.resize(773, 479);
        window.show();

        QCOMPARE(m_view.vScrollStep, 34);
        // The buffer covers the window out to its right and bottom edges.
        QCOMPARE(m_render.backBuffer.size(), QSize(773, 479));
        QCOMPARE(m_log.calls, QStringList{QStringLiteral("render")});
    }

    void windowTallerThanPageScrollsInPlace()
    {
        m_render.pageExtent = Bounds32{0, 0, 2880, 300};
        auto window = shownWindow();
        QCOMPARE(m_view.vScrollStep, 0);

        window->ScrollBar1->setFocus();
        QTest::keyClick(window->ScrollBar1, Qt::Key_PageDown);
        QCOMPARE(m_view.vScrollPos, 10);
        QCOMPARE(m_view.scrollOffset(), 0);
        QCOMPARE(m_log.calls, scrolls(1));
    }

    void verticalScrollingMovesThePage()
    {
        m_render.pageExtent = tallPage;
        auto window = shownWindow();
        // (3960 - 479) div 100 for the window's design height.
        QCOMPARE(m_view.vScrollStep, 34);
        QCOMPARE(window->focusWidget(), window->ScrollBar1);

        QTest::keyClick(window->ScrollBar1, Qt::Key_Down);
        QCOMPARE(m_view.vScrollPos, 1);
        QTest::keyClick(window->ScrollBar1, Qt::Key_PageDown);
        QCOMPARE(m_view.vScrollPos, 11);
        QCOMPARE(m_view.scrollOffset(), 374);
        // Each scroll runs the layout pass with the new position, then renders.
        QCOMPARE(m_log.calls, scrolls(2));
        QCOMPARE(m_log.vScrollPosAtLayout, (QList<int>{1, 11}));

        QTest::keyClick(window->ScrollBar1, Qt::Key_End);
        QCOMPARE(m_view.vScrollPos, 100);
        QTest::keyClick(window->ScrollBar1, Qt::Key_Down);
        QCOMPARE(m_view.vScrollPos, 100);

        // A click above the slider: one page step back.
        QScrollBar *bar = window->ScrollBar1;
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() / 2, 40));
        QCOMPARE(m_view.vScrollPos, 90);
        QCOMPARE(m_log.calls.last(), QStringLiteral("render"));
    }

    void positionSetByTheProgramReportsNoScroll()
    {
        auto window = shownWindow();
        window->ScrollBar1->setValue(40);
        QCOMPARE(m_view.vScrollPos, 0);
        QVERIFY(m_log.calls.isEmpty());
    }

    void horizontalScrollingMovesNothing()
    {
        m_render.pageExtent = tallPage;
        auto window = shownWindow();
        window->ScrollBar2->setFocus();
        QTest::keyClick(window->ScrollBar2, Qt::Key_Right);
        QTest::keyClick(window->ScrollBar2, Qt::Key_Right);

        QCOMPARE(m_view.hScrollPos, 2);
        QCOMPARE(m_view.vScrollPos, 0);
        QCOMPARE(m_view.scrollOffset(), 0);
        QCOMPARE(m_log.calls, scrolls(2));
    }

    void arrowKeysStepLikeTheSystemScrollBar()
    {
        auto window = shownWindow();
        QTest::keyClick(window->ScrollBar1, Qt::Key_PageDown);
        QTest::keyClick(window->ScrollBar1, Qt::Key_Left);
        QCOMPARE(m_view.vScrollPos, 9);
        QTest::keyClick(window->ScrollBar1, Qt::Key_Up);
        QCOMPARE(m_view.vScrollPos, 8);
        QTest::keyClick(window->ScrollBar1, Qt::Key_Right);
        QCOMPARE(m_view.vScrollPos, 9);
        QTest::keyClick(window->ScrollBar1, Qt::Key_Down);
        QCOMPARE(m_view.vScrollPos, 10);

        QTest::keyClick(window->ScrollBar2, Qt::Key_Down);
        QTest::keyClick(window->ScrollBar2, Qt::Key_Right);
        QTest::keyClick(window->ScrollBar2, Qt::Key_Left);
        QCOMPARE(m_view.hScrollPos, 1);
        QCOMPARE(m_log.calls.count(QStringLiteral("render")), 8);
    }

    void scrollBarsDockedRightAndBottom()
    {
        auto window = shownWindow();
        window->resize(600, 400);
        const QRect right = window->ScrollBar1->geometry();
        const QRect bottom = window->ScrollBar2->geometry();
        QCOMPARE(right, QRect(584, 0, 16, 384));
        QCOMPARE(bottom, QRect(0, 384, 600, 16));
    }

    void keyOnTheWindowBeepsThreeTimes()
    {
        auto window = shownWindow();
        window->setFocus();
        QVERIFY(window->hasFocus());
        QTest::keyClick(window.get(), Qt::Key_A);
        QCOMPARE(m_log.beeps, 3);
        QVERIFY(m_log.calls.isEmpty());
        QCOMPARE(m_view.vScrollPos, 0);
    }

    void keyOnTheScrollBarDoesNotBeep()
    {
        auto window = shownWindow();
        QCOMPARE(window->focusWidget(), window->ScrollBar1);
        // A key the scroll bar leaves alone travels up to the window.
        QTest::keyClick(window->ScrollBar1, Qt::Key_A);
        QCOMPARE(m_log.beeps, 0);
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
