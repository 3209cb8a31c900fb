#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringList>

#include <optional>

// CSV text as the print log and the manifest write it: fields separated by
// commas, quoted with their quotes doubled, each record ending in CR LF.

enum class CsvQuotes
{
    // A field holding a comma, a quote, a line break or a blank at either
    // end is quoted.
    WhereNeeded,
    // Every field is quoted, so that a spreadsheet takes each for text.
    Always,
};

// One record of `fields`, ending in CR LF.
QByteArray csvRecord(const QStringList &fields, CsvQuotes quotes = CsvQuotes::WhereNeeded);

// The fields of one record, quotes taken off; nothing when it leaves a quote
// open, as a line cut short does.
std::optional<QStringList> csvFields(QByteArrayView record);

// The records of CSV text, records that leave a quote open left out.
QList<QStringList> parseCsv(QByteArrayView text);

// Finds the records of CSV text a piece at a time, so that a long file is
// never held whole. A record ends at a line break outside quotes, and at
// CR LF wherever it stands: a line cut short inside a quoted field ends there
// and takes no later line with it. A record that reaches its end with a
// quote still open after a line break inside it was cut short at that break
// (older logs wrote a field's line breaks as they were): it ends there, and
// the lines after it are read again as records of their own. `onRecord(bytes,
// whole)` is called with each record's bytes, without its line break, and
// whether it closed every quote it opened.
class CsvRecords
{
public:
    template <typename OnRecord> void feed(QByteArrayView piece, OnRecord &&onRecord)
    {
        m_pending.append(piece);
        scan(onRecord);
    }

    template <typename OnRecord> void finish(OnRecord &&onRecord)
    {
        while (!m_pending.isEmpty()) {
            if (m_quoted && m_quotedBreak >= 0) {
                m_scanned = endCutRecord(onRecord, 0);
                m_pending.remove(0, m_scanned);
                m_scanned = 0;
                scan(onRecord);
                continue;
            }
            onRecord(QByteArrayView(m_pending), !m_quoted);
            m_pending.clear();
        }
        m_scanned = 0;
        m_quoted = false;
        m_afterReturn = false;
    }

private:
    template <typename OnRecord> void scan(OnRecord &onRecord)
    {
        const char *data = m_pending.constData();
        qsizetype begin = 0;
        qsizetype i = m_scanned;
        for (; i < m_pending.size(); ++i) {
            const char c = data[i];
            if (m_afterReturn) {
                m_afterReturn = false;
                if (c == '\n') {
                    begin = i + 1;
                    continue;
                }
            }
            if (c == '"') {
                m_quoted = !m_quoted;
            } else if (c == '\r' && i + 1 == m_pending.size() && m_quoted) {
                // Whether it ends the record depends on the next piece.
                break;
            } else if (c == '\n' && m_quoted) {
                if (m_quotedBreak < 0)
                    m_quotedBreak = i;
            } else if ((!m_quoted && (c == '\n' || c == '\r')) ||
                       (c == '\r' && data[i + 1] == '\n')) {
                if (m_quoted && m_quotedBreak >= 0) {
                    // Read again from the line after the cut.
                    begin = endCutRecord(onRecord, begin);
                    i = begin - 1;
                    continue;
                }
                onRecord(QByteArrayView(data + begin, i - begin), !m_quoted);
                m_quoted = false;
                m_quotedBreak = -1;
                m_afterReturn = c == '\r';
                begin = i + 1;
            }
        }
        m_pending.remove(0, begin);
        m_scanned = i - begin;
        if (m_quotedBreak >= 0)
            m_quotedBreak -= begin;
    }

    // Ends the record that starts at `begin` at its first line break inside
    // quotes, as one cut short; where the next record starts.
    template <typename OnRecord> qsizetype endCutRecord(OnRecord &onRecord, qsizetype begin)
    {
        const qsizetype cut = m_quotedBreak;
        onRecord(QByteArrayView(m_pending.constData() + begin, cut - begin), false);
        m_quoted = false;
        m_quotedBreak = -1;
        m_afterReturn = false;
        return cut + 1;
    }

private:
    QByteArray m_pending;
    qsizetype m_scanned = 0; // bytes of m_pending already looked at
    // The first line break inside quotes of the record being read, in m_pending.
    qsizetype m_quotedBreak = -1;
    bool m_quoted = false;
    bool m_afterReturn = false;
};
