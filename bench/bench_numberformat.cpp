// Times forming the texts of 20 number objects on 10,000 pages: the bare
// fixed-width digits numbers have always printed against the same texts
// formed through number formats. Then the texts of a data run, 20 numbers
// and two text objects showing fields on 100,000 pages of a 100,000-row
// table, against the same page with fixed texts and no data. Processor
// time, the best of five rounds.

#include "numbering.h"
#include "numberrun.h"
#include "rundata.h"

#include <QList>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

constexpr int objectCount = 20;
constexpr std::int32_t pageCount = 10000;
constexpr int rounds = 5;
constexpr std::int16_t digits = 5;

// Best processor seconds of `rounds` runs of `body`; `sink` keeps the work.
double bestSeconds(const std::function<qsizetype()> &body, qsizetype &sink)
{
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const std::clock_t begin = std::clock();
        sink += body();
        const std::clock_t end = std::clock();
        best = std::min(best, double(end - begin) / CLOCKS_PER_SEC);
    }
    return best;
}

qsizetype bareDigits()
{
    qsizetype total = 0;
    PageObject object;
    object.digits = digits;
    object.stepPage = 1;
    for (std::int32_t page = 1; page <= pageCount; ++page) {
        for (int i = 0; i < objectCount; ++i) {
            object.start = 10000 + i * pageCount;
            total +=
                formatNumber(numberValueText(object, valueOnPage(object, page)), digits).size();
        }
    }
    return total;
}

qsizetype formatted(const NumberFormat &format)
{
    std::vector<NumberRun> runs;
    for (int i = 0; i < objectCount; ++i)
        runs.emplace_back(10000 + i * pageCount, 1, digits, format, pageCount);
    qsizetype total = 0;
    for (std::int32_t page = 1; page <= pageCount; ++page) {
        for (const NumberRun &run : runs)
            total += run.text(page).size();
    }
    return total;
}

struct Case
{
    const char *name;
    NumberFormat format;
};

constexpr std::int32_t dataRows = 100000;

// 20 numbers and two text objects, which show `name` and `city`.
Document dataPage(const QString &name, const QString &city)
{
    Document doc = emptyDocument(objectCount + 2);
    doc.pagesToPrint = dataRows;
    for (int i = 0; i < objectCount; ++i) {
        PageObject number;
        number.kind = KindNumber;
        number.start = 10000 + i * dataRows;
        number.stepPage = 1;
        number.digits = 7;
        doc.objects.append(number);
    }
    for (const QString &text : {name, city}) {
        PageObject shown;
        shown.kind = KindText;
        shown.text = text;
        doc.objects.append(shown);
    }
    return doc;
}

DataTable customers()
{
    DataTable table;
    table.columns = {"Name", "City", "Qty"};
    for (std::int32_t row = 0; row < dataRows; ++row)
        table.rows.append({QStringLiteral("Customer %1").arg(row),
                           QStringLiteral("City %1").arg(row % 97), QStringLiteral("1")});
    return table;
}

qsizetype runTexts(const RunTexts &texts)
{
    qsizetype total = 0;
    for (std::int32_t page = 1; page <= texts.pages(); ++page) {
        for (int i = 0; i < texts.document().count(); ++i)
            total += texts.text(i, page).size();
    }
    return total;
}

} // namespace

int main()
{
    qsizetype sink = 0;
    const double bare = bestSeconds(bareDigits, sink);
    std::printf("%d numbers on %d pages, processor seconds, best of %d\n", objectCount, pageCount,
                rounds);
    std::printf("  %-34s %8.4f  %6.3f us/text\n", "bare digits", bare,
                bare * 1e6 / (objectCount * pageCount));

    const QList<Case> cases = {
        {"default format", {}},
        {"luhn check", {.check = CheckDigit::Luhn}},
        {"auto width, mod 11", {.check = CheckDigit::Mod11, .autoWidth = true}},
        {"letters, repeat 3", {.repeat = 3, .system = NumberSystem::Letters}},
        {"prefix and suffix", {.prefix = "No. ", .suffix = " of 99"}},
        {"placeholders", {.prefix = "{page}/{pages} ", .suffix = " to {last}"}},
    };
    for (const Case &c : cases) {
        const double seconds = bestSeconds([&c] { return formatted(c.format); }, sink);
        std::printf("  %-34s %8.4f  %6.3f us/text  %5.2f x bare\n", c.name, seconds,
                    seconds * 1e6 / (objectCount * pageCount), seconds / bare);
    }

    const Document fixed = dataPage(QStringLiteral("Customer 1"), QStringLiteral("City 1"));
    const double fixedSeconds = bestSeconds([&fixed] { return runTexts(RunTexts(fixed)); }, sink);
    const Document fielded = dataPage(QStringLiteral("{Name}"), QStringLiteral("{City}"));
    const DataTable table = customers();
    std::optional<RunData> data;
    const double dataSeconds = bestSeconds(
        [&] {
            data =
                runDataOf(fielded, DataSourceSettings{.file = "customers.csv", .quantity = "Qty"},
                          table, QStringLiteral("customers.csv"), QDateTime::currentDateTime())
                    .data;
            return data->rows().pageCount();
        },
        sink);
    const double fieldSeconds =
        bestSeconds([&] { return runTexts(RunTexts(fielded, *data)); }, sink);
    std::printf("%d numbers and 2 texts on %d pages, processor seconds, best of %d\n", objectCount,
                dataRows, rounds);
    std::printf("  %-34s %8.4f\n", "fixed texts, no data", fixedSeconds);
    std::printf("  %-34s %8.4f  %5.2f x fixed\n", "two fields, a row a page", fieldSeconds,
                fieldSeconds / fixedSeconds);
    std::printf("  %-34s %8.4f\n", "the run's data checked and laid out", dataSeconds);
    return sink == 0;
}
