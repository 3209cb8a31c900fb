#include "numberformat.h"
#include "numbering.h"
#include "numberrun.h"
#include "objectproperties.h"
#include "wrapint.h"
#include "wrapsearch.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cstdint>
#include <limits>

Q_DECLARE_METATYPE(CheckDigit)
Q_DECLARE_METATYPE(NumberSystem)
Q_DECLARE_METATYPE(NumberFormat)

namespace {

constexpr std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();

using Values = QList<NumberValue>;
using enum CheckDigit;
using enum NumberSystem;

int shownWidth(NumberValue value, NumberSystem system)
{
    DigitText digits;
    writeDigits(value, system, digits);
    return static_cast<int>(digits.view().size());
}

} // namespace

class NumberFormatTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checkCharacters_data();
    void checkCharacters();
    void systemDigits_data();
    void systemDigits();
    void startEntries_data();
    void startEntries();
    void repeatedValues_data();
    void repeatedValues();
    void autoWidth_data();
    void autoWidth();
    void autoWidthMatchesEveryPage();
    void firstStepIntoMatchesCounting();
    void placeholders_data();
    void placeholders();
    void numberTexts_data();
    void numberTexts();
    void defaultFormatGivesThePageTexts();
    void signComesFirst_data();
    void signComesFirst();
};

void NumberFormatTest::checkCharacters_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<CheckDigit>("check");
    QTest::addColumn<QChar>("expected");

    QTest::newRow("luhn 7992739871") << "7992739871" << Luhn << QChar(u'3');
    QTest::newRow("luhn skips a minus sign") << "00-5" << Luhn << QChar(u'9');
    QTest::newRow("ean-13 400638133393") << "400638133393" << Mod10Weights31 << QChar(u'1');
    QTest::newRow("upc 03600029145") << "03600029145" << Mod10Weights31 << QChar(u'2');
    QTest::newRow("isbn-10 030640615") << "030640615" << Mod11 << QChar(u'2');
    QTest::newRow("mod11 10 is X") << "080442957" << Mod11 << QChar(u'X');
    QTest::newRow("mod11 11 is 0") << "000000000" << Mod11 << QChar(u'0');
    // Weights run 2 to 10 and start again: the tenth digit from the right
    // weighs 2, so changing it changes the check character.
    QTest::newRow("mod11 tenth digit weighs 2") << "1034567890" << Mod11 << QChar(u'5');
    QTest::newRow("mod11 tenth digit changed") << "2034567890" << Mod11 << QChar(u'3');
    QTest::newRow("mod11 eleventh digit weighs 3") << "10000000000" << Mod11 << QChar(u'8');
    QTest::newRow("mod7 100") << "100" << Mod7 << QChar(u'2');
    QTest::newRow("mod9 123456789") << "123456789" << Mod9 << QChar(u'0');
    QTest::newRow("none") << "123" << None << QChar();
}

void NumberFormatTest::checkCharacters()
{
    QFETCH(QString, digits);
    QFETCH(CheckDigit, check);
    QFETCH(QChar, expected);
    QCOMPARE(checkCharacter(digits, check), expected);
}

void NumberFormatTest::systemDigits_data()
{
    QTest::addColumn<NumberValue>("value");
    QTest::addColumn<NumberSystem>("system");
    // A null string where the system has no digits for the value.
    QTest::addColumn<QString>("expected");

    QTest::newRow("decimal 0") << NumberValue{0} << Decimal << "0";
    QTest::newRow("decimal -5") << NumberValue{-5} << Decimal << "-5";
    QTest::newRow("decimal min") << NumberValue{int32Min} << Decimal << "-2147483648";
    QTest::newRow("hex 255") << NumberValue{255} << Hexadecimal << "FF";
    QTest::newRow("hex -1 unsigned") << NumberValue{-1} << Hexadecimal << "FFFFFFFFFFFFFFFF";
    QTest::newRow("base36 35") << NumberValue{35} << Base36 << "Z";
    QTest::newRow("base36 36") << NumberValue{36} << Base36 << "10";
    QTest::newRow("base36 -1 unsigned") << NumberValue{-1} << Base36 << "3W5E11264SGSF";
    QTest::newRow("letters 26") << NumberValue{26} << Letters << "Z";
    QTest::newRow("letters 27") << NumberValue{27} << Letters << "AA";
    QTest::newRow("letters 52") << NumberValue{52} << Letters << "AZ";
    QTest::newRow("letters 702") << NumberValue{702} << Letters << "ZZ";
    QTest::newRow("letters 703") << NumberValue{703} << Letters << "AAA";
    QTest::newRow("letters max") << NumberValue{int32Max} << Letters << "FXSHRXW";
    QTest::newRow("decimal ten digits") << NumberValue{3000000001} << Decimal << "3000000001";
    QTest::newRow("decimal 64-bit min")
        << std::numeric_limits<NumberValue>::min() << Decimal << "-9223372036854775808";
    QTest::newRow("hex past 32 bits") << NumberValue{0x1FFFFFFFF} << Hexadecimal << "1FFFFFFFF";
    QTest::newRow("letters 64-bit max")
        << std::numeric_limits<NumberValue>::max() << Letters << "CRPXNLSKVLJFHG";
    QTest::newRow("letters 0") << NumberValue{0} << Letters << QString();
    QTest::newRow("letters -3") << NumberValue{-3} << Letters << QString();
}

