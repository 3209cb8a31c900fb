#include "dialogs/previewpagesview.h"

#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Around and between the pages, in pixels.
constexpr int gap = 12;
// Enough for a screen of pages at the smallest width and a few to scroll back to.
constexpr qsizetype keptPictures = 12;
const QColor deskColor(0x80, 0x80, 0x80);

} // namespace

PreviewPagesView::PreviewPagesView(std::int32_t pageCount, QSizeF paperSize, PageDrawing drawPage,
                                   QWidget *parent)
    : QAbstractScrollArea(parent), m_pageCount(std::max(pageCount, 0)),
      m_paperSize(paperSize.isValid() ? paperSize : QSizeF(595, 842)),
      m_drawPage(std::move(drawPage))
{
    setObjectName(QStringLiteral("previewPagesView"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMinimumSize(240, 240);
    updateScrollBar();
}

std::int32_t PreviewPagesView::currentPage() const
{
    const int stride = pageStride();
    return std::min<std::int32_t>(verticalScrollBar()->value() / stride + 1, m_pageCount);
}

QSize PreviewPagesView::pageSize() const
{
    const int width = std::max(viewport()->width() - 2 * gap, 1);
    const int height =
        std::max(int(std::lround(width * m_paperSize.height() / m_paperSize.width())), 1);
    return {width, height};
}

int PreviewPagesView::pageStride() const
{
    return pageSize().height() + gap;
}

void PreviewPagesView::updateScrollBar()
{
    QScrollBar *bar = verticalScrollBar();
    // Kept within the bar's range for runs of very many pages.
    const qint64 total = qint64(m_pageCount) * pageStride() + gap;
    bar->setRange(0, int(std::clamp<qint64>(total - viewport()->height(), 0,
                                            std::numeric_limits<int>::max())));
    bar->setPageStep(viewport()->height());
    bar->setSingleStep(pageStride() / 8 + 1);
}

const QImage &PreviewPagesView::picture(std::int32_t page, std::int32_t dotsPerInch)
{
    const auto found = std::find_if(m_drawn.begin(), m_drawn.end(), [&](const DrawnPage &drawn) {
        return drawn.page == page && drawn.dotsPerInch == dotsPerInch;
    });
    if (found != m_drawn.end()) {
        DrawnPage kept = std::move(*found);
        m_drawn.erase(found);
        m_drawn.append(std::move(kept));
    } else {
        m_drawn.append({page, dotsPerInch, m_drawPage(page, dotsPerInch)});
        ++m_pagesDrawn;
        if (m_drawn.size() > keptPictures)
            m_drawn.removeFirst();
    }
    return m_drawn.last().picture;
}

void PreviewPagesView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), deskColor);
    const QSize size = pageSize();
    const int stride = pageStride();
    const qreal ratio = devicePixelRatioF();
    // Drawn as sharp as the screen shows it: whole multiples of 72 dots per inch.
    const auto dotsPerInch =
        std::int32_t(72 * std::max(1.0, std::ceil(size.width() * ratio / m_paperSize.width())));
    const int top = verticalScrollBar()->value();
    const std::int32_t first = top / stride + 1;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (std::int32_t page = first; page <= m_pageCount; ++page) {
        const int y = int((qint64(page - 1) * stride) - top) + gap;
        if (y >= viewport()->height())
            break;
        const QRect sheet(gap, y, size.width(), size.height());
        painter.drawImage(sheet, picture(page, dotsPerInch));
        painter.setPen(Qt::black);
        painter.drawRect(sheet.adjusted(-1, -1, 0, 0));
    }
}

void PreviewPagesView::resizeEvent(QResizeEvent *event)
{
    const std::int32_t page = currentPage();
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
    verticalScrollBar()->setValue((page - 1) * pageStride());
}

void PreviewPagesView::scrollContentsBy(int, int)
{
    viewport()->update();
    Q_EMIT currentPageChanged(currentPage());
}
