#include "rowcounting.h"

#include <algorithm>

RunRows::RunRows(qsizetype rowCount) : m_rows(rowCount) {}

RunRows::RunRows(const std::vector<std::int32_t> &quantities)
    : m_rows(static_cast<qsizetype>(quantities.size()))
{
    m_ends.reserve(quantities.size());
    std::int32_t pages = 0;
    for (const std::int32_t quantity : quantities) {
        pages += quantity;
        m_ends.push_back(pages);
    }
}

std::int32_t RunRows::pageCount() const
{
    if (m_ends.empty())
        return static_cast<std::int32_t>(m_rows);
    return m_ends.back();
}

RowPlace RunRows::placeOf(std::int32_t page) const
{
    if (m_rows == 0)
        return {0, std::int64_t{page} - 1};
    if (m_ends.empty()) {
        const qsizetype row = std::clamp<qsizetype>(page - 1, 0, m_rows - 1);
        return {row, std::int64_t{page} - 1 - row};
    }
    // The first row whose pages reach past the one before `page`.
    const auto end = std::upper_bound(m_ends.begin(), m_ends.end(), page - 1);
    const qsizetype row = page < 1 ? 0 : std::min<qsizetype>(end - m_ends.begin(), m_rows - 1);
    return {row, std::int64_t{page} - firstPageOf(row)};
}

std::int64_t RunRows::firstPageOf(qsizetype row) const
{
    if (m_ends.empty())
        return row + 1;
    return row == 0 ? 1 : std::int64_t{m_ends[static_cast<std::size_t>(row - 1)]} + 1;
}

std::int32_t RunRows::quantityOf(qsizetype row) const
{
    if (m_ends.empty())
        return 1;
    const std::int32_t before = row == 0 ? 0 : m_ends[static_cast<std::size_t>(row - 1)];
    return m_ends[static_cast<std::size_t>(row)] - before;
}

QuantitiesRead readQuantities(const DataTable &table, qsizetype column, const QString &fileName)
{
    std::vector<std::int32_t> quantities;
    quantities.reserve(static_cast<std::size_t>(table.rows.size()));
    std::int64_t pages = 0;
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        const QString cell = table.valueText(r, column);
        const auto refuse = [&](const QString &what) {
            return QuantitiesRead{std::nullopt, QStringLiteral("%1, row %2, column %3: %4")
                                                    .arg(fileName)
                                                    .arg(table.sheetRow(r))
                                                    .arg(table.columns.value(column), what)};
        };
        const QStringView digits = QStringView(cell).trimmed();
        const bool negative = digits.startsWith(u'-');
        const QStringView whole = digits.sliced(negative || digits.startsWith(u'+') ? 1 : 0);
        if (whole.isEmpty() || !std::all_of(whole.begin(), whole.end(),
                                            [](QChar c) { return c >= u'0' && c <= u'9'; }))
            return refuse(QStringLiteral("the quantity \"%1\" is no whole number").arg(cell));
        // Leading zeros aside, more digits than ten are more than a run prints.
        qsizetype firstDigit = 0;
        while (firstDigit + 1 < whole.size() && whole[firstDigit] == u'0')
            ++firstDigit;
        const QStringView significant = whole.sliced(firstDigit);
        bool read = significant.size() <= 10;
        const std::int64_t quantity = read ? significant.toLongLong(&read) : 0;
        if (negative && quantity != 0)
            return refuse(QStringLiteral("the quantity %1 is negative").arg(digits));
        pages += quantity;
        if (!read || pages > maxRunPages)
            return refuse(QStringLiteral("the quantities come to more than %1 pages, "
                                         "the most a run prints")
                              .arg(maxRunPages));
        quantities.push_back(static_cast<std::int32_t>(quantity));
    }
    return {RunRows(quantities), {}};
}
