#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QList>
#include <QSizeF>

#include <cstdint>
#include <functional>

// The pages of a run one below the other, as wide as the view, each drawn
// only when it comes into view: a run of any length opens at once. The
// pictures of the pages last drawn are kept for scrolling back.
class PreviewPagesView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    // Draws page `page` (from 1) at `dotsPerInch`.
    using PageDrawing = std::function<QImage(std::int32_t page, std::int32_t dotsPerInch)>;

    PreviewPagesView(std::int32_t pageCount, QSizeF paperSize, PageDrawing drawPage,
                     QWidget *parent = nullptr);

    std::int32_t pageCount() const { return m_pageCount; }
    // The page at the top of the view.
    std::int32_t currentPage() const;
    // How many pages have been drawn so far.
    int pagesDrawn() const { return m_pagesDrawn; }

Q_SIGNALS:
    void currentPageChanged(std::int32_t page);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct DrawnPage
    {
        std::int32_t page;
        std::int32_t dotsPerInch;
        QImage picture;
    };

    QSize pageSize() const;
    int pageStride() const;
    const QImage &picture(std::int32_t page, std::int32_t dotsPerInch);
    void updateScrollBar();

    std::int32_t m_pageCount;
    QSizeF m_paperSize;
    PageDrawing m_drawPage;
    QList<DrawnPage> m_drawn; // the latest last
    int m_pagesDrawn = 0;
};
