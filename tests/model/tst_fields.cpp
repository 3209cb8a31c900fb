#include "fields.h"

#include <QTest>

namespace {

const QStringList columns{"Name", "City", "date-of-birth", "page"};
const CellRows table = [] {
    CellRows rows;
    rows.append({"Ada", "Paris", "1815-12-10", "p. 4"});
    return rows;
}();
const CellRows::Row row = table[0];
const QDateTime runStart(QDate(2026, 1, 31), QTime(14, 5, 9));

enum class Names
{
    // A run with a data file, a text object's fields.
    Data,
    // The same in a number's prefix or suffix.
    DataAffix,
    // A run without a data file.
    NoData,
    NoDataAffix,
    // Outside a run: no date either.
    NoRun,
    NoRunAffix,
};

FieldNames namesFor(Names names)
{
    const bool data = names == Names::Data || names == Names::DataAffix;
    const bool affix =
        names == Names::DataAffix || names == Names::NoDataAffix || names == Names::NoRunAffix;
    const bool run = names != Names::NoRun && names != Names::NoRunAffix;
    return {data ? &columns : nullptr, QStringLiteral("orders.csv"),
            run ? std::optional<QDateTime>(runStart) : std::nullopt, affix};
}

} // namespace

Q_DECLARE_METATYPE(Names)

class FieldsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fieldsAreFilledIn_data();
    void fieldsAreFilledIn();
    void fieldsThatCannotBeFilledIn_data();
    void fieldsThatCannotBeFilledIn();
};

void FieldsTest::fieldsAreFilledIn_data()
{
    QTest::addColumn<Names>("names");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("filled");

    QTest::newRow("a column") << Names::Data << "{Name}"
                              << "Ada";
    QTest::newRow("columns in text") << Names::Data << "Dear {Name} of {City}!"
                                     << "Dear Ada of Paris!";
    QTest::newRow("the row") << Names::Data << "row {row}"
                             << "row 12";
    QTest::newRow("a column named like no date") << Names::Data << "{date-of-birth}"
                                                 << "1815-12-10";
    QTest::newRow("a column called page, in a text") << Names::Data << "{page}"
                                                     << "p. 4";
    QTest::newRow("the page, in an affix") << Names::DataAffix << "{page}"
                                           << "7";
    QTest::newRow("a brace inside") << Names::Data << "{{Name}}"
                                    << "{Ada}";
    QTest::newRow("a brace left open") << Names::Data << "{Name"
                                       << "{Name";
    QTest::newRow("the date") << Names::Data << "{date}"
                              << "2026-01-31";
    QTest::newRow("a date format") << Names::Data << "{date:dd.MM.yyyy}"
                                   << "31.01.2026";
    QTest::newRow("days on") << Names::Data << "{date+30d}"
                             << "2026-03-02";
    QTest::newRow("days on, in a format") << Names::Data << "{date+30d:dd.MM.yyyy}"
                                          << "02.03.2026";
    QTest::newRow("weeks on") << Names::Data << "{date+2w}"
                              << "2026-02-14";
    QTest::newRow("months on, to a shorter month") << Names::Data << "{date+1m}"
                                                   << "2026-02-28";
    QTest::newRow("six months on") << Names::Data << "{date+6m}"
                                   << "2026-07-31";
    QTest::newRow("a year on") << Names::Data << "{date+1y}"
                               << "2027-01-31";
    QTest::newRow("days back") << Names::Data << "{date-31d}"
                               << "2025-12-31";
    QTest::newRow("a year back") << Names::Data << "{date-1y:yyyy}"
                                 << "2025";
    QTest::newRow("words in quotes") << Names::Data << "{date:'week of' d MMM}"
                                     << "week of 31 Jan";
    QTest::newRow("the time") << Names::Data << "{time}"
                              << "14:05";
    QTest::newRow("a time format") << Names::Data << "{time:HH.mm.ss}"
                                   << "14.05.09";
    QTest::newRow("page, pages and last") << Names::DataAffix << "{page}/{pages} to {last}"
                                          << "7/40 to 0040";
    QTest::newRow("the date without data") << Names::NoData << "{date:d.M.yy}"
                                           << "31.1.26";
    QTest::newRow("other names stay without data")
        << Names::NoData << "{Name} {row} {x} {page} {date+30} {}"
        << "{Name} {row} {x} {page} {date+30} {}";
    QTest::newRow("the page without data, in an affix") << Names::NoDataAffix << "{page}{Name}"
                                                        << "7{Name}";
    QTest::newRow("the date stays outside a run") << Names::NoRun << "{date} {time}"
                                                  << "{date} {time}";
    QTest::newRow("placeholders outside a run, in an affix")
        << Names::NoRunAffix << "{page}/{pages} {date}"
        << "7/40 {date}";
}