void NumberFormatTest::systemDigits()
{
    QFETCH(NumberValue, value);
    QFETCH(NumberSystem, system);
    QFETCH(QString, expected);

    QCOMPARE(::systemDigits(value, system).value_or(QString()), expected);
    // The digits read back as a Start entry to the same value.
    if (!expected.isNull())
        QCOMPARE(readStartEntry(expected, system), std::optional(value));
}

void NumberFormatTest::startEntries_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<NumberSystem>("system");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<NumberValue>("value");

    QTest::newRow("decimal not a number") << "abc" << Decimal << false << NumberValue{0};
    QTest::newRow("hex bad digit is all bits") << "1G" << Hexadecimal << true << NumberValue{-1};
    QTest::newRow("hex reads 16 characters")
        << "123456789ABCDEF01" << Hexadecimal << true << NumberValue{0x123456789ABCDEF0};
    QTest::newRow("hex empty") << "" << Hexadecimal << true << NumberValue{0};
    QTest::newRow("base36 blanks and case") << " zz " << Base36 << true << NumberValue{1295};
    QTest::newRow("base36 wraps") << "3W5E11264SGSG" << Base36 << true << NumberValue{0};
    QTest::newRow("base36 bad digit") << "1-" << Base36 << false << NumberValue{0};
    QTest::newRow("letters blanks and case") << " ab " << Letters << true << NumberValue{28};
    QTest::newRow("letters decimal below 1") << "-3" << Letters << true << NumberValue{-3};
    QTest::newRow("letters mixed") << "A1" << Letters << false << NumberValue{0};
    QTest::newRow("letters empty") << "" << Letters << false << NumberValue{0};
}

void NumberFormatTest::startEntries()
{
    QFETCH(QString, entry);
    QFETCH(NumberSystem, system);
    QFETCH(bool, readable);
    QFETCH(NumberValue, value);
    QCOMPARE(readStartEntry(entry, system), readable ? std::optional(value) : std::nullopt);
}

void NumberFormatTest::repeatedValues_data()
{
    QTest::addColumn<NumberValue>("start");
    QTest::addColumn<std::int32_t>("step");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<std::int32_t>("firstPage");
    QTest::addColumn<Values>("expected");

    QTest::newRow("three pages each") << NumberValue{1} << 1 << 3 << 1 << Values{1, 1, 1, 2, 2, 2};
    QTest::newRow("two pages, step -5")
        << NumberValue{10} << -5 << 2 << 1 << Values{10, 10, 5, 5, 0};
    QTest::newRow("before page 1") << NumberValue{1} << 1 << 3 << -2 << Values{0, 0, 0, 1};
    QTest::newRow("past 32 bits") << NumberValue{int32Max} << 1 << 2 << 1
                                  << Values{int32Max, int32Max, NumberValue{int32Max} + 1};
    QTest::newRow("wraps") << std::numeric_limits<NumberValue>::max() << 1 << 2 << 2
                           << Values{std::numeric_limits<NumberValue>::max(),
                                     std::numeric_limits<NumberValue>::min()};
    QTest::newRow("repeat 0 is 1") << NumberValue{1} << 1 << 0 << 1 << Values{1, 2, 3};
}

void NumberFormatTest::repeatedValues()
{
    QFETCH(NumberValue, start);
    QFETCH(std::int32_t, step);
    QFETCH(int, repeat);
    QFETCH(std::int32_t, firstPage);
    QFETCH(Values, expected);

    Values values;
    for (std::int32_t i = 0; i < expected.size(); ++i)
        values.append(repeatedValue(start, step, repeat, firstPage + i));
    QCOMPARE(values, expected);
}

