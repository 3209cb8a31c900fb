#include "run/runcheck.h"

#include "kinds.h"
#include "log/printlog.h"
#include "numbering.h"
#include "objecttable.h"
#include "pictures/picturedrawing.h"
#include "run/printablearea.h"
#include "rundata.h"

#include <map>
#include <utility>

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

} // namespace

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
    QStringList lines;
    for (const PrintLogEntry &run : earlier) {
        // A stub and its source are one series: named once for each run.
        QList<int> named;
        for (const PrintLogEntry::NumberSpan &before : run.numbers) {
            if (before.values.isEmpty())
                continue;
            for (int i = 0; i < doc.count(); ++i) {
                const PageObject &object = doc.objects[i];
                const int source = shownSource(doc, i);
                if (loggedName(doc, i) != before.name ||
                    !printsSide(doc, plan, sideOf(doc, object)) ||
                    showsNothing(doc.objects[source]) ||
                    !sharesAValue(valuesPrinted(texts, source, plan), before.values))
                    continue;
                if (named.contains(source))
                    break;
                named.append(source);
                const QString values =
                    before.first == before.last ? before.first : before.first + u'-' + before.last;
                const QString side = source == i ? QString()
                                     : sideOf(doc, object) == Side::Back
                                         ? QStringLiteral(" on the backs")
                                         : QStringLiteral(" on the fronts");
                QString line = QStringLiteral("%1 printed %2%3 on %4")
                                   .arg(shownName(doc, source), values, side,
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
