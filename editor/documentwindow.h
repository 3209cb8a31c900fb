#pragma once

#include "editorcontext.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>

class PageTool;
class QScrollBar;

// Everything the document window needs from the main window above it, which
// sets all of them before it shows the window.
struct DocumentWindowHooks
{
    std::function<void()> render; // a screen render of the page shown
};

// The one document window: shows the last rendered page, scrolls it
// vertically, keeps the boxes of the objects as they lie in it, and hands the
// mouse and the keys of its vertical scroll bar to its page tool.
class DocumentWindow : public QWidget
{
    Q_OBJECT

public:
    explicit DocumentWindow(const EditorContext &context, QWidget *parent = nullptr);

    QScrollBar *verticalScrollBar = nullptr;
    QScrollBar *horizontalScrollBar = nullptr;
    PageTool *pageTool = nullptr;

    void setHooks(DocumentWindowHooks hooks);

    // The objects' boxes for the page shown and the scroll position.
    const QList<Bounds32> &boxes() const { return m_boxes; }
    // Lays the document out again; run after every change and scroll.
    void updateLayout();

    // Scroll step, back buffer, render: run whenever the window is shown.
    void prepareView();
    // vScrollStep from the page height in printer dots and the height shown;
    // Page Setup runs it again.
    void updateScrollStep();
    // The window's bounds in its MDI area's (the main window's client) coordinates.
    QRect frameBounds() const;
    // The height of the window in page units at the zoom shown.
    std::int32_t shownHeight() const;
    // What a screen render covers, in page units from the client origin: the
    // window at the zoom shown, but no further than the page and the desk
    // around it reach, once the window is covered at one pixel per unit.
    QRect renderBounds() const;

    // Shows the page at `zoom` window pixels per page unit, held to
    // minZoom..maxZoom; it is drawn again.
    void setZoom(double zoom);
    // The zoom at which the whole page, with the desk around it, fits the
    // window, held to minZoom..maxZoom.
    double fittingZoom() const;
    // Shows the top of the page: the scroll position at 0.
    void scrollToTop();

    // Shows a rendered page; it stays on the window until the next one.
    void present(const QImage &image);
    QImage presentedImage() const { return m_presented; }

public Q_SLOTS:
    void verticalScrolled(int position);
    void horizontalScrolled(int position);

protected:
    // A barcode that shows no symbol says why in its tool tip.
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // Qt delivers the second press of a double click as a double click,
    // which QWidget hands on as a press: it places or selects like the first.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A key for the window itself: refused with three beeps.
    void refuseKey();
    // A key while the vertical scroll bar has the focus; false when the key
    // is not the page's, so the bar handles it itself.
    bool pageKey(int key, Qt::KeyboardModifiers modifiers);
    void renderScreen() const;
    // Window point `point` where it lies at one pixel per page unit, as the
    // boxes and the page tool take it.
    QPoint unzoomed(QPointF point) const;
    // The page shown, with the desk around it, in page units.
    QSizeF pageWithDesk() const;

    EditorContext m_context;
    DocumentWindowHooks m_hooks;
    QList<Bounds32> m_boxes;
    QImage m_presented;
};

// (pageBottom - windowHeight) div 100, never below 0.
std::int32_t scrollStepFor(std::int32_t pageBottom, std::int32_t windowHeight);