void NumberFormatTest::autoWidth_data()
{
    QTest::addColumn<NumberValue>("start");
    QTest::addColumn<std::int32_t>("step");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<std::int32_t>("pages");
    QTest::addColumn<NumberSystem>("system");
    QTest::addColumn<int>("width");

    QTest::newRow("1..1500") << NumberValue{1} << 1 << 1 << 1500 << Decimal << 4;
    QTest::newRow("repeat to 1000") << NumberValue{1} << 1 << 2 << 1999 << Decimal << 4;
    QTest::newRow("repeat to 999") << NumberValue{1} << 1 << 2 << 1998 << Decimal << 3;
    QTest::newRow("no pages is page 1") << NumberValue{5} << 1 << 1 << 0 << Decimal << 1;
    QTest::newRow("-150..149") << NumberValue{-150} << 1 << 1 << 300 << Decimal << 4;
    QTest::newRow("past 32 bits") << NumberValue{int32Max} << 1 << 1 << 2 << Decimal << 10;
    QTest::newRow("wraps past max")
        << std::numeric_limits<NumberValue>::max() << 1 << 1 << 2 << Decimal << 20;
    QTest::newRow("wide only between") << NumberValue{1} << int32Min << 1 << 3 << Decimal << 11;
    QTest::newRow("step 0") << NumberValue{12345} << 0 << 1 << int32Max << Decimal << 5;
    QTest::newRow("hex of a negative value")
        << NumberValue{1} << int32Min << 1 << 3 << Hexadecimal << 16;
    QTest::newRow("base36 to 100") << NumberValue{0} << 1 << 1 << 1297 << Base36 << 3;
    QTest::newRow("letters to AAA") << NumberValue{1} << 1 << 1 << 703 << Letters << 3;
    QTest::newRow("letters from -10") << NumberValue{-10} << 1 << 1 << 12 << Letters << 3;
}

void NumberFormatTest::autoWidth()
{
    QFETCH(NumberValue, start);
    QFETCH(std::int32_t, step);
    QFETCH(int, repeat);
    QFETCH(std::int32_t, pages);
    QFETCH(NumberSystem, system);
    QFETCH(int, width);
    QCOMPARE(autoWidthDigits(start, step, repeat, pages, system), width);
}

void NumberFormatTest::autoWidthMatchesEveryPage()
{
    // Steps that come back near their start after a few wraps, and starts
    // near the places where widths change, mixed with any values.
    const std::int32_t steps[] = {1,          -1,         7,           -13,       int32Min,
                                  1 << 30,    0x55555555, 0x33333333,  613566757, 1000000000,
                                  -999999999, 0x10000000, -0x0FFFFFFF, 0};
    const NumberValue starts[] = {0,          -1,         1,  999999990, -999999990, int32Max,
                                  int32Min,   0x0FFFFFF0, 26, 700,       INT64_MAX,  INT64_MIN + 5,
                                  9999999990, -9999999990};
    QRandomGenerator random(20240611);
    for (int run = 0; run < 300; ++run) {
        const NumberValue start =
            valueAdd(starts[random.bounded(qsizetype(std::size(starts)))], random.bounded(-5, 6));
        std::int32_t step = steps[random.bounded(qsizetype(std::size(steps)))];
        step = step == 0 ? static_cast<std::int32_t>(random.generate())
                         : wrapAdd(step, random.bounded(-3, 4));
        const int repeat = random.bounded(1, 4);
        const std::int32_t lastPage = random.bounded(1, 2000);
        for (const NumberSystem system : {Decimal, Hexadecimal, Base36, Letters}) {
            const auto fails = [&](std::int32_t pages, int widest) {
                return autoWidthDigits(start, step, repeat, pages, system) != widest;
            };
            // Page by page, the run up to each page that widens it, and up to
            // the page before; and the first page from `firstPage` wider than
            // the first page's value.
            const std::int32_t firstPage = random.bounded(1, lastPage + 1);
            const int fitting = shownWidth(repeatedValue(start, step, repeat, 1), system);
            std::optional<WidthGrowth> growth;
            int widest = 0;
            bool failed = false;
            for (std::int32_t page = 1; page <= lastPage && !failed; ++page) {
                const int width = shownWidth(repeatedValue(start, step, repeat, page), system);
                if (width > widest)
                    failed = (page > 1 && fails(page - 1, widest)) || fails(page, width);
                widest = std::max(widest, width);
                if (!growth && page >= firstPage && width > fitting)
                    growth = WidthGrowth{page, width};
            }
            const QByteArray run = QString::asprintf("start %lld step %d repeat %d system %d",
                                                     qint64(start), step, repeat, int(system))
                                       .toLatin1();
            QVERIFY2(!failed && !fails(lastPage, widest), run.constData());
            QVERIFY2(firstGrowth(start, step, repeat, fitting, firstPage, lastPage, system) ==
                         growth,
                     run.constData());
        }
    }
}

