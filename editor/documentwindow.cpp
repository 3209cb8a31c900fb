#include "documentwindow.h"

#include "layout.h"
#include "objecttable.h"
#include "pagerenderer.h"
#include "pagetool.h"

#include <QKeyEvent>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QShowEvent>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {
constexpr int scrollBarThickness = 16;
constexpr QSize designClientSize{773, 479};
} // namespace

std::int32_t scrollStepFor(std::int32_t pageBottom, std::int32_t windowHeight)
{
    // 64 bits: a page extent near the int32 limits must not overflow.
    const std::int64_t step = (std::int64_t{pageBottom} - windowHeight) / 100;
    return static_cast<std::int32_t>(std::max<std::int64_t>(step, 0));
}

DocumentWindow::DocumentWindow(const EditorContext &context, QWidget *parent)
    : QWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("DocumentWindow"));
    setWindowTitle(QStringLiteral("Untitled"));
    resize(designClientSize);
    setAutoFillBackground(true);

    // Created in tab order: the vertical bar first, so it holds the focus.
    verticalScrollBar = new QScrollBar(Qt::Vertical, this);
    verticalScrollBar->setObjectName(QStringLiteral("verticalScrollBar"));
    verticalScrollBar->setRange(0, 100);
    verticalScrollBar->setSingleStep(1);
    verticalScrollBar->setPageStep(10);
    verticalScrollBar->setFocusPolicy(Qt::StrongFocus);

    horizontalScrollBar = new QScrollBar(Qt::Horizontal, this);
    horizontalScrollBar->setObjectName(QStringLiteral("horizontalScrollBar"));
    horizontalScrollBar->setRange(0, 100);
    horizontalScrollBar->setSingleStep(1);
    horizontalScrollBar->setPageStep(1);
    horizontalScrollBar->setFocusPolicy(Qt::StrongFocus);

    verticalScrollBar->installEventFilter(this);
    horizontalScrollBar->installEventFilter(this);

    pageTool = new PageTool(context, m_boxes, this);
    connect(pageTool, &PageTool::bandChanged, this, qOverload<>(&QWidget::update));
    // Moves count without a button held too.
    setMouseTracking(true);

    // Only the user's scrolling counts; positions set by the program report nothing.
    connect(verticalScrollBar, &QAbstractSlider::actionTriggered, this,
            [this] { verticalScrolled(verticalScrollBar->sliderPosition()); });
    connect(horizontalScrollBar, &QAbstractSlider::actionTriggered, this,
            [this] { horizontalScrolled(horizontalScrollBar->sliderPosition()); });
}

void DocumentWindow::setHooks(DocumentWindowHooks hooks)
{
    m_hooks = std::move(hooks);
}

void DocumentWindow::updateLayout()
{
    const Document &doc = m_context.editor.document();
    m_boxes = layoutPass(doc, m_context.view.scrollOffset(), m_context.render.cache,
                         shownSide(doc, m_context.view));
}

void DocumentWindow::prepareView()
{
    updateScrollStep();
    const QRect bounds = frameBounds();
    // Sized by the window's right and bottom edges, so it covers the whole window.
    QImage &backBuffer = m_context.render.backBuffer;
    const QSize bufferSize(std::max(bounds.left() + bounds.width(), 0),
                           std::max(bounds.top() + bounds.height(), 0));
    if (backBuffer.size() != bufferSize)
        backBuffer = QImage(bufferSize, QImage::Format_RGB32);
    renderScreen();
}

void DocumentWindow::updateScrollStep()
{
    m_context.view.vScrollStep = scrollStepFor(m_context.render.pageExtent.bottom, shownHeight());
}

std::int32_t DocumentWindow::shownHeight() const
{
    return static_cast<std::int32_t>(std::ceil(height() / m_context.view.zoom));
}

QSizeF DocumentWindow::pageWithDesk() const
{
    const Document &doc = m_context.editor.document();
    const RenderState &render = m_context.render;
    QSizeF page;
    if (doc.sheet) {
        page = doc.sheet->label;
    } else {
        const qreal divisor = printerScale(render.printerResolution);
        page = QSizeF((qreal(render.pageExtent.right) - render.pageExtent.left) / divisor,
                      (qreal(render.pageExtent.bottom) - render.pageExtent.top) / divisor)
                   .expandedTo(QSizeF(render.paper.right(), render.paper.bottom()));
    }
    return page + QSizeF(2.0 * render.windowOffset.x(), 2.0 * render.windowOffset.y());
}

QRect DocumentWindow::renderBounds() const
{
    const QRect frame = frameBounds();
    const double zoom = m_context.view.zoom;
    // Zoomed out, the window shows more than the page reaches; a render of
    // all of it at one pixel per unit would grow with the square of 1 / zoom.
    const QSizeF reach =
        pageWithDesk() - QSizeF(0, qreal(m_context.view.scrollOffset())) + QSizeF(1, 1);
    const QSize shown(qCeil(frame.width() / zoom), qCeil(frame.height() / zoom));
    return QRect(frame.topLeft(),
                 shown.boundedTo(frame.size().expandedTo(reach.toSize()).expandedTo(QSize(1, 1))));
}

void DocumentWindow::setZoom(double zoom)
{
    m_context.view.zoom = std::clamp(zoom, minZoom, maxZoom);
    updateScrollStep();
    updateLayout();
    renderScreen();
}

double DocumentWindow::fittingZoom() const
{
    const QSizeF page = pageWithDesk();
    const double across = (width() - scrollBarThickness) / page.width();
    const double down = (height() - scrollBarThickness) / page.height();
    return std::clamp(std::min(across, down), minZoom, maxZoom);
}

