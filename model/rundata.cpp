#include "rundata.h"

#include "filenames.h"
#include "kinds.h"
#include "numberconversion.h"
#include "numbering.h"
#include "numbersystems.h"
#include "objecttable.h"

#include <QFileInfo>

#include <utility>

namespace {

// A start cell read strictly: a hexadecimal one is hexadecimal digits, as
// many as a value holds, where a Start entry forgives anything; a number
// past what a value holds is no start, where a Start entry wraps it.
struct StartCell
{
    std::optional<NumberValue> value;
    bool tooLarge = false;
};

StartCell readStartCell(const QString &cell, NumberSystem system)
{
    const QString entry = cell.trimmed();
    if (entry.isEmpty())
        return {};
    if (system == NumberSystem::Decimal) {
        const std::optional<DecimalValue> read = readDecimalValue(entry);
        if (!read)
            return {};
        return read->fits ? StartCell{read->value} : StartCell{std::nullopt, true};
    }
    if (system == NumberSystem::Hexadecimal && !isHexadecimalEntry(entry))
        return {};
    const std::optional<NumberValue> value = numberSystemRow(system).read(entry);
    if (!value)
        return {};
    // Digits past 64 bits wrapped: written back they are not the cell's.
    qsizetype zeros = 0;
    while (zeros < entry.size() - 1 && entry[zeros] == u'0')
        ++zeros;
    const std::optional<QString> written = systemDigits(*value, system);
    if (written && written->size() < entry.size() - zeros)
        return {std::nullopt, true};
    return {value};
}

RunDataRead refused(const QString &error)
{
    return {std::nullopt, error};
}

// The fields of every text the document shows, read as RunTexts reads them.
struct ShownTexts
{
    std::vector<FieldText> texts;
    QString problem;
};

ShownTexts shownTexts(const Document &doc, int index, const RunData &data)
{
    const PageObject &object = doc.objects[index];
    const KindRow &kind = kindRow(object.kind);
    QList<QString> parts;
    if (kind.numbered) {
        const NumberFormat format = withinLimits(object.format);
        parts = {format.prefix, format.suffix};
    } else if (kind.showsText) {
        parts = {object.text};
    }
    ShownTexts shown;
    const FieldNames names = data.fieldNames(kind.numbered);
    for (const QString &part : parts) {
        FieldRead read = readFields(part, names, shownName(doc, index));
        if (!read.problem.isEmpty()) {
            shown.problem = read.problem;
            break;
        }
        shown.texts.push_back(std::move(read.text));
    }
    return shown;
}

// Why the document's texts cannot be printed with `data`: a field that
// cannot be filled in, or a text its row's values make too long.
QString fieldProblem(const Document &doc, const RunData &data)
{
    const DataTable *table = data.table();
    for (int i = 0; i < doc.count(); ++i) {
        const ShownTexts shown = shownTexts(doc, i, data);
        if (!shown.problem.isEmpty())
            return shown.problem;
        const bool usesRow = std::any_of(shown.texts.begin(), shown.texts.end(),
                                         [](const FieldText &text) { return text.usesRow(); });
        if (!table || !usesRow)
            continue;
        for (qsizetype r = 0; r < table->rows.size(); ++r) {
            qsizetype length = 0;
            for (const FieldText &text : shown.texts)
                length += text.longestOnRow(table->rows[r], 0);
            if (length > maxFilledTextLength)
                return QStringLiteral("%1, row %2: %3 would be %4 characters long, more than "
                                      "the %5 a text holds")
                    .arg(data.fileName())
                    .arg(table->sheetRow(r))
                    .arg(shownName(doc, i))
                    .arg(length)
                    .arg(maxFilledTextLength);
        }
    }
    return {};
}

} // namespace

RunData::RunData(QDateTime moment) : m_moment(std::move(moment)) {}

NumberCounting::Mode RunData::countingOf(int head) const
{
    const auto found = m_counting.find(head);
    return found == m_counting.end() ? NumberCounting::Mode::On : found->second;
}

const std::vector<NumberValue> *RunData::rowStarts(int head) const
{
    const auto found = m_rowStarts.find(head);
    return found == m_rowStarts.end() ? nullptr : &found->second;
}

