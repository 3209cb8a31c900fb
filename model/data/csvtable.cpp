#include "data/csvtable.h"

#include "data/csvrecordreader.h"

#include <QHash>

#include <algorithm>
#include <iterator>

namespace {

constexpr qsizetype sampledRows = 20;

// The separator a first line "sep=X" names, and the text after that line.
std::pair<QChar, QStringView> separatorLine(QStringView text)
{
    static const QLatin1StringView key("sep=");
    if (!text.startsWith(key, Qt::CaseInsensitive) || text.size() < key.size() + 1)
        return {QChar(), text};
    QStringView rest = text.sliced(key.size() + 1);
    if (rest.startsWith(u"\r\n"))
        rest = rest.sliced(2);
    else if (rest.startsWith(u'\n') || rest.startsWith(u'\r'))
        rest = rest.sliced(1);
    else if (!rest.isEmpty())
        return {QChar(), text};
    return {text[key.size()], rest};
}

struct SeparatorFit
{
    // The share of the sampled rows with the usual count, and that count.
    double consistency = 0;
    qsizetype cells = 0;
    qsizetype strayQuotes = 0;
    // Whether it splits any row: rows that leave off their empty cells may
    // make one cell the usual count.
    bool splits = false;

    bool operator>(const SeparatorFit &other) const
    {
        // A separator that cuts through quoted cells is the wrong one,
        // however evenly it splits a few rows.
        if (strayQuotes != other.strayQuotes)
            return strayQuotes < other.strayQuotes;
        if (consistency != other.consistency)
            return consistency > other.consistency;
        return cells > other.cells;
    }
};

bool isOtherSeparator(QChar c)
{
    return c != u',' && std::find(std::begin(csvSeparators), std::end(csvSeparators),
                                  c.unicode()) != std::end(csvSeparators);
}

// Whether `text` is a number's digits, blanks around them, a sign before
// them when `withSign`.
bool isDigits(QStringView text, bool withSign)
{
    text = text.trimmed();
    if (withSign && (text.startsWith(u'-') || text.startsWith(u'+')))
        text = text.sliced(1);
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

// Whether the comma between cells `i` and `i + 1` of a row split at commas
// stands inside a number, "12,50": digits on both sides, and beyond them
// another separator or the line's end.
bool isDecimalComma(const QStringList &cells, qsizetype i)
{
    const QStringView before = cells[i];
    const QStringView after = cells[i + 1];
    const auto lastOther = std::find_if(before.rbegin(), before.rend(), isOtherSeparator);
    const auto firstOther = std::find_if(after.begin(), after.end(), isOtherSeparator);
    if ((lastOther == before.rend() && i > 0) ||
        (firstOther == after.end() && i + 2 < cells.size()))
        return false;
    return isDigits(before.sliced(before.rend() - lastOther), true) &&
           isDigits(after.first(firstOther - after.begin()), false);
}

// The cells a row split at `separator` counts as: a decimal comma makes none.
qsizetype cellCount(const QStringList &cells, QChar separator)
{
    qsizetype count = cells.size();
    if (separator == u',') {
        for (qsizetype i = 0; i + 1 < cells.size(); ++i)
            count -= isDecimalComma(cells, i);
    }
    return count;
}

SeparatorFit fitOf(QStringView text, QChar separator)
{
    CsvRecordReader reader(text, {separator});
    QHash<qsizetype, qsizetype> rowsWithCount;
    qsizetype rows = 0;
    QStringList cells;
    while (rows < sampledRows && !reader.atEnd()) {
        reader.readRecord(cells);
        // Blank lines say nothing of the separator.
        if (cells.size() == 1 && cells.front().isEmpty())
            continue;
        ++rowsWithCount[cellCount(cells, separator)];
        ++rows;
    }
    const bool splits = std::any_of(rowsWithCount.keyBegin(), rowsWithCount.keyEnd(),
                                    [](qsizetype count) { return count > 1; });
    SeparatorFit fit;
    for (auto it = rowsWithCount.cbegin(); it != rowsWithCount.cend(); ++it) {
        const SeparatorFit candidate{double(it.value()) / double(rows), it.key(), 0, splits};
        if (candidate > fit)
            fit = candidate;
    }
    fit.strayQuotes = reader.strayQuotes();
    return fit;
}

} // namespace

QChar detectSeparator(QStringView text)
{
    QChar best;
    SeparatorFit bestFit;
    for (const char16_t separator : csvSeparators) {
        const SeparatorFit fit = fitOf(text, QChar(separator));
        if (fit.splits && fit > bestFit) {
            best = QChar(separator);
            bestFit = fit;
        }
    }
    return best;
}

CellGrid readCsv(QStringView text, QChar separator, const DataLimits &limits)
{
    const auto [named, rest] = separatorLine(text);
    if (separator.isNull())
        separator = named;
    if (separator.isNull())
        separator = detectSeparator(rest);
    if (separator.isNull())
        separator = u',';

    CellGrid grid;
    grid.separator = separator;
    CsvRecordReader reader(rest, {separator, limits.columns});
    qsizetype cells = 0;
    QStringList row;
    // The cells hold no more than the text.
    grid.rows.reserveCharacters(rest.size());
    while (!reader.atEnd()) {
        const qsizetype rowNumber = grid.rows.size() + 1;
        if (rowNumber % 1024 == 0 && !limits.goesOn()) {
            grid.problem = {DataLimits::stoppedText(), rowNumber};
            return grid;
        }
        const CsvRecordReader::Read read = reader.readRecord(row);
        if (read == CsvRecordReader::Read::QuoteOpen) {
            grid.problem = {QStringLiteral("a quoted cell is not closed by the end of the file"),
                            rowNumber};
            return grid;
        }
        if (grid.rows.size() == limits.rows) {
            grid.problem = {QStringLiteral("more than %1 rows").arg(limits.rows), rowNumber};
            return grid;
        }
        if (read == CsvRecordReader::Read::TooManyCells) {
            grid.problem = {QStringLiteral("more than %1 columns").arg(limits.columns), rowNumber};
            return grid;
        }
        cells += row.size();
        if (cells > limits.cells) {
            grid.problem = {QStringLiteral("more than %1 cells").arg(limits.cells), rowNumber};
            return grid;
        }
        grid.rows.append(row);
    }
    return grid;
}
