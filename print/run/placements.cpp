#include "run/placements.h"

DevicePaper devicePaper(const QPageLayout &layout)
{
    return {layout.fullRect(QPageLayout::Point).size(),
            layout.paintRect(QPageLayout::Point).topLeft()};
}

QRectF mirroredOnBack(const QRectF &onFront, QSizeF paper, Duplex flip)
{
    // Turned about a side edge, left and right change places; about the top
    // edge, top and bottom do.
    const bool landscape = paper.width() > paper.height();
    const bool aboutSideEdge = (flip != Duplex::ShortEdge) != landscape;
    const QPointF corner =
        aboutSideEdge ? QPointF(paper.width() - onFront.x() - onFront.width(), onFront.y())
                      : QPointF(onFront.x(), paper.height() - onFront.y() - onFront.height());
    return QRectF(corner, onFront.size());
}

RunPlacements::RunPlacements(const Document &doc, const PrintPlan &plan, const DevicePaper &device)
    : m_plan(plan), m_layout(doc.sheet), m_duplex(doc.duplex), m_device(device)
{
    if (plan.last >= plan.first && plan.copies >= 1)
        m_items = (std::int64_t{plan.last} - plan.first + 1) * plan.copies;
    m_sheets = m_layout ? sheetsFor(*m_layout, plan.firstCell, m_items) : m_items;
}

QSizeF RunPlacements::paperOf(std::int64_t sheet) const
{
    if (m_layout)
        return m_layout->paper;
    if (m_plan.background) {
        const QSizeF page = m_plan.background->paperFor(itemPage(laidOut(sheet)).first);
        if (!page.isEmpty())
            return page;
    }
    return m_device.size;
}

bool RunPlacements::bringsPaper() const
{
    return m_layout || (m_plan.background && m_plan.background->pdf);
}

QList<Side> RunPlacements::sides() const
{
    if (m_duplex == Duplex::Off)
        return {Side::Front};
    switch (m_plan.sides) {
    case PrintedSides::Front:
        return {Side::Front};
    case PrintedSides::Back:
        return {Side::Back};
    case PrintedSides::Both:
        break;
    }
    return {Side::Front, Side::Back};
}

std::int64_t RunPlacements::faceCount() const
{
    return m_sheets * sides().size();
}

Face RunPlacements::face(std::int64_t index) const
{
    const QList<Side> printed = sides();
    return {(index - 1) / printed.size() + 1, printed[(index - 1) % printed.size()]};
}

QList<Placement> RunPlacements::onFace(const Face &face) const
{
    QList<Placement> placements = frontsOn(face.sheet);
    if (face.side == Side::Back) {
        const QSizeF paper = paperOf(face.sheet);
        for (Placement &placed : placements)
            placed = backOf(placed, paper);
    }
    return placements;
}

QList<Placement> RunPlacements::onSheet(std::int64_t sheet) const
{
    QList<Placement> placements;
    for (const Side side : sides())
        placements += onFace({sheet, side});
    return placements;
}

QList<QRectF> RunPlacements::cellsOn(const Face &face) const
{
    QList<QRectF> cells;
    for (int cell = 0; m_layout && cell < m_layout->cellCount(); ++cell) {
        const QRectF rect = m_layout->cellRect(cell);
        cells.append(face.side == Side::Back ? mirroredOnBack(rect, m_layout->paper, m_duplex)
                                             : rect);
    }
    return cells;
}

Placement RunPlacements::backOf(const Placement &front, const QSizeF &paper) const
{
    Placement back = front;
    back.side = Side::Back;
    back.cell = mirroredOnBack(front.cell, paper, m_duplex);
    // The back's content stands upright where its cell lies.
    back.origin = back.cell.topLeft() + (front.origin - front.cell.topLeft());
    return back;
}

QList<Placement> RunPlacements::frontsOn(std::int64_t sheet) const
{
    const std::int64_t forward = laidOut(sheet);
    if (!m_layout)
        return {
            placed(sheet, forward, QRectF(QPointF(), paperOf(sheet)), m_device.printableOrigin)};
    QList<Placement> placements;
    for (int cell = 0; cell < m_layout->cellCount(); ++cell) {
        const std::optional<std::int64_t> label =
            labelInCell(*m_layout, m_plan.firstCell, forward, cell, m_items);
        if (!label)
            continue;
        const QRectF rect = m_layout->cellRect(cell);
        placements.append(placed(sheet, *label, rect, rect.topLeft()));
    }
    return placements;
}

std::optional<QSizeF> RunPlacements::labelSize() const
{
    if (!m_layout)
        return std::nullopt;
    return m_layout->label;
}

std::int64_t RunPlacements::paperSheet(std::int64_t sheet) const
{
    return laidOut(sheet) + 1;
}

std::int64_t RunPlacements::laidOut(std::int64_t sheet) const
{
    // The sheets are laid out in the run's order and printed backwards for
    // Reverse, so that the stack comes out in order face up; so are the
    // backs of a second pass that must meet a stack turned face up, whatever
    // else asks.
    const bool backwards =
        m_plan.lastPageFirst || (m_plan.backsReversed && sides() == QList<Side>{Side::Back});
    return backwards ? m_sheets - sheet : sheet - 1;
}

std::pair<std::int32_t, int> RunPlacements::itemPage(std::int64_t item) const
{
    const std::int64_t pages = std::int64_t{m_plan.last} - m_plan.first + 1;
    // Collated copies print in sets, 1, 2, 3, 1, 2, 3; uncollated ones page
    // by page, 1, 1, 2, 2, 3, 3.
    const std::int64_t offset = m_plan.collate ? item % pages : item / m_plan.copies;
    const std::int64_t copy = m_plan.collate ? item / pages : item % m_plan.copies;
    return {static_cast<std::int32_t>(m_plan.first + offset), static_cast<int>(copy + 1)};
}

Placement RunPlacements::placed(std::int64_t sheet, std::int64_t item, const QRectF &cell,
                                const QPointF &origin) const
{
    const auto [page, copy] = itemPage(item);
    // Backwards, the first print of a page is its last copy laid out.
    const int printed = m_plan.lastPageFirst ? m_plan.copies + 1 - copy : copy;
    return {sheet, Side::Front, cell, origin, page, printed};
}