FieldNames RunData::fieldNames(bool affix) const
{
    return {m_table ? &m_table->columns : nullptr, m_fileName, m_moment, affix};
}

RunDataRead runDataOf(const Document &doc, const DataSourceSettings &settings, DataTable table,
                      const QString &fileName, const QDateTime &moment)
{
    RunData data(moment);
    if (table.rows.isEmpty())
        return refused(QStringLiteral("%1 has no rows of data").arg(fileName));
    RunRows rows(table.rows.size());
    if (!settings.quantity.isEmpty()) {
        const qsizetype column = table.columns.indexOf(settings.quantity);
        if (column < 0)
            return refused(QStringLiteral("the quantity column %1 is no column of %2")
                               .arg(settings.quantity, fileName));
        const QuantitiesRead quantities = readQuantities(table, column, fileName);
        if (!quantities.rows)
            return refused(quantities.error);
        rows = *quantities.rows;
        if (rows.pageCount() == 0)
            return refused(QStringLiteral("%1, column %2: every quantity is 0, so the run "
                                          "prints nothing")
                               .arg(fileName, settings.quantity));
    }

    const std::vector<int> heads = seriesHeads(doc);
    for (const auto &[index, counting] : settings.counting) {
        if (!doc.isLive(index) || !kindRow(doc.objects[index].kind).numbered ||
            heads[static_cast<std::size_t>(index)] != index ||
            counting.mode == NumberCounting::Mode::On)
            continue;
        data.m_counting[index] = counting.mode;
        if (counting.mode != NumberCounting::Mode::StartColumn)
            continue;
        const qsizetype column = table.columns.indexOf(counting.startColumn);
        if (column < 0)
            return refused(QStringLiteral("the start column %1 of %2 is no column of %3")
                               .arg(counting.startColumn, shownName(doc, index), fileName));
        const NumberSystemRow &system = numberSystemRow(doc.objects[index].format.system);
        std::vector<NumberValue> starts(static_cast<std::size_t>(rows.rowCount()), 0);
        for (qsizetype r = 0; r < rows.rowCount(); ++r) {
            if (rows.quantityOf(r) == 0)
                continue;
            const QString cell = table.valueText(r, column);
            const StartCell start = readStartCell(cell, system.system);
            if (!start.value)
                return refused(QStringLiteral("%1, row %2, column %3: %4 cannot start at "
                                              "\"%5\", which is %6")
                                   .arg(fileName)
                                   .arg(table.sheetRow(r))
                                   .arg(counting.startColumn, shownName(doc, index), cell,
                                        start.tooLarge
                                            ? QStringLiteral("more than a number holds")
                                            : QStringLiteral("no number in %1")
                                                  .arg(QLatin1StringView(system.title))));
            starts[static_cast<std::size_t>(r)] = *start.value;
        }
        data.m_rowStarts[index] = std::move(starts);
    }

    data.m_table = std::move(table);
    data.m_fileName = fileName;
    data.m_rows = std::move(rows);
    const QString problem = fieldProblem(doc, data);
    if (!problem.isEmpty())
        return refused(problem);
    return {std::move(data), {}};
}

RunDataRead readRunData(const Document &doc, const QString &documentPath, const QDateTime &moment,
                        const DataOverride &override, const DataLimits &limits)
{
    if (!doc.data && override.file.isEmpty()) {
        RunData data(moment);
        const QString problem = fieldProblem(doc, data);
        if (!problem.isEmpty())
            return refused(problem);
        return {std::move(data), {}};
    }
    // Another file for this run is read as the document's own would be.
    DataSourceSettings settings = doc.data.value_or(DataSourceSettings{});
    if (override.quantityColumn)
        settings.quantity = *override.quantityColumn;
    const QString path = override.file.isEmpty() ? resolvedDataFile(settings.file, documentPath)
                                                 : absoluteFileName(override.file);
    DataRead read = readDataFile(path, settings.readOptions(), limits);
    if (!read.table)
        return refused(read.error);
    return runDataOf(doc, settings, std::move(*read.table), QFileInfo(path).fileName(), moment);
}
