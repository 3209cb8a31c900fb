#include "run/runcheck.h"

#include "barcode.h"
#include "kinds.h"
#include "log/printlog.h"
#include "numbering.h"
#include "objecttable.h"
#include "pictures/picturedrawing.h"
#include "run/printablearea.h"
#include "rundata.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace {

// The most lines a run names; the rest are counted.
constexpr qsizetype mostLines = 20;

QStringList cut(QStringList lines)
{
    if (lines.size() <= mostLines)
        return lines;
    const qsizetype more = lines.size() - mostLines;
    lines.resize(mostLines);
    lines.append(QStringLiteral("... and %1 more.").arg(more));
    return lines;
}

// Where number `index` first outgrows its width on pages first..last. A
// number that counts on through the rows does as it does without data;
// one whose rows start again is looked at row by row.
std::optional<WidthGrowth> growthOver(const RunTexts &texts, int index, std::int32_t first,
                                      std::int32_t last)
{
    const Document &doc = texts.document();
    if (texts.counting(index) == NumberCounting::Mode::On)
        return widthGrowth(doc, index, first, last);
    const PageObject &object = doc.objects[index];
    if (!kindRow(object.kind).numbered || object.format.autoWidth || object.digits <= 0)
        return std::nullopt;
    const RunRows &rows = texts.data()->rows();
    for (qsizetype row = rows.placeOf(first).row; row < rows.rowCount(); ++row) {
        const std::int64_t rowFirst = rows.firstPageOf(row);
        if (rowFirst > last)
            break;
        const std::int64_t rowLast = rowFirst + rows.quantityOf(row) - 1;
        if (rowLast < first)
            continue;
        // Pages of the row counted from its first, which holds its start.
        const auto fromRow = [rowFirst](std::int64_t page) {
            return static_cast<std::int32_t>(page - rowFirst + 1);
        };
        const std::optional<WidthGrowth> growth = firstGrowth(
            texts.value(index, static_cast<std::int32_t>(rowFirst)), object.stepPage,
            texts.repeat(index), object.digits, fromRow(std::max<std::int64_t>(first, rowFirst)),
            fromRow(std::min<std::int64_t>(last, rowLast)), object.format.system);
        if (growth)
            return WidthGrowth{static_cast<std::int32_t>(growth->page + rowFirst - 1),
                               growth->characters};
    }
    return std::nullopt;
}

// The names fields take before a column of the same name.
const QStringList fieldNames{"row", "date", "time", "page", "pages", "last"};

// The columns of `table` that the fields of `text` name, "column Code" or
// "columns Country, Code".
QString columnsNamed(const QString &text, const DataTable &table)
{
    QStringList named;
    for (const QString &column : table.columns) {
        if (!fieldNames.contains(column) && text.contains(u'{' + column + u'}'))
            named.append(column);
    }
    if (named.isEmpty())
        return {};
    return (named.size() == 1 ? QStringLiteral("column ") : QStringLiteral("columns ")) +
           named.join(QStringLiteral(", "));
}

} // namespace

QString rowBarcodeError(const RunTexts &texts, const PrintPlan &plan)
{
    const RunData *data = texts.data();
    const DataTable *table = data ? data->table() : nullptr;
    if (!table)
        return {};
    const Document &doc = texts.document();
    const RunRows &rows = data->rows();
    for (int i = 0; i < doc.count(); ++i) {
        const PageObject &object = doc.objects[i];
        if (!doc.isLive(i) || !kindRow(object.kind).numbered || !object.format.barcode ||
            !printsSide(doc, plan, sideOf(doc, object)))
            continue;
        // A number showing another's text shows its fields.
        const NumberFormat &shown = doc.objects[shownSource(doc, i)].format;
        const QString columns = columnsNamed(shown.prefix + shown.suffix, *table);
        if (columns.isEmpty())
            continue;
        for (qsizetype row = rows.placeOf(plan.first).row; row < rows.rowCount(); ++row) {
            if (rows.quantityOf(row) == 0)
                continue;
            const auto page = static_cast<std::int32_t>(
                std::max<std::int64_t>(rows.firstPageOf(row), plan.first));
            if (page > plan.last)
                break;
            const std::optional<BarcodeRefusal> refusal =
                barcodeRefusal(object.format.barcode->symbology, texts.text(i, page));
            if (!refusal)
                continue;
            QString error = QStringLiteral("%1, row %2, %3: %4")
                                .arg(data->fileName())
                                .arg(table->sheetRow(row))
                                .arg(columns, refusal->rule);
            error += refusal->found.isEmpty()
                         ? QStringLiteral("; %1 on page %2").arg(shownName(doc, i)).arg(page)
                         : QStringLiteral("; %1 on page %2 gives %3")
                               .arg(shownName(doc, i))
                               .arg(page)
                               .arg(refusal->found);
            return error;
        }
    }
    return {};
}

