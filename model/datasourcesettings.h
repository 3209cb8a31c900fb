#pragma once

#include "data/datasource.h"
#include "file/unknownkeys.h"

#include <QString>

#include <cstdint>
#include <map>
#include <optional>

// How a number counts from one data row to the next.
struct NumberCounting
{
    enum class Mode : std::uint8_t
    {
        // On through the rows: row 2 starts where row 1 ended, page p of the
        // run showing what it shows without data.
        On,
        // From the number's Start again at each row.
        Restart,
        // From the value the row has in `startColumn`.
        StartColumn,
    };

    // Initialized, so that designated initializers may leave any out.
    Mode mode = Mode::On;
    QString startColumn{};
    // What the file said of a start column that this version does not know.
    UnknownKeys unknownKeys{};

    bool operator==(const NumberCounting &) const = default;
};

// The data file a document's runs print from, with the choices made when it
// was chosen. The file is read again at each run: a job's file changes
// between runs. Every member is initialized, so that designated
// initializers may leave any out.
struct DataSourceSettings
{
    // As stored: relative to the document's folder, unless the user chose
    // an absolute path.
    QString file{};
    bool header = true;
    // Empty: found from the file.
    QString separator{};
    QString encoding = QStringLiteral("auto");
    // A workbook's sheet; empty: the first.
    QString sheet{};
    // The column that says how many pages (or labels) each row prints;
    // empty: one each.
    QString quantity{};
    // How each number counts across rows, by its table index; a number not
    // named counts on. A member of a link counts as its head does.
    std::map<std::int32_t, NumberCounting> counting{};
    UnknownKeys unknownKeys{};

    bool operator==(const DataSourceSettings &) const = default;

    DataSourceOptions readOptions() const;
};

// The file `stored` names for a document at `documentPath`: relative paths
// from the document's folder, or from the current folder for a document
// that has none (untitled, or read from a stream).
QString resolvedDataFile(const QString &stored, const QString &documentPath);
// The data file `settings` name for the document at `documentPath` ("-" for
// one read from a stream, whose folder is the current one) when it lies
// outside the document's folder and those below it, links followed: a
// document that came from elsewhere reads the files it came with, and any
// other only when the user says so. None for an untitled document, whose
// file the user chose.
std::optional<QString> dataFileOutside(const std::optional<DataSourceSettings> &settings,
                                       const QString &documentPath);
// How a document at `documentPath` stores the file at `path`: relative to
// its folder (to the current one when it has none).
QString relativeDataFile(const QString &path, const QString &documentPath);

// Follows the removal of object `index` from the table: its counting goes,
// the numbers above it move down one.
void removeCounting(DataSourceSettings &settings, std::int32_t index);