void FieldsTest::fieldsAreFilledIn()
{
    QFETCH(Names, names);
    QFETCH(QString, text);
    QFETCH(QString, filled);
    const FieldRead read = readFields(text, namesFor(names), QStringLiteral("txt0"));
    QCOMPARE(read.problem, QString());
    const FieldValues values{7, 40, u"0040", row, 12};
    QCOMPARE(read.text.filled(values), filled);
    QCOMPARE(read.text.longestOnRow(row, 4) >= filled.size(), true);
    // A text whose fields no page changes is known before the run.
    if (!read.text.varies())
        QCOMPARE(read.text.fixedText(), filled);
}

void FieldsTest::fieldsThatCannotBeFilledIn_data()
{
    QTest::addColumn<Names>("names");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("problem");

    QTest::newRow("no such column") << Names::Data << "Dear {Nmae}"
                                    << "`{Nmae}` in txt0 is no column of orders.csv";
    QTest::newRow("no name") << Names::Data << "{}"
                             << "`{}` in txt0 is no column of orders.csv";
    QTest::newRow("last, in a text") << Names::Data << "{last}"
                                     << "`{last}` in txt0 is no column of orders.csv";
    QTest::newRow("an offset without a unit") << Names::Data << "{date+30}"
                                              << "`{date+30}` in txt0 is no column of orders.csv";
    QTest::newRow("the first of two") << Names::Data << "{Nmae} {date:x}"
                                      << "`{Nmae}` in txt0 is no column of orders.csv";
    QTest::newRow("a date format of no date")
        << Names::Data << "{date:HH:mm}"
        << "`{date:HH:mm}` in txt0 shows nothing of the date: a date format is made of d, M "
           "and y, as dd.MM.yyyy";
    QTest::newRow("a date format of quoted letters")
        << Names::NoData << "{date:'dd'}"
        << "`{date:'dd'}` in txt0 shows nothing of the date: a date format is made of d, M "
           "and y, as dd.MM.yyyy";
    QTest::newRow("no date format") << Names::NoDataAffix << "{date:}"
                                    << "`{date:}` in txt0 shows nothing of the date: a date "
                                       "format is made of d, M and y, as dd.MM.yyyy";
    QTest::newRow("the time in a date format")
        << Names::Data << "{date:yyyy-MM-dd HH:mm}"
        << "`{date:yyyy-MM-dd HH:mm}` in txt0 writes the time in a date format: the time goes in "
           "its own field, as {time:HH:mm}";
    QTest::newRow("minutes for months")
        << Names::NoData << "{date+30d:dd.mm.yyyy}"
        << "`{date+30d:dd.mm.yyyy}` in txt0 writes the time in a date format: the time goes in "
           "its own field, as {time:HH:mm}";
    QTest::newRow("the date in a time format")
        << Names::Data << "{time:HH:mm dd}"
        << "`{time:HH:mm dd}` in txt0 writes the date in a time format: the date goes in its "
           "own field, as {date:dd.MM.yyyy}";
    QTest::newRow("a time format of no time")
        << Names::Data << "{time:yyyy}"
        << "`{time:yyyy}` in txt0 shows nothing of the time: a time format is made of H, h, m "
           "and s, as HH:mm";
    const QString longFormat = "{date:" + QString(65, u'd') + "}";
    QTest::newRow("a format too long")
        << Names::Data << longFormat
        << "`" + longFormat + "` in txt0 has a format longer than 64 characters";
    QTest::newRow("days past the bound") << Names::NoData << "{date+10000d}"
                                         << "`{date+10000d}` in txt0 moves the date by more "
                                            "than 9999 days";
    QTest::newRow("digits without end")
        << Names::Data << "{date-" + QString(400, u'9') + "y}"
        << "`{date-" + QString(400, u'9') + "y}` in txt0 moves the date by more than 9999 years";
    QTest::newRow("past the year 9999")
        << Names::Data << "{date+9999y}"
        << "`{date+9999y}` in txt0 moves the date outside the years 1 to 9999";
}

void FieldsTest::fieldsThatCannotBeFilledIn()
{
    QFETCH(Names, names);
    QFETCH(QString, text);
    QFETCH(QString, problem);
    const FieldRead read = readFields(text, namesFor(names), QStringLiteral("txt0"));
    QCOMPARE(read.problem, problem);
}

QTEST_APPLESS_MAIN(FieldsTest)
#include "tst_fields.moc"
