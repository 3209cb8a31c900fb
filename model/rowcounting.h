#pragma once

#include "data/datasource.h"

#include <QString>

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

// The longest run the program prints: the most pages (or labels) a print
// plan counts.
inline constexpr std::int32_t maxRunPages = std::numeric_limits<std::int32_t>::max();

// Where a page of a data run comes from: its data row (from 0, as the
// table holds it) and its place among that row's pages (from 0).
struct RowPlace
{
    qsizetype row = 0;
    std::int64_t index = 0;

    bool operator==(const RowPlace &) const = default;
};

// The pages of a data run, row after row, each row printing its quantity
// of pages; a row of quantity 0 prints none. Its memory grows with the rows,
// not with the pages: a page is found among the rows' ends by a binary search.
class RunRows
{
public:
    // One page a row.
    explicit RunRows(qsizetype rowCount = 0);
    // Row r prints quantities[r] pages; together at most maxRunPages.
    explicit RunRows(const std::vector<std::int32_t> &quantities);

    qsizetype rowCount() const { return m_rows; }
    std::int32_t pageCount() const;
    // Where page `page` (from 1) comes from. A page before the run counts
    // back from the first row's first page, one past it on from the last
    // row's last one.
    RowPlace placeOf(std::int32_t page) const;
    // The first page of row `row` (from 1), and how many it prints.
    std::int64_t firstPageOf(qsizetype row) const;
    std::int32_t quantityOf(qsizetype row) const;

private:
    qsizetype m_rows = 0;
    // The pages up to and with each row; empty when every row prints one.
    std::vector<std::int32_t> m_ends;
};

// The pages each row of `table` prints as column `column` says, or why
// they cannot be printed, naming the file (`fileName`), the row and the
// column: a quantity that is no whole number, a negative one, or quantities
// that come to more than maxRunPages.
struct QuantitiesRead
{
    std::optional<RunRows> rows;
    QString error;
};
QuantitiesRead readQuantities(const DataTable &table, qsizetype column, const QString &fileName);
