#include "dialogs/sheetpreview.h"

#include "labelshape.h"

#include <QPainter>

SheetPreview::SheetPreview(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("sheetPreview"));
    setMinimumSize(140, 170);
}

void SheetPreview::showSheet(const std::optional<SheetLayout> &layout)
{
    m_layout = layout && layout->problem().isEmpty() ? layout : std::nullopt;
    update();
}

void SheetPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(4, 4, -4, -4);
    const QSizeF paper = m_layout ? m_layout->paper : QSizeF(210, 297);
    const qreal scale = std::min(area.width() / paper.width(), area.height() / paper.height());
    painter.translate(area.center() - QPointF(paper.width(), paper.height()) * scale / 2);
    painter.scale(scale, scale);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 0));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(QPointF(0, 0), paper));
    if (!m_layout)
        return;
    painter.setBrush(palette().color(QPalette::Highlight).lighter(170));
    for (int cell = 0; cell < m_layout->cellCount(); ++cell) {
        painter.drawPath(labelOutline(*m_layout, m_layout->cellRect(cell)));
        painter.setBrush(Qt::NoBrush);
    }
}
