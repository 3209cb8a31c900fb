#pragma once

#include "document.h"
#include "printplan.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// One completed run as the print log keeps it.
struct PrintLogEntry
{
    // The values a number printed on the run's first and last page.
    struct NumberSpan
    {
        QString name;
        QString first;
        QString last;

        bool operator==(const NumberSpan &) const = default;
    };

    QDateTime when;
    QString document; // its path
    QString printer;  // a queue, or the file a PDF went to
    std::int32_t firstPage = 1;
    std::int32_t lastPage = 1;
    int copies = 1;
    QList<NumberSpan> numbers; // every number object, in table order

    bool operator==(const PrintLogEntry &) const = default;
};

// The entry of a run of `plan` from `doc`.
PrintLogEntry logEntry(const Document &doc, const PrintPlan &plan, const QString &document,
                       const QString &printer, const QDateTime &when);

// The fields of the log's header and of an entry's line: date and time,
// document, printer, first and last page, copies, then name, first and last
// value of each number.
QStringList logHeader();
QStringList logFields(const PrintLogEntry &entry);

// One CSV record ending in CR LF: a field holding a comma, a quote, a line
// break or a blank at either end is quoted, its quotes doubled.
QByteArray csvRecord(const QStringList &fields);
// The records of a CSV text, quoted fields and line breaks in them read.
QList<QStringList> parseCsv(const QByteArray &text);

// paginette/print-log.csv in the user's data folder, which the program and
// paginette-print share.
QString defaultPrintLogPath();

// The print log: a CSV file that gains a line for every completed run.
class PrintLog
{
public:
    explicit PrintLog(QString path = defaultPrintLogPath());

    // Adds the entry's line, and a header when the file is new. The file is
    // written whole and then put in place, so that a failed write leaves
    // the log as it was. Returns why it could not be written the first
    // time that happens, and an empty text ever after: a log is reported
    // once and never stops a print.
    QString append(const PrintLogEntry &entry);
    // The records of the log, its header first; empty with an error text
    // when it cannot be read, empty alone when there is no log yet.
    QList<QStringList> read(QString *error = nullptr) const;

    const QString &path() const { return m_path; }

private:
    QString write(const PrintLogEntry &entry) const;

    QString m_path;
    bool m_failureReported = false;
};
