#pragma once

#include <QString>
#include <QStringView>

#include <memory>

// A number's text as a spreadsheet shows it. A spreadsheet keeps 15
// significant digits; past them a stored double holds only the noise of
// binary fractions (0.30000000000000004), which no cell shows.

// The number as the General format shows it: the shortest text that reads
// back as the value to 15 significant digits; whole numbers below 10^15 in
// full, others past 15 digits or below 10^-4 with an exponent ("1.5E-07").
QString generalNumber(double value);

// The format code of an Office Open XML workbook's built-in number format
// `id`, as the spreadsheet shows it in English; empty for an id that has
// none (the text and General formats among them).
QString builtInNumberFormat(int id);

// An ISO 8601 date, or date and time ("2026-01-31T14:30:00"), as a cell
// shows it: "2026-01-31", with " 14:30" (and ":ss" where there are
// seconds) when the time is not midnight. The text itself when it is none.
QString shownIsoDateTime(QStringView iso);

// A spreadsheet's number format, its code read once, showing numbers as the
// spreadsheet does: whole numbers, fixed decimals, thousands separators, per
// cent, exponents and text around them; a date or time (a day count from
// 1899-12-30, or 1904-01-01 in the 1904 system) as ISO "yyyy-MM-dd",
// "HH:mm", "HH:mm:ss" or a date and a time. What the code asks for beyond
// these (fractions, conditions, digits mixed with text) shows as General.
class CellNumberFormat
{
public:
    // General when `code` is empty.
    explicit CellNumberFormat(QStringView code = {}, bool date1904 = false);

    QString shown(double value) const;
    // Whether it shows values as dates or times: such a cell holds a count
    // of days, no number the user typed.
    bool showsDates() const;

private:
    struct Sections;
    std::shared_ptr<const Sections> m_sections;
    bool m_date1904 = false;
};
