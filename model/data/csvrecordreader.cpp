#include "data/csvrecordreader.h"

CsvRecordReader::CsvRecordReader(QStringView text, const CsvDialect &dialect)
    : m_at(text.data()), m_end(text.data() + text.size()), m_dialect(dialect)
{
}

CsvRecordReader::Read CsvRecordReader::readRecord(QStringList &cells)
{
    cells.clear();
    // Where the cells past the limit are read, each dropped for the next.
    QString overLimit;
    const auto nextCell = [&]() -> QString & {
        if (cells.size() <= m_dialect.cellLimit)
            return cells.emplace_back();
        overLimit.clear();
        return overLimit;
    };
    const auto whole = [&] {
        return cells.size() > m_dialect.cellLimit ? Read::TooManyCells : Read::Whole;
    };
    for (;;) {
        QString &cell = nextCell();
        if (m_at < m_end && *m_at == u'"') {
            if (!readQuoted(cell))
                return Read::QuoteOpen;
        } else {
            const QChar *start = m_at;
            skipToCellEnd();
            const QStringView text(start, m_at);
            if (text.contains(u'"'))
                ++m_strayQuotes;
            if (&cell != &overLimit)
                cell = text.toString();
        }
        if (m_at == m_end)
            return whole();
        if (*m_at == m_dialect.separator) {
            ++m_at;
            if (m_at == m_end) {
                nextCell();
                return whole();
            }
            continue;
        }
        skipLineEnd();
        return whole();
    }
}

bool CsvRecordReader::isCellEnd(QChar c) const
{
    return c == m_dialect.separator || c == u'\n' || c == u'\r';
}

void CsvRecordReader::skipToCellEnd()
{
    while (m_at < m_end && !isCellEnd(*m_at))
        ++m_at;
}

void CsvRecordReader::skipLineEnd()
{
    if (*m_at == u'\r' && m_at + 1 < m_end && m_at[1] == u'\n')
        ++m_at;
    ++m_at;
}

// Reads the quoted cell m_at is at, and what follows its closing quote up to
// the cell's end, as spreadsheets do.
bool CsvRecordReader::readQuoted(QString &cell)
{
    ++m_at;
    for (;;) {
        const QChar *start = m_at;
        while (m_at < m_end && *m_at != u'"' && !(m_dialect.lineBreaksAsNewline && *m_at == u'\r'))
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