void NumberFormatTest::firstStepIntoMatchesCounting()
{
    // One edge of each range lies on a value the run reaches, so that an
    // edge taken one off shows; counting stops there at the latest.
    QRandomGenerator random(7);
    for (std::uint32_t run = 0; run < 400; ++run) {
        const std::uint64_t base = random.generate64();
        const std::uint64_t step = run % 4 == 0 ? random.bounded(100u) : random.generate64();
        const std::uint64_t edge = base + random.bounded(1u << 16) * step;
        const std::uint64_t span = random.bounded(1u << (run % 24));
        const std::uint64_t first = run % 2 == 0 ? edge : edge - span;
        const std::uint64_t last = first + span;
        if (first > last)
            continue;
        std::uint64_t steps = 0;
        while (base + steps * step - first > span)
            ++steps;
        QCOMPARE(firstStepInto(base, step, first, last), std::optional(steps));
    }
    QCOMPARE(firstStepInto(10, 3, 5, 20), std::optional<std::uint64_t>(0));
    QCOMPARE(firstStepInto(5, 0, 6, 10), std::nullopt);
    QCOMPARE(firstStepInto(0, 2, 1, 1), std::nullopt);
    // Large answers: 1 + 2 * (2^63 - 1) and 3 * 0x5555555555555555 are all
    // bits set, and all bits times all bits wraps to 1.
    constexpr std::uint64_t allBits = ~std::uint64_t{0};
    QCOMPARE(firstStepInto(1, 2, allBits, allBits), std::optional<std::uint64_t>(allBits >> 1));
    QCOMPARE(firstStepInto(0, 3, allBits, allBits),
             std::optional<std::uint64_t>(0x5555555555555555));
    QCOMPARE(firstStepInto(0, allBits, 1, 1), std::optional<std::uint64_t>(allBits));
}

void NumberFormatTest::placeholders_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::int32_t>("page");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("expected");

    QTest::newRow("known") << "No. {page} of {pages}, last {last}" << 3 << "0010"
                           << "No. 3 of 10, last 0010";
    QTest::newRow("unknown stays") << "{foo} {page}" << 3 << QString() << "{foo} 3";
    QTest::newRow("case matters") << "{Page}" << 3 << QString() << "{Page}";
    QTest::newRow("unclosed") << "{page" << 3 << QString() << "{page";
    QTest::newRow("unopened") << "page}" << 3 << QString() << "page}";
    QTest::newRow("doubled braces") << "{{page}}" << 3 << QString() << "{3}";
    QTest::newRow("adjacent") << "{page}{pages}" << 3 << QString() << "310";
    QTest::newRow("negative page") << "{page}" << -2 << QString() << "-2";
    QTest::newRow("not read again") << "{last}" << 3 << "{page}"
                                    << "{page}";
}

void NumberFormatTest::placeholders()
{
    QFETCH(QString, text);
    QFETCH(std::int32_t, page);
    QFETCH(QString, last);
    QFETCH(QString, expected);
    QCOMPARE(expandPlaceholders(text, page, 10, last), expected);
}

void NumberFormatTest::numberTexts_data()
{
    QTest::addColumn<std::int32_t>("start");
    QTest::addColumn<std::int32_t>("step");
    QTest::addColumn<int>("digits");
    QTest::addColumn<NumberFormat>("format");
    QTest::addColumn<std::int32_t>("page");
    QTest::addColumn<std::int32_t>("pages");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("showsDecimal");

    const NumberFormat plain;
    QTest::newRow("zero-filled") << 125 << 1 << 5 << plain << 2 << 10 << "00126" << false;
    QTest::newRow("wider than the width, whole")
        << 1 << 10 << 2 << plain << 11 << 11 << "101" << false;
    QTest::newRow("no width, affixes stay")
        << 5 << 1 << 0 << NumberFormat{.prefix = "No.", .check = Luhn} << 1 << 1 << "No." << false;
    QTest::newRow("luhn negative")
        << -5 << 1 << 4 << NumberFormat{.check = Luhn} << 1 << 1 << "-0059" << false;
    QTest::newRow("hex has no check")
        << 255 << 1 << 4 << NumberFormat{.check = Luhn, .system = Hexadecimal} << 1 << 1 << "00FF"
        << false;
    QTest::newRow("letters auto width")
        << 26 << 1 << 1 << NumberFormat{.system = Letters, .autoWidth = true} << 2 << 2 << "AA"
        << false;
    QTest::newRow("letters never zero-filled")
        << 26 << 1 << 1 << NumberFormat{.system = Letters, .autoWidth = true} << 1 << 2 << "Z"
        << false;
    QTest::newRow("letters from Y go on past Z")
        << 25 << 1 << 1 << NumberFormat{.system = Letters} << 4 << 30 << "AB" << false;
    QTest::newRow("letters 0 in decimal, no check")
        << 0 << 1 << 1 << NumberFormat{.check = Mod7, .system = Letters} << 1 << 2 << "0" << true;
    QTest::newRow("placeholders") << 1 << 1 << 4
                                  << NumberFormat{.prefix = "No. ",
                                                  .suffix = " ({page}/{pages}, last {last})"}
                                  << 3 << 10 << "No. 0003 (3/10, last 0010)" << false;
    QTest::newRow("last with repeat")
        << 1 << 1 << 1 << NumberFormat{.suffix = "-{last}", .repeat = 3} << 1 << 7 << "1-3"
        << false;
    QTest::newRow("last with width and check")
        << 1 << 1 << 2 << NumberFormat{.suffix = "/{last}", .check = Luhn, .autoWidth = true} << 1
        << 1500 << "00018/15008" << false;
    QTest::newRow("prefix cut to 63, never inside a character")
        << 1 << 1 << 1 << NumberFormat{.prefix = QString(62, u'a') + QStringLiteral("😀b")} << 1 << 1
        << QString(62, u'a') + u'1' << false;
}

