// Reads arbitrary bytes as a data file, delimited text or a workbook as the
// build names it, and aborts when a table that reads breaks what every run
// relies on: one value per column in every row, and the limits held for
// what was built however few bytes declared it.

#include "data/datasource.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "broken invariant: %s\n", what);
    std::abort();
}

// Small, so that a run of the fuzzer meets them often.
DataLimits fuzzLimits()
{
    DataLimits limits;
    limits.fileBytes = qint64(1) << 20;
    limits.expandedBytes = qint64(8) << 20;
    limits.rows = 20'000;
    limits.columns = 200;
    limits.cells = 200'000;
    return limits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const DataLimits limits = fuzzLimits();
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const DataRead read = readData(bytes, QStringLiteral(FUZZ_DATA_FILE_NAME), {}, limits);
    if (!read.table) {
        check(!read.error.isEmpty(), "a refused file says why");
        return 0;
    }
    const DataTable &table = *read.table;
    check(table.columns.size() <= limits.columns, "more columns than the limit");
    check(table.rows.size() <= limits.rows, "more rows than the limit");
    check(table.columns.size() * table.rows.size() <= limits.cells, "more cells than the limit");
    for (const CellRows::Row row : table.rows)
        check(row.size() == table.columns.size(), "a row without one value per column");
    return 0;
}
