#pragma once

#include "data/datasource.h"
#include "datasourcesettings.h"
#include "document.h"
#include "fields.h"
#include "rowcounting.h"

#include <QDateTime>
#include <QString>

#include <map>
#include <optional>
#include <vector>

struct RunDataRead;

// What a run takes from outside the document, once, at its start: its date
// and time, and the rows of its data file with the pages each prints and
// where each number starts on each row. Its memory grows with the data
// file, not with the run. RunTexts reads it.
class RunData
{
public:
    // A run without a data file: its date and time alone.
    explicit RunData(QDateTime moment);

    const QDateTime &moment() const { return m_moment; }
    // The data file's table; null for a run without one.
    const DataTable *table() const { return m_table ? &*m_table : nullptr; }
    // The data file's name, as messages give it.
    const QString &fileName() const { return m_fileName; }
    const RunRows &rows() const { return m_rows; }
    // How the number heading a series (a number alone, or a link's head)
    // counts across rows; every member of its link counts so.
    NumberCounting::Mode countingOf(int head) const;
    // The value series `head` starts at on each row, when it starts where a
    // column says; null otherwise. A row that prints no page starts at 0.
    const std::vector<NumberValue> *rowStarts(int head) const;
    // The names a text's fields may use: a text object's, or with `affix` a
    // number's prefix and suffix.
    FieldNames fieldNames(bool affix) const;

private:
    friend RunDataRead runDataOf(const Document &doc, const DataSourceSettings &settings,
                                 DataTable table, const QString &fileName, const QDateTime &moment);

    QDateTime m_moment;
    std::optional<DataTable> m_table;
    QString m_fileName;
    RunRows m_rows;
    // By head; a head not here counts on.
    std::map<int, NumberCounting::Mode> m_counting;
    std::map<int, std::vector<NumberValue>> m_rowStarts;
};

// The run's data, or why the run cannot print, in one message that names
// the file, the row and the column where they are known.
struct RunDataRead
{
    std::optional<RunData> data;
    QString error;
};

// What paginette-print's --data FILE and --quantity-column NAME set for one
// run in place of the document's own.
struct DataOverride
{
    // Relative to the current folder; empty: the document's file.
    QString file;
    std::optional<QString> quantityColumn;
};

// The data of a run of `doc`, which was read from `documentPath` (empty
// for none), starting at `moment`: its data file read once (or the one
// `override` names) and checked whole before anything prints. Refused: a
// file that cannot be read; a quantity column or a start column it does
// not have; a quantity that is no whole number, a negative one, quantities
// that come to more than maxRunPages or to none; a start that is no number
// in its number's system; a field no column names, a date or time field
// whose format or offset cannot be, and a text that its fields make longer
// than maxFilledTextLength. A document without a data file gets its date
// and time, its date and time fields checked.
RunDataRead readRunData(const Document &doc, const QString &documentPath, const QDateTime &moment,
                        const DataOverride &override = {}, const DataLimits &limits = {});

// The same from a table already read from the file called `fileName`,
// read as `settings` say (the document's own, or paginette-print's).
RunDataRead runDataOf(const Document &doc, const DataSourceSettings &settings, DataTable table,
                      const QString &fileName, const QDateTime &moment);
