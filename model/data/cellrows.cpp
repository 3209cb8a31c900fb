#include "data/cellrows.h"

qsizetype CellRows::Row::size() const
{
    return m_rows->m_width >= 0 ? m_rows->m_width : m_rows->m_rows[m_row].count;
}

QStringView CellRows::Row::view(qsizetype column) const
{
    const RowCells cells = m_rows->m_rows[m_row];
    if (column < 0 || column >= qsizetype(cells.count))
        return {};
    const qsizetype cell = qsizetype(cells.first) + column;
    const qsizetype begin = cell == 0 ? 0 : m_rows->m_ends[cell - 1];
    return QStringView(m_rows->m_text).sliced(begin, m_rows->m_ends[cell] - begin);
}

QStringList CellRows::Row::toList() const
{
    QStringList cells;
    cells.reserve(size());
    for (qsizetype column = 0; column < size(); ++column)
        cells.append((*this)[column]);
    return cells;
}

CellRows::RowCells CellRows::cellsOf(const QStringList &cells)
{
    const RowCells row{std::uint32_t(m_ends.size()), std::uint32_t(cells.size())};
    for (const QString &cell : cells) {
        m_text.append(cell);
        m_ends.append(std::uint32_t(m_text.size()));
    }
    return row;
}

void CellRows::append(const QStringList &cells, qsizetype times)
{
    const RowCells row = cellsOf(cells);
    m_rows.insert(m_rows.size(), times, row);
}

void CellRows::place(qsizetype row, const QStringList &cells)
{
    if (row >= m_rows.size())
        resize(row + 1);
    m_rows[row] = cellsOf(cells);
}

void CellRows::resize(qsizetype rows)
{
    m_rows.resize(rows);
}

void CellRows::squeeze()
{
    // A copy costs as much as the reading of a large file: only room past a
    // quarter of what is held is worth it.
    const auto roomy = [](const auto &buffer) {
        return buffer.capacity() - buffer.size() > buffer.size() / 4;
    };
    if (roomy(m_text))
        m_text.squeeze();
    if (roomy(m_ends))
        m_ends.squeeze();
    if (roomy(m_rows))
        m_rows.squeeze();
}

QStringList CellRows::takeFirst()
{
    const QStringList first = (*this)[0].toList();
    m_rows.removeFirst();
    return first;
}

QList<QStringList> CellRows::toLists() const
{
    QList<QStringList> rows;
    rows.reserve(size());
    for (const Row row : *this)
        rows.append(row.toList());
    return rows;
}