void DocumentWindow::scrollToTop()
{
    verticalScrollBar->setValue(0);
    m_context.view.vScrollPos = 0;
}

QPoint DocumentWindow::unzoomed(QPointF point) const
{
    const double zoom = m_context.view.zoom;
    return QPoint(static_cast<int>(std::floor(point.x() / zoom)),
                  static_cast<int>(std::floor(point.y() / zoom)));
}

QRect DocumentWindow::frameBounds() const
{
    for (QWidget *ancestor = parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (auto *area = qobject_cast<QMdiArea *>(ancestor))
            return QRect(mapTo(area->viewport(), QPoint(0, 0)), size());
    }
    return QRect(QPoint(0, 0), size());
}

void DocumentWindow::present(const QImage &image)
{
    m_presented = image;
    update();
}

void DocumentWindow::verticalScrolled(int position)
{
    m_context.view.vScrollPos = position;
    updateLayout();
    renderScreen();
}

void DocumentWindow::horizontalScrolled(int position)
{
    // Stored only: the page never moves sideways.
    m_context.view.hScrollPos = position;
    updateLayout();
    renderScreen();
}

void DocumentWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    verticalScrollBar->setFocus();
    prepareView();
}

void DocumentWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Docked like the design: the bottom bar spans the full width, the right bar
    // the height above it.
    const int w = width();
    const int h = height();
    horizontalScrollBar->setGeometry(0, h - scrollBarThickness, w, scrollBarThickness);
    verticalScrollBar->setGeometry(w - scrollBarThickness, 0, scrollBarThickness,
                                   h - scrollBarThickness);
}

void DocumentWindow::paintEvent(QPaintEvent *)
{
    // Between renders the window shows the last page it was given, with the
    // rubber band over it while one is dragged.
    QPainter painter(this);
    // A render covers the window or the page, whichever ends first; past it
    // lies more desk.
    if (!m_presented.isNull())
        painter.fillRect(rect(), deskColor);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(m_context.view.zoom, m_context.view.zoom);
    painter.drawImage(0, 0, m_presented);
    const Bounds32 band = pageTool->bandRect();
    if (band.right > band.left && band.bottom > band.top) {
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(
            QRect(QPoint(band.left, band.top), QPoint(band.right - 1, band.bottom - 1)));
    }
}

bool DocumentWindow::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const Document &doc = m_context.editor.document();
    const QPoint at = unzoomed(help->pos());
    const int hit = hitTest(doc, m_boxes, at.x(), at.y());
    const QString why =
        hit < 0 ? QString()
                : refusalOnScreen(m_context.render.cache, RunTexts(doc), hit, doc.pageShown);
    if (why.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), why, this);
    return true;
}

void DocumentWindow::mousePressEvent(QMouseEvent *event)
{
    // As activating the window would, the keys go back to the vertical bar.
    verticalScrollBar->setFocus();
    pageTool->mousePressed(unzoomed(event->position()), event->modifiers());
}

void DocumentWindow::mouseMoveEvent(QMouseEvent *event)
{
    pageTool->mouseMoved(unzoomed(event->position()), event->buttons());
}

void DocumentWindow::mouseReleaseEvent(QMouseEvent *)
{
    pageTool->mouseReleased();
}

void DocumentWindow::keyPressEvent(QKeyEvent *event)
{
    // Keys a scroll bar leaves unhandled arrive here too; only the window's own count.
    if (hasFocus())
        refuseKey();
    else
        QWidget::keyPressEvent(event);
}

bool DocumentWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == verticalScrollBar && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (pageKey(key->key(), key->modifiers()))
            return true;
    }
    // Qt's scroll bars invert the arrow keys so that Left steps forward; on
    // the horizontal bar, as on the vertical one, Left steps back.
    if (watched == horizontalScrollBar && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (key->key() == Qt::Key_Left) {
                horizontalScrollBar->triggerAction(QAbstractSlider::SliderSingleStepSub);
                return true;
            }
            if (key->key() == Qt::Key_Right) {
                horizontalScrollBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool DocumentWindow::pageKey(int key, Qt::KeyboardModifiers modifiers)
{
    const std::int32_t step = modifiers.testFlag(Qt::ShiftModifier) ? 10 : 1;
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
        pageTool->deleteSelection(QStringLiteral("Delete"));
        return true;
    }
    // A Shift step moves the view 9 positions against the object; a single
    // step leaves it in place, at the ends of the bar too.
    struct Arrow
    {
        int key;
        int scroll; // the way the view moves with a Shift step
        std::int32_t dx;
        std::int32_t dy;
    };
    static constexpr Arrow arrows[] = {
        {Qt::Key_Left, 1, -1, 0},
        {Qt::Key_Up, 1, 0, -1},
        {Qt::Key_Right, -1, 1, 0},
        {Qt::Key_Down, -1, 0, 1},
    };
    for (const Arrow &arrow : arrows) {
        if (arrow.key != key)
            continue;
        if (step > 1) {
            verticalScrollBar->setValue(verticalScrollBar->value() + arrow.scroll * (step - 1));
            verticalScrolled(verticalScrollBar->value());
        }
        pageTool->nudge(arrow.dx * step, arrow.dy * step);
        return true;
    }
    return false;
}

void DocumentWindow::refuseKey()
{
    for (int i = 0; i < 3; ++i)
        m_context.feedback.sound();
}

void DocumentWindow::renderScreen() const
{
    // The window can be shown before the main window has wired it.
    if (m_hooks.render)
        m_hooks.render();
}
