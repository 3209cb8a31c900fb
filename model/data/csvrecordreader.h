#pragma once

#include "data/datalimits.h"

#include <QChar>
#include <QStringList>
#include <QStringView>

// How a kind of delimited text is read.
struct CsvDialect
{
    QChar separator = u',';
    // The most cells a record may have. Past them the record is read over to
    // its end and its cells are not built: a line of endless separators
    // costs no memory.
    qsizetype cellLimit = DataLimits().columns;
    // A quoted cell's line breaks (CR LF, CR, LF) read as "\n", as a
    // spreadsheet reads them; else kept as written.
    bool lineBreaksAsNewline = true;
};

// Reads delimited text a record at a time, as spreadsheets write it: a cell
// in double quotes may hold separators, line breaks and doubled quotes (each
// read as one); text after its closing quote stays in the cell; a record
// ends with CR LF, LF or CR.
class CsvRecordReader
{
public:
    enum class Read
    {
        Whole,
        // A quoted cell is still open at the end of the text.
        QuoteOpen,
        // More cells than the dialect's limit: the first cellLimit + 1 kept.
        TooManyCells
    };

    CsvRecordReader(QStringView text, const CsvDialect &dialect);

    bool atEnd() const { return m_at == m_end; }
    // Cells read so far with a quote inside, or text after their closing
    // quote: what splitting by the wrong separator makes of quoted cells.
    qsizetype strayQuotes() const { return m_strayQuotes; }

    // Reads the next record into `cells`.
    Read readRecord(QStringList &cells);

private:
    bool isCellEnd(QChar c) const;
    void skipToCellEnd();
    void skipLineEnd();
    bool readQuoted(QString &cell);

    const QChar *m_at;
    const QChar *m_end;
    CsvDialect m_dialect;
    qsizetype m_strayQuotes = 0;
};
