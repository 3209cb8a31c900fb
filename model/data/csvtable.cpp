#include "data/csvtable.h"

#include <QHash>

#include <algorithm>

namespace {

constexpr qsizetype sampledRows = 20;

// Reads one row at a time.
class CsvScanner
{
public:
    CsvScanner(QStringView text, QChar separator)
        : m_at(text.data()), m_end(text.data() + text.size()), m_separator(separator.unicode())
    {
    }

    bool atEnd() const { return m_at == m_end; }
    // Cells read so far with a quote inside, or text after their closing
    // quote: what splitting by the wrong separator makes of quoted cells.
    qsizetype strayQuotes() const { return m_strayQuotes; }

    // Reads the next row into `cells`; false when a quoted cell is still
    // open at the end of the text.
    bool readRow(QStringList &cells)
    {
        cells.clear();
        for (;;) {
            if (m_at < m_end && *m_at == u'"') {
                if (!readQuoted(cells.emplace_back()))
                    return false;
            } else {
                const QChar *start = m_at;
                skipToCellEnd();
                const QStringView cell(start, m_at);
                if (cell.contains(u'"'))
                    ++m_strayQuotes;
                cells.append(cell.toString());
            }
            if (m_at == m_end)
                return true;
            if (m_at->unicode() == m_separator) {
                ++m_at;
                if (m_at == m_end) {
                    cells.emplace_back();
                    return true;
                }
                continue;
            }
            skipLineEnd();
            return true;
        }
    }

private:
    bool isCellEnd(QChar c) const { return c.unicode() == m_separator || c == u'\n' || c == u'\r'; }

    void skipToCellEnd()
    {
        while (m_at < m_end && !isCellEnd(*m_at))
            ++m_at;
    }

    void skipLineEnd()
    {
        if (*m_at == u'\r' && m_at + 1 < m_end && m_at[1] == u'\n')
            ++m_at;
        ++m_at;
    }

    // Reads the quoted cell m_at is at, and what follows its closing quote
    // up to the cell's end, as spreadsheets do.
    bool readQuoted(QString &cell)
    {
        ++m_at;
        for (;;) {
            const QChar *start = m_at;
            while (m_at < m_end && *m_at != u'"' && *m_at != u'\r')
                ++m_at;
            cell.append(QStringView(start, m_at));
            if (m_at == m_end)
                return false;
            if (*m_at == u'\r') {
                cell.append(u'\n');
                skipLineEnd();
            } else if (m_at + 1 < m_end && m_at[1] == u'"') {
                cell.append(u'"');
                m_at += 2;
            } else {
                ++m_at;
                break;
            }
        }
        const QChar *rest = m_at;
        skipToCellEnd();
        if (rest != m_at)
            ++m_strayQuotes;
        cell.append(QStringView(rest, m_at));
        return true;
    }

    const QChar *m_at;
    const QChar *m_end;
    char16_t m_separator;
    qsizetype m_strayQuotes = 0;
};

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

SeparatorFit fitOf(QStringView text, QChar separator)
{
    CsvScanner scanner(text, separator);
    QHash<qsizetype, qsizetype> rowsWithCount;
    qsizetype rows = 0;
    QStringList cells;
    while (rows < sampledRows && !scanner.atEnd()) {
        scanner.readRow(cells);
        // Blank lines say nothing of the separator.
        if (cells.size() == 1 && cells.front().isEmpty())
            continue;
        ++rowsWithCount[cells.size()];
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
    fit.strayQuotes = scanner.strayQuotes();
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

CellGrid readCsv(QStringView text, QChar separator, QChar fallback, const DataLimits &limits)
{
    const auto [named, rest] = separatorLine(text);
    if (separator.isNull())
        separator = named;
    if (separator.isNull())
        separator = detectSeparator(rest);
    if (separator.isNull())
        separator = fallback;

    CellGrid grid;
    grid.separator = separator;
    CsvScanner scanner(rest, separator);
    qsizetype cells = 0;
    QStringList row;
    while (!scanner.atEnd()) {
        const qsizetype rowNumber = grid.rows.size() + 1;
        if (!scanner.readRow(row)) {
            grid.problem = {QStringLiteral("a quoted cell is not closed by the end of the file"),
                            rowNumber};
            return grid;
        }
        if (grid.rows.size() == limits.rows) {
            grid.problem = {QStringLiteral("more than %1 rows").arg(limits.rows), rowNumber};
            return grid;
        }
        if (row.size() > limits.columns) {
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
