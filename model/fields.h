#pragma once

#include "data/cellrows.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

struct FieldRead;

// Fields: names in braces that a run fills in, in a text object's text and
// a number's prefix and suffix.
//
//   {Column name}   the data row's value in that column
//   {row}           the data row's number, from 1, counting the file's rows
//   {date}          the run's date, yyyy-MM-dd; {date:dd.MM.yyyy} in a Qt
//                   date format; {date+30d}, {date-2w}, {date+6m}, {date+1y}
//                   moved by days, weeks, months or years; both, as
//                   {date+30d:dd.MM.yyyy}
//   {time}          the run's time, HH:mm; {time:FORMAT} in a Qt time format
//   {page} {pages} {last}   in a number's prefix and suffix only: the page
//                   of the run, its pages, and the number as the last page
//                   prints it
//
// A field is a brace, a name without braces and a closing brace. The names
// above win over a column of the same name. Without a data file a name
// that is no field stays as it stands, braces and all, as texts have
// always printed; with one, it is an error before the run. Outside a run
// (no date given) date and time fields stay as they stand too.

// A date or time format is at most this long.
inline constexpr qsizetype maxFieldFormatLength = 64;
// A date moves by at most this many days, weeks, months or years.
inline constexpr int maxDateOffset = 9999;
// A text with its fields filled in is at most this long: a spreadsheet
// cell's longest.
inline constexpr qsizetype maxFilledTextLength = 32767;

// What a text's fields may name.
struct FieldNames
{
    // The data file's columns and its name as messages give it; none: the
    // run has no data file.
    const QStringList *columns = nullptr;
    QString fileName;
    // The run's date and time, taken once at its start; none outside a run.
    std::optional<QDateTime> moment;
    // {page}, {pages} and {last}: a number's prefix and suffix.
    bool pagePlaceholders = false;
};

// What the fields of one page show.
struct FieldValues
{
    std::int32_t page = 1;
    std::int32_t pages = 1;
    // The number part of the last page's text.
    QStringView last;
    // The data row's values, one per column, and its number from 1.
    CellRows::Row row{};
    qsizetype rowNumber = 0;
};

// A text with its fields found once, filled in page by page. Date and time
// fields are filled in when it is read: the run's moment does not change.
class FieldText
{
public:
    FieldText() = default;

    // Appends the text with its fields filled in from `values`.
    void appendTo(QString &out, const FieldValues &values) const;
    QString filled(const FieldValues &values) const;
    // Whether it shows anything of the page or the row; else it is always
    // fixedText().
    bool varies() const { return m_varies; }
    bool usesRow() const { return m_usesRow; }
    bool isEmpty() const { return m_pieces.empty(); }
    QString fixedText() const;
    // How long it is on `row`, every page field counted at its widest.
    qsizetype longestOnRow(CellRows::Row row, qsizetype lastLength) const;

private:
    friend FieldRead readFields(QStringView text, const FieldNames &names, const QString &where);

    enum class Kind : std::uint8_t
    {
        Literal,
        Column,
        Row,
        Page,
        Pages,
        Last,
    };
    struct Piece
    {
        Kind kind = Kind::Literal;
        QString text;
        qsizetype column = 0;
    };

    void append(Kind kind, QStringView text = {}, qsizetype column = 0);

    std::vector<Piece> m_pieces;
    bool m_varies = false;
    bool m_usesRow = false;
};

// A text read for its fields, and why it cannot be printed: "`{Nmae}` in
// txt0 is no column of orders.csv", `where` naming the object, for the
// first field that cannot be filled in (which the text keeps as it stands).
struct FieldRead
{
    FieldText text;
    QString problem;
};
FieldRead readFields(QStringView text, const FieldNames &names, const QString &where);
