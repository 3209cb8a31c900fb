#include "tform6.h"

#include "services.h"

#include <QKeyEvent>
#include <QMdiArea>
#include <QPainter>
#include <QScrollBar>
#include <QShowEvent>

#include <algorithm>

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

TForm6::TForm6(const EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("Untitled"));
    resize(designClientSize);
    setAutoFillBackground(true);

    // Created in tab order: the vertical bar first, so it holds the focus.
    ScrollBar1 = new QScrollBar(Qt::Vertical, this);
    ScrollBar1->setObjectName(QStringLiteral("ScrollBar1"));
    ScrollBar1->setRange(0, 100);
    ScrollBar1->setSingleStep(1);
    ScrollBar1->setPageStep(10);
    ScrollBar1->setFocusPolicy(Qt::StrongFocus);

    ScrollBar2 = new QScrollBar(Qt::Horizontal, this);
    ScrollBar2->setObjectName(QStringLiteral("ScrollBar2"));
    ScrollBar2->setRange(0, 100);
    ScrollBar2->setSingleStep(1);
    ScrollBar2->setPageStep(1);
    ScrollBar2->setFocusPolicy(Qt::StrongFocus);

    ScrollBar1->installEventFilter(this);
    ScrollBar2->installEventFilter(this);

    // Only the user's scrolling counts; positions set by the program report nothing.
    connect(ScrollBar1, &QAbstractSlider::actionTriggered, this,
            [this] { ScrollBar1Scroll(ScrollBar1->sliderPosition()); });
    connect(ScrollBar2, &QAbstractSlider::actionTriggered, this,
            [this] { ScrollBar2Scroll(ScrollBar2->sliderPosition()); });
}

void TForm6::setHooks(DocumentWindowHooks hooks)
{
    m_hooks = std::move(hooks);
}

void TForm6::FormShow()
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

void TForm6::updateScrollStep()
{
    m_context.view.vScrollStep = scrollStepFor(m_context.render.pageExtent.bottom, height());
}

QRect TForm6::frameBounds() const
{
    for (QWidget *ancestor = parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (auto *area = qobject_cast<QMdiArea *>(ancestor))
            return QRect(mapTo(area->viewport(), QPoint(0, 0)), size());
    }
    return QRect(QPoint(0, 0), size());
}

void TForm6::present(const QImage &image)
{
    m_presented = image;
    update();
}

void TForm6::ScrollBar1Scroll(int position)
{
    m_context.view.vScrollPos = position;
    runLayout(m_context.doc);
    renderScreen();
}

void TForm6::ScrollBar2Scroll(int position)
{
    // Stored only: the page never moves sideways.
    m_context.view.hScrollPos = position;
    runLayout(m_context.doc);
    renderScreen();
}

void TForm6::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    ScrollBar1->setFocus();
    FormShow();
}

void TForm6::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Docked like the design: the bottom bar spans the full width, the right bar
    // the height above it.
    const int w = width();
    const int h = height();
    ScrollBar2->setGeometry(0, h - scrollBarThickness, w, scrollBarThickness);
    ScrollBar1->setGeometry(w - scrollBarThickness, 0, scrollBarThickness, h - scrollBarThickness);
}

void TForm6::paintEvent(QPaintEvent *)
{
    // Between renders the window shows the last page it was given.
    QPainter painter(this);
    painter.drawImage(0, 0, m_presented);
}

void TForm6::keyPressEvent(QKeyEvent *event)
{
    // Keys a scroll bar leaves unhandled arrive here too; only the window's own count.
    if (hasFocus())
        FormKeyDown();
    else
        QWidget::keyPressEvent(event);
}

bool TForm6::eventFilter(QObject *watched, QEvent *event)
{
    // Qt's scroll bars invert the arrow keys so that Up lowers the position,
    // which turns Left into a step forward. Left and Up step back, Right and
    // Down step forward, on both bars.
    auto *bar = qobject_cast<QScrollBar *>(watched);
    if (bar && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (key->key() == Qt::Key_Left) {
                bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
                return true;
            }
            if (key->key() == Qt::Key_Right) {
                bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm6::FormKeyDown()
{
    beep();
    beep();
    beep();
}

void TForm6::renderScreen() const
{
    // The window can be shown before the main frame has wired it.
    if (m_hooks.render)
        m_hooks.render();
}
