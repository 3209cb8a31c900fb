// Reads arbitrary bytes as the extension block of a table of a few objects and
// aborts when a block that reads does not write back to itself, or when the
// texts of its formats cannot be formed, or their fields, filled in as a data
// run fills them, pass their bound.

#include "fields.h"
#include "file/extensionblock.h"
#include "numberrun.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::int32_t objectCount = 4;

void check(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "broken invariant: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    const std::optional<ExtensionBlock> block =
        readExtensionBlock(bytes, QList<PageObject>(objectCount));
    if (!block)
        return 0;
    check(block->objects.size() == objectCount, "one entry per object");

    const QByteArray written = extensionBlockBytes(*block);
    const std::optional<ExtensionBlock> again =
        readExtensionBlock(written, QList<PageObject>(objectCount));
    check(again.has_value(), "a written block does not read");
    check(*again == *block, "a block changed through writing and reading");
    check(extensionBlockBytes(*again) == written, "a block read back writes other bytes");

    // The formats a file carries, over a run that wraps and spans wide
    // values: auto width never cuts a value, and placeholders expand.
    std::uint32_t hash = 0;
    for (std::size_t i = 0; i < size; ++i)
        hash = hash * 31 + data[i];
    const auto start = static_cast<std::int32_t>(hash);
    const std::int32_t step = -0x7FFFFFF1;
    const std::int32_t pages = 0x7FFFFFFF;
    for (const PageObject &stored : block->objects) {
        NumberFormat bare = stored.format;
        bare.prefix.clear();
        bare.suffix.clear();
        bare.autoWidth = true;
        const NumberRun run(start, step, 3, bare, pages);
        const qsizetype width = run.width() + (checkDigitApplies(bare) ? 1 : 0);
        // Digit systems fill to the width; letters are never filled.
        const auto fits = [&](qsizetype size) {
            return padsWithZeros(bare.system) ? size == width : size <= width;
        };
        check(fits(run.text(1).size()) && fits(run.text(pages).size()), "auto width cut a value");
        NumberRun(start, step, 3, stored.format, pages).text(pages);
    }

    static const QStringList columns{QStringLiteral("Name"), QStringLiteral("Qty")};
    static const CellRows table = [] {
        CellRows rows;
        rows.append({QStringLiteral("Ada"), QStringLiteral("2")});
        return rows;
    }();
    const CellRows::Row row = table[0];
    const FieldNames names{&columns, QStringLiteral("orders.csv"),
                           QDateTime(QDate(2026, 1, 31), QTime(9, 30)), true};
    for (const PageObject &stored : block->objects) {
        for (const QString &affix : {stored.format.prefix, stored.format.suffix}) {
            const FieldRead read = readFields(affix, names, QStringLiteral("num0"));
            const QString filled = read.text.filled({7, 40, u"0040", row, 1});
            check(filled.size() <= read.text.longestOnRow(row, 4),
                  "fields filled in past their bound");
        }
    }
    return 0;
}