void NumberFormatTest::numberTexts()
{
    QFETCH(std::int32_t, start);
    QFETCH(std::int32_t, step);
    QFETCH(int, digits);
    QFETCH(NumberFormat, format);
    QFETCH(std::int32_t, page);
    QFETCH(std::int32_t, pages);
    QFETCH(QString, expected);
    QFETCH(bool, showsDecimal);

    const auto width = static_cast<std::int16_t>(digits);
    const NumberRun run(start, step, width, format, pages);
    QCOMPARE(run.text(page), expected);
    QCOMPARE(run.showsDecimal(page), showsDecimal);
    QCOMPARE(numberText(start, step, width, format, page, pages), expected);
}

void NumberFormatTest::defaultFormatGivesThePageTexts()
{
    // Pages before the first too: a repeat of 1 steps back as numbers always have.
    PageObject object;
    for (const std::int16_t format : {0, 1}) {
        const NumberFormat numberFormat{.system = format == 0 ? Decimal : Hexadecimal};
        object.format = numberFormat;
        for (const std::int32_t start : {0, 125, -5, int32Max, int32Min}) {
            object.start = start;
            object.stepPage = 7;
            for (const std::int16_t digits : {1, 3, 12}) {
                object.digits = digits;
                const NumberRun run(start, 7, digits, numberFormat, 100);
                for (const std::int32_t page : {int32Min, 0, 1, 2, 100, int32Max})
                    QCOMPARE(
                        run.text(page),
                        formatNumber(numberValueText(object, valueOnPage(object, page)), digits));
            }
        }
    }
}

void NumberFormatTest::signComesFirst_data()
{
    QTest::addColumn<NumberFormat>("format");

    // Every system and check character the format boxes offer.
    for (const QString &system : systemNames()) {
        for (const QString &check : checkNames()) {
            PageObject object;
            FormatEntries entries = formatEntriesOf(object);
            entries.system = system;
            entries.check = check;
            applyFormat(object, entries);
            QTest::addRow("%s, check %s", qPrintable(system), qPrintable(check)) << object.format;
        }
    }
}

void NumberFormatTest::signComesFirst()
{
    QFETCH(NumberFormat, format);

    for (const std::int32_t value : {int32Min, -123456, -5, -1, 0, 7, 123456, int32Max}) {
        for (const std::int16_t width : {1, 4, 8, 12}) {
            // The value's digits as its system writes them, decimal where
            // it has none; zeros go between the sign and the digits.
            DigitText written;
            writeDigits(value, format.system, written);
            const QStringView digits = written.view();
            const bool negative = digits.startsWith(u'-');
            const QStringView magnitude = digits.sliced(negative ? 1 : 0);
            const qsizetype zeros =
                padsWithZeros(format.system) ? std::max<qsizetype>(width - digits.size(), 0) : 0;
            const QString filled = QString(zeros, u'0') + magnitude.toString();
            QString expected = (negative ? QStringLiteral("-") : QString()) + filled;
            if (checkDigitApplies(format))
                expected += checkCharacter(filled, format.check);
            QCOMPARE(NumberRun(value, 1, width, format, 1).text(1), expected);
        }
    }
}

QTEST_APPLESS_MAIN(NumberFormatTest)
#include "tst_numberformat.moc"