QString outsideLine(const QString &printer, const QStringList &objects)
{
    return QStringLiteral("These objects fall outside the printable area of %1: %2.")
        .arg(printer, objects.join(QStringLiteral(", ")));
}

QString outsideWarning(const RunTexts &texts, const PrintPlan &plan, int dotsPerInch,
                       const QRectF &printable, const QString &printer)
{
    const Document &doc = texts.document();
    if (doc.sheet) {
        const QStringList outside =
            objectsOutside(texts, plan, dotsPerInch, QRectF(QPointF(0, 0), doc.sheet->label));
        return outside.isEmpty()
                   ? QString()
                   : QStringLiteral("These objects reach beyond the label and are cut off at "
                                    "its edge: %1.")
                         .arg(outside.join(QStringLiteral(", ")));
    }
    const QStringList outside = objectsOutside(texts, plan, dotsPerInch, printable);
    return outside.isEmpty() ? QString() : outsideLine(printer, outside);
}

QStringList growthLines(const RunTexts &texts, const PrintPlan &plan)
{
    const Document &doc = texts.document();
    QStringList lines;
    for (int i = 0; i < doc.count(); ++i) {
        // A number showing another's text grows with it, told once.
        if (shownSource(doc, i) != i)
            continue;
        const std::optional<WidthGrowth> growth = growthOver(texts, i, plan.first, plan.last);
        if (!growth)
            continue;
        lines.append(QStringLiteral("%1 grows from %2 to %3 digits on page %4.")
                         .arg(shownName(doc, i))
                         .arg(doc.objects[i].digits)
                         .arg(growth->characters)
                         .arg(growth->page));
    }
    return cut(lines);
}

QStringList pictureLines(const Document &doc, const std::function<bool()> &keepGoing)
{
    // Why each picture and page cannot be drawn, read once however many
    // objects show it.
    std::map<std::pair<QString, std::int32_t>, QString> refusals;
    QStringList lines;
    for (int i = 0; i < doc.count(); ++i) {
        const std::optional<PictureRef> &picture = doc.objects[i].picture;
        if (!picture || !picture->printed)
            continue;
        if (keepGoing && !keepGoing())
            break;
        const auto key = std::pair(picture->id, picture->page);
        auto found = refusals.find(key);
        if (found == refusals.end()) {
            const Outcome<PictureFile> read =
                readPictureFile(doc.pictures.bytes(picture->id), picture->page);
            found = refusals.emplace(key, read.error).first;
        }
        if (!found->second.isEmpty())
            lines.append(
                QStringLiteral("%1: %2 %3.")
                    .arg(shownName(doc, i),
                         picture->file.isEmpty() ? QStringLiteral("its picture") : picture->file,
                         found->second));
    }
    return cut(lines);
}

QStringList reprintLines(const RunTexts &texts, const PrintPlan &plan,
                         const QList<PrintLogEntry> &earlier)
{
    const Document &doc = texts.document();
    // What each number of this run logs, worked out once for every earlier run.
    struct Logged
    {
        int index;
        int source;
        QString name;
        QList<PrintedValues> values;
    };
    std::vector<Logged> numbers;
    for (int i = 0; i < doc.count(); ++i) {
        const std::optional<QString> name = loggedName(doc, i);
        const int source = shownSource(doc, i);
        if (name && printsSide(doc, plan, sideOf(doc, doc.objects[i])) &&
            !showsNothing(doc.objects[source]))
            numbers.push_back({i, source, *name, valuesPrinted(texts, source, plan)});
    }
    QStringList lines;
    for (const PrintLogEntry &run : earlier) {
        // A stub and its source are one series: named once for each run.
        QList<int> named;
        for (const PrintLogEntry::NumberSpan &before : run.numbers) {
            if (before.values.isEmpty())
                continue;
            for (const auto &[i, source, name, values] : numbers) {
                if (name != before.name || !sharesAValue(values, before.values))
                    continue;
                if (named.contains(source))
                    break;
                named.append(source);
                const QString span =
                    before.first == before.last ? before.first : before.first + u'-' + before.last;
                const QString side = source == i ? QString()
                                     : sideOf(doc, doc.objects[i]) == Side::Back
                                         ? QStringLiteral(" on the backs")
                                         : QStringLiteral(" on the fronts");
                QString line = QStringLiteral("%1 printed %2%3 on %4")
                                   .arg(shownName(doc, source), span, side,
                                        run.when.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
                if (!run.machine.isEmpty())
                    line += QStringLiteral(" at ") + run.machine;
                if (run.unfinished)
                    line += QStringLiteral(" (unfinished)");
                lines.append(line + u'.');
                break;
            }
        }
    }
    return cut(lines);
}
