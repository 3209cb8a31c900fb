#pragma once

#include "document.h"
#include "numbering.h"
#include "run/printplan.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

// The values one number printed in a run: first, first + step, ... count
// values, wrapping in 64 bits. A repeat prints each of them on several
// pages; the values are what a reprint is checked against.
using PrintedValues = ValueSpan;

// The least and greatest value of a run of values; every value where they
// wrap past the ends of 64 bits.
std::pair<NumberValue, NumberValue> valueRange(const PrintedValues &values);

// Whether two runs of values have a value in common.
bool sharesAValue(const PrintedValues &a, const PrintedValues &b);
// Whether any span of `a` has a value in common with any of `b`: each span
// of `a` meets only the spans of `b` whose range it reaches, found among them
// sorted once, so that two data runs of many rows are compared in n log n.
bool sharesAValue(const QList<PrintedValues> &a, const QList<PrintedValues> &b);

// The values number `index` prints on the plan's pages: one span, or on a
// data run one for each run of rows that continue one another.
QList<PrintedValues> valuesPrinted(const RunTexts &texts, int index, const PrintPlan &plan);

// Whether number `index` goes in a run's log line when its side prints, and
// the name it goes under: a number that prints its own values under its
// name; a stub ("Same as") under its shown name, with its source's values,
// so that a pass of the side it stands on is checked against what that side
// printed before. Empty for an object the log leaves out.
std::optional<QString> loggedName(const Document &doc, int index);

// One completed run as the print log keeps it.
struct PrintLogEntry
{
    // What a number printed on the run's first and last page, and every
    // value it printed, in spans; lines of older versions have no values.
    struct NumberSpan
    {
        QString name;
        QString first;
        QString last;
        QList<PrintedValues> values;

        bool operator==(const NumberSpan &) const = default;
    };

    QDateTime when;
    QString document; // its path
    QString printer;  // a queue, or the file a PDF went to
    std::int32_t firstPage = 1;
    std::int32_t lastPage = 1;
    int copies = 1;
    QList<NumberSpan> numbers; // every number object, in table order
    // Printed while the shared print log could not be reached, which gets
    // the run later.
    bool notShared = false;
    // Of a run the shared log holds: the machine that printed it, and whether
    // it never ended (a machine that stopped), its values counted as printed.
    QString machine;
    bool unfinished = false;
    // The date and time the run's fields showed, taken when it started, so
    // that a reprint can show them again; none in lines of older versions.
    std::optional<QDateTime> runDate;

    bool operator==(const PrintLogEntry &) const = default;
};

// The entry of a run of `plan` with `texts`; a run with a data file, or
// whose texts show its date or time, keeps its date.
PrintLogEntry logEntry(const RunTexts &texts, const PrintPlan &plan, const QString &document,
                       const QString &printer, const QDateTime &when);
// The same for a run of the document's Pages, without data.
inline PrintLogEntry logEntry(const Document &doc, const PrintPlan &plan, const QString &document,
                              const QString &printer, const QDateTime &when)
{
    return logEntry(RunTexts(doc), plan, document, printer, when);
}

// The fields of the log's header and of an entry's line: date and time,
// document, printer, first and last page, copies, then name, first and last
// value of each number, the values every number printed, and last the
// run's date where it has one.
QStringList logHeader();
QStringList logFields(const PrintLogEntry &entry);
// The entry a line of the log holds, in this version's layout or in the
// layout of older ones (without the values); nothing for a line that is
// neither, such as the header.
std::optional<PrintLogEntry> entryFromFields(const QStringList &fields);

// One line of the log: a CSV record of `fields`, quoted where needed. A
// field that a spreadsheet would take for a formula (it begins with =, +, -,
// @, a tab or a carriage return), or that begins with the quote that marks
// one, gets a leading ' so that it is only ever shown. A field holding a
// line break is quoted and begins with '\, its backslashes doubled and its
// breaks written \n and \r, so that a line of the log is one line of the
// file and a line cut short takes no other with it.
QByteArray logRecord(const QStringList &fields);
// The records of log text, escapes and formula marks taken off; a line that
// leaves a quote open is skipped. Lines of older versions, whose fields hold
// their line breaks as they were, read as they were written.
QList<QStringList> parseLog(QByteArrayView text);

// The name the print log keeps a document's runs under: its path with every
// symbolic link resolved, so that the same document reached through a linked
// folder is the same document.
QString logDocumentKey(const QString &path);

// paginette/print-log.csv in the user's data folder, which the program and
// paginette-print share.
QString defaultPrintLogPath();

// What became of a run's line in the print log.
struct LoggedLine
{
    // Why the line is neither in the log nor in its side file, naming the
    // log and the system's reason: the run is not recorded anywhere.
    QString error;
    // What the user should know of a line that waits in the side file, or of
    // a log left alone (not a regular file), the first time only while the
    // program runs.
    QString note;

    bool operator==(const LoggedLine &) const = default;
};

// The print log: a CSV file that gains a line for every completed run.
class PrintLog
{
public:
    // Asked now and then while another run holds the log; false gives up.
    using KeepWaiting = std::function<bool()>;

    explicit PrintLog(QString path = defaultPrintLogPath());

    // Appends the entry's line in place under the log's lock, and a header
    // when the file is new, so that it costs the same however long the log
    // is, and has it on disk before it returns. A log that is not a regular
    // file (a link to one is; a link to /dev/null switches the log off) is
    // left alone. When the lock cannot be had within 10 s, or `keepWaiting`
    // gives up, the line goes to a side file beside the log, which the next
    // append adds to the log before its own line.
    LoggedLine append(const PrintLogEntry &entry, const KeepWaiting &keepWaiting = {});
    // What a read of the log found, and an error text that tells of a log
    // that could not be read (nothing found) or of lines skipped.
    template <typename Item> struct Read
    {
        QList<Item> items;
        QString error;
    };
    // The records of the log and of its side file, the log's header first;
    // none when there is no log yet. Lines that cannot be read are skipped
    // and counted in the error text.
    Read<QStringList> read() const;
    // The entries of runs printed from the document logged under `key`
    // (logDocumentKey), oldest first, read a line at a time.
    Read<PrintLogEntry> entriesOf(const QString &key) const;

    const QString &path() const { return m_path; }

private:
    // Where lines wait while another program holds the log.
    QString sidePath() const;
    LoggedLine write(const PrintLogEntry &entry, const KeepWaiting &keepWaiting) const;

    QString m_path;
};
