#include "documentbuilder.h"
#include "numbering.h"
#include "paginetteerror.h"

#include <QTest>

#include <cstdint>
#include <limits>

namespace {

constexpr std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();

PageObject numberObject(NumberValue start, std::int16_t digits, std::int32_t stepPage = 1)
{
    PageObject object;
    object.start = start;
    object.digits = digits;
    object.stepPage = stepPage;
    return object;
}

} // namespace

class NumberingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void valueOnPageHoldsSixtyFourBits();
    void formatNumber_data();
    void formatNumber();
    void zeroDigitNumbersShowNothingOnAnyPage();
    void pageAndStartTexts_data();
    void pageAndStartTexts();
    void otherKindsShowTheirOwnText();
    void linkPropagatesStartAndDigits();
    void linkWithTextMember();
    void linkPropagationWrapsAndStopsOnDamagedChains();
    void linksPropagateInLinkNumberOrder();
    void startEntries_data();
    void startEntries();
    void invalidDecimalStartChangesNothing_data();
    void invalidDecimalStartChangesNothing();
    void hexadecimalTextsReadBackToTheSameValue();
    void endTextShowsTheLastPrintedPage();
};

void NumberingTest::valueOnPageHoldsSixtyFourBits()
{
    PageObject object = numberObject(125, 5);
    QCOMPARE(valueOnPage(object, 1), 125);
    QCOMPARE(valueOnPage(object, 3), 127);

    object.start = int32Max;
    QCOMPARE(valueOnPage(object, 2), NumberValue{int32Max} + 1);

    object.start = 0;
    object.stepPage = 100000;
    QCOMPARE(valueOnPage(object, 100000), NumberValue{9999900000});
    object.stepPage = -1;
    QCOMPARE(valueOnPage(object, int32Max), -(int32Max - 1));
    QCOMPARE(valueOnPage(object, int32Min), NumberValue{int32Max} + 2);
    // Past 2^63 - 1 a value wraps.
    object.start = std::numeric_limits<NumberValue>::max();
    object.stepPage = 1;
    QCOMPARE(valueOnPage(object, 2), std::numeric_limits<NumberValue>::min());
}

void NumberingTest::formatNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("expectedZeros");

    QTest::newRow("zero-filled") << "125" << 5 << "00125" << 2;
    QTest::newRow("exact width") << "12345" << 5 << "12345" << 0;
    // A number never loses a character.
    QTest::newRow("wider than the width, whole") << "101" << 2 << "101" << 0;
    QTest::newRow("zeros go after the minus sign") << "-5" << 4 << "-005" << 2;
    QTest::newRow("minus sign counts") << "-123" << 3 << "-123" << 0;
    QTest::newRow("ten digits whole") << "4294967291" << 4 << "4294967291" << 0;
    QTest::newRow("wide") << "7" << 12 << "000000000007" << 11;
    // No width: nothing to show, and the zero count left as it was.
    QTest::newRow("zero digits") << "125" << 0 << "" << 99;
    QTest::newRow("negative digits") << "125" << -4 << "" << 99;
}

void NumberingTest::formatNumber()
{
    QFETCH(QString, text);
    QFETCH(int, digits);
    QFETCH(QString, expected);
    QFETCH(int, expectedZeros);

    std::int16_t zeros = 99;
    QCOMPARE(::formatNumber(text, static_cast<std::int16_t>(digits), &zeros), expected);
    QCOMPARE(zeros, expectedZeros);
    // The zero count is optional.
    QCOMPARE(::formatNumber(text, static_cast<std::int16_t>(digits)), expected);
}

void NumberingTest::zeroDigitNumbersShowNothingOnAnyPage()
{
    Document doc = emptyDocument(4);
    addNumber(doc, 0, 0, 125, 0);
    addNumber(doc, 0, 0, 125, -3);
    addNumber(doc, 0, 0, 125, 1, 0);
    // A text object carries no width of its own and still shows its text.
    addObject(doc, KindText, 0, 0, QStringLiteral("Hello!"));
    QList<bool> nothing;
    for (const PageObject &object : doc.objects)
        nothing << showsNothing(object);
    QCOMPARE(nothing, (QList<bool>{true, true, false, false}));
    for (const int page : {1, 2, 1000})
        QCOMPARE(textsOf(doc, page), (QStringList{"", "", "125", "Hello!"}));
}

void NumberingTest::pageAndStartTexts_data()
{
    QTest::addColumn<NumberValue>("start");
    QTest::addColumn<std::int32_t>("stepPage");
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("pageText");
    QTest::addColumn<QString>("startText");

    QTest::newRow("first page") << NumberValue{125} << 1 << 5 << 1 << "00125"
                                << "00125";
    QTest::newRow("second page") << NumberValue{125} << 1 << 5 << 2 << "00126"
                                 << "00125";
    QTest::newRow("third page") << NumberValue{125} << 1 << 5 << 3 << "00127"
                                << "00125";
    QTest::newRow("first page of a wide step") << NumberValue{1} << 10 << 2 << 1 << "01"
                                               << "01";
    QTest::newRow("exactly full") << NumberValue{1} << 10 << 2 << 10 << "91"
                                  << "01";
    QTest::newRow("wider than the width, whole") << NumberValue{1} << 10 << 2 << 11 << "101"
                                                 << "01";
    // The start text is the value the page shows, so that applying it
    // again keeps it.
    QTest::newRow("negative") << NumberValue{-5} << 1 << 4 << 1 << "-005"
                              << "-005";
    QTest::newRow("ten digits") << NumberValue{3000000001} << 1 << 10 << 2 << "3000000002"
                                << "3000000001";
}

void NumberingTest::pageAndStartTexts()
{
    QFETCH(NumberValue, start);
    QFETCH(std::int32_t, stepPage);
    QFETCH(int, digits);
    QFETCH(int, page);
    QFETCH(QString, pageText);
    QFETCH(QString, startText);

    PageObject object = numberObject(start, static_cast<std::int16_t>(digits), stepPage);
    // The text comes from the value, never from a text or zero count stored before.
    object.text = QStringLiteral("123456789");
    object.zeros = 99;
    QCOMPARE(textOf(object, page, page), pageText);
    QCOMPARE(::startText(object), startText);
}

void NumberingTest::otherKindsShowTheirOwnText()
{
    Document doc = emptyDocument(4);
    // Texts, pictures and kinds no row names, carrying number fields all the same.
    for (const std::int32_t kind : {std::int32_t(KindText), std::int32_t(KindPicture), 7}) {
        const int index = addObject(doc, kind, 0, 0, QStringLiteral("kind %1").arg(kind));
        doc.objects[index].start = 1;
        doc.objects[index].stepPage = 1;
        doc.objects[index].digits = 5;
    }
    addNumber(doc, 0, 0, 3, 2);
    for (const int page : {1, 2})
        QCOMPARE(textsOf(doc, page),
                 (QStringList{"kind 1", "kind 3", "kind 7", QStringLiteral("0%1").arg(2 + page)}));
}

void NumberingTest::linkPropagatesStartAndDigits()
{
    Document doc = emptyDocument(4);
    const int head = addNumber(doc, 0, 0, 100, 3);
    const int second = addNumber(doc, 0, 0, 7, 8);
    const int third = addNumber(doc, 0, 0, 9, 1);
    for (const int member : {head, second, third})
        doc.objects[member].stepLink = 5;
    doc.objects[third].stepPage = 2;
    doc.objects[third].zeros = 99;
    linkObjects(doc, 0, {head, second, third});

    propagateLinks(doc);
    QCOMPARE(doc.objects[head].start, 100);
    QCOMPARE(doc.objects[second].start, 105);
    QCOMPARE(doc.objects[third].start, 110);
    QCOMPARE(doc.objects[third].digits, 3);
    QCOMPARE(doc.objects[third].zeros, 0);

    QCOMPARE(textsOf(doc, 1), (QStringList{"100", "105", "110"}));
    // Each member keeps its own page step.
    QCOMPARE(textsOf(doc, 2), (QStringList{"101", "106", "112"}));

    // An edited Start of a later member does not last.
    doc.objects[second].start = 500;
    propagateLinks(doc);
    QCOMPARE(doc.objects[second].start, 105);

    // Links run in any table order: the chain, not the index, decides.
    Document reversed = emptyDocument(3);
    for (int i = 0; i < 3; ++i)
        addNumber(reversed, 0, 0, 0, 2);
    reversed.objects[2].start = 40;
    linkObjects(reversed, 0, {2, 1, 0});
    propagateLinks(reversed);
    QCOMPARE(textsOf(reversed, 1), (QStringList{"42", "41", "40"}));
}

void NumberingTest::linkWithTextMember()
{
    Document doc = emptyDocument(2);
    const int number = addNumber(doc, 0, 0, 125, 5);
    const int text = addObject(doc, KindText, 0, 0, QStringLiteral("Hello!"));
    linkObjects(doc, 0, {number, text});

    propagateLinks(doc);
    QCOMPARE(doc.objects[text].text, QStringLiteral("00126"));
    for (int page = 1; page <= 3; ++page)
        QCOMPARE(textsOf(doc, page)[text], QStringLiteral("00126"));
}

void NumberingTest::linkPropagationWrapsAndStopsOnDamagedChains()
{
    Document doc = emptyDocument(5);
    const int head = addNumber(doc, 0, 0, int32Max, 10);
    const int next = addNumber(doc, 0, 0, 0, 2);
    linkObjects(doc, 0, {head, next});
    propagateLinks(doc);
    QCOMPARE(doc.objects[next].start, NumberValue{int32Max} + 1);
    QCOMPARE(startText(doc.objects[next]), QStringLiteral("2147483648"));

    // A cycle behind a head and a pointer past the table must both end.
    const int a = addNumber(doc, 0, 0, 1, 1);
    const int b = addNumber(doc, 0, 0, 0, 1);
    const int c = addNumber(doc, 0, 0, 0, 1);
    linkObjects(doc, 1, {a, b, c});
    doc.objects[c].linkNext = b;
    doc.objects[next].linkNext = 4000;
    propagateLinks(doc);
    QCOMPARE(doc.objects[a].start, 1);
    QVERIFY(doc.objects[b].start >= 2);
    QVERIFY(doc.objects[c].start >= 3);
    QCOMPARE(doc.objects[next].start, NumberValue{int32Max} + 1);
}

void NumberingTest::linksPropagateInLinkNumberOrder()
{
    Document doc = emptyDocument(3);
    // Two damaged links share their second member: the higher link number,
    // whose head comes first in the table, runs last and wins.
    const int headOfLink1 = addNumber(doc, 0, 0, 100, 3);
    const int headOfLink0 = addNumber(doc, 0, 0, 200, 3);
    const int shared = addNumber(doc, 0, 0, 0, 3);
    linkObjects(doc, 1, {headOfLink1, shared});
    doc.objects[headOfLink0].linkId = 0;
    doc.objects[headOfLink0].linkNext = shared;
    propagateLinks(doc);
    QCOMPARE(doc.objects[shared].start, 101);
}

void NumberingTest::startEntries_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("format");
    QTest::addColumn<NumberValue>("start");
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("zeros");
    QTest::addColumn<QString>("shown");

    // `shown`: the Start entry as it reads the stored values back.
    QTest::newRow("decimal 007") << "007" << 0 << NumberValue{7} << 3 << 2 << "007";
    QTest::newRow("decimal 125") << "125" << 0 << NumberValue{125} << 3 << 0 << "125";
    QTest::newRow("decimal fraction") << "1.5" << 0 << NumberValue{1} << 3 << 2 << "001";
    QTest::newRow("decimal negative") << "-3" << 0 << NumberValue{-3} << 2 << 0 << "-3";
    QTest::newRow("decimal blanks count") << " 42 " << 0 << NumberValue{42} << 4 << 2 << "0042";
    QTest::newRow("decimal ten digits")
        << "3000000001" << 0 << NumberValue{3000000001} << 10 << 0 << "3000000001";
    // Past 64 bits an entry wraps, as it always wrapped past its width.
    QTest::newRow("decimal 1e20") << "1e20" << 0 << NumberValue{7766279631452241920} << 4 << -15
                                  << "7766279631452241920";
    QTest::newRow("decimal 23 nines")
        << "99999999999999999999999" << 0 << NumberValue{200376420520689663} << 23 << 5
        << "00000200376420520689663";

    QTest::newRow("hex 1A") << "1A" << 1 << NumberValue{26} << 2 << 0 << "1A";
    QTest::newRow("hex 00ff") << "00ff" << 1 << NumberValue{255} << 4 << 2 << "00FF";
    QTest::newRow("hex past 32 bits")
        << "123456789" << 1 << NumberValue{0x123456789} << 9 << 0 << "123456789";
    QTest::newRow("hex not a hex digit")
        << "1G" << 1 << NumberValue{-1} << 2 << 0 << "FFFFFFFFFFFFFFFF";
    QTest::newRow("hex bad character past the sixteenth is ignored")
        << "000000000000000AZ" << 1 << NumberValue{10} << 17 << 15 << "0000000000000000A";
    QTest::newRow("hex all 32 bits")
        << "FFFFFFFF" << 1 << NumberValue{0xFFFFFFFF} << 8 << 0 << "FFFFFFFF";
    QTest::newRow("hex top bit of 32")
        << "80000000" << 1 << NumberValue{0x80000000} << 8 << 0 << "80000000";
    QTest::newRow("hex all 64 bits")
        << "FFFFFFFFFFFFFFFF" << 1 << NumberValue{-1} << 16 << 0 << "FFFFFFFFFFFFFFFF";
    QTest::newRow("hex empty") << "" << 1 << NumberValue{0} << 0 << 0 << "";
    QTest::newRow("hex blank is not a digit")
        << " 1" << 1 << NumberValue{-1} << 2 << 0 << "FFFFFFFFFFFFFFFF";
}

void NumberingTest::startEntries()
{
    QFETCH(QString, entry);
    QFETCH(int, format);
    QFETCH(NumberValue, start);
    QFETCH(int, digits);
    QFETCH(int, zeros);
    QFETCH(QString, shown);

    PageObject object = numberObject(125, 5);
    // The other format beforehand, so that storing the new one shows.
    const NumberSystem system = format == 0 ? NumberSystem::Decimal : NumberSystem::Hexadecimal;
    object.format.system = format == 0 ? NumberSystem::Hexadecimal : NumberSystem::Decimal;
    parseStart(object, entry, system);
    QCOMPARE(object.start, start);
    QCOMPARE(object.digits, digits);
    QCOMPARE(object.zeros, zeros);
    QCOMPARE(object.format.system, system);
    QCOMPARE(startText(object), shown);
}

void NumberingTest::invalidDecimalStartChangesNothing_data()
{
    QTest::addColumn<QString>("entry");
    QTest::newRow("inf") << "inf";
    QTest::newRow("nan") << "nan";
    QTest::newRow("abc") << "abc";
    QTest::newRow("empty") << "";
}

void NumberingTest::invalidDecimalStartChangesNothing()
{
    QFETCH(QString, entry);
    PageObject object = numberObject(125, 5);
    object.zeros = 2;
    object.format.system = NumberSystem::Hexadecimal;
    const PageObject before = object;
    QVERIFY_THROWS_EXCEPTION(PaginetteError, parseStart(object, entry, NumberSystem::Decimal));
    QVERIFY(object == before);
}

void NumberingTest::hexadecimalTextsReadBackToTheSameValue()
{
    PageObject object = numberObject(0, 5);
    constexpr NumberSystem hex = NumberSystem::Hexadecimal;
    parseStart(object, QStringLiteral("00ff"), hex);
    QCOMPARE(startText(object), QStringLiteral("00FF"));

    // Applying the shown text again keeps the value and the width.
    parseStart(object, startText(object), hex);
    QCOMPARE(object.start, 255);
    QCOMPARE(object.digits, 4);

    // Pages show the unsigned value, never a minus sign, past 32 bits.
    parseStart(object, QStringLiteral("fffffffe"), hex);
    QCOMPARE(textOf(object, 3, 3), QStringLiteral("100000000"));
    const QString second = textOf(object, 2, 3);
    QCOMPARE(second, QStringLiteral("FFFFFFFF"));
    parseStart(object, second, hex);
    QCOMPARE(object.start, NumberValue{0xFFFFFFFF});
    parseStart(object, QStringLiteral("FFFFFFFFFFFFFFFB"), hex);
    QCOMPARE(object.start, -5);

    QCOMPARE(numberValueText(object, -5), QStringLiteral("FFFFFFFFFFFFFFFB"));
    const PageObject decimal;
    QCOMPARE(numberValueText(decimal, -5), QStringLiteral("-5"));
}

void NumberingTest::endTextShowsTheLastPrintedPage()
{
    Document doc = emptyDocument(3);
    addNumber(doc, 0, 0, 125, 5);
    const int index = addNumber(doc, 0, 0, 1, 2, 10);
    const int text = addObject(doc, KindText, 0, 0, QStringLiteral("Hello!"));
    doc.objects[text].digits = 2;
    doc.pagesToPrint = 11;

    QCOMPARE(endText(doc, index), QStringLiteral("101"));
    QCOMPARE(endText(doc, 0), QStringLiteral("00135"));
    QCOMPARE(endText(doc, text), QStringLiteral("Hello!"));

    doc.objects[index].start = -5;
    doc.objects[index].stepPage = 0;
    doc.objects[index].digits = 4;
    QCOMPARE(endText(doc, index), QStringLiteral("-005"));
    doc.objects[index].format.system = NumberSystem::Hexadecimal;
    QCOMPARE(endText(doc, index), QStringLiteral("FFFFFFFFFFFFFFFB"));

    QVERIFY(endText(doc, 3).isEmpty());
    QVERIFY(endText(doc, -1).isEmpty());
}

QTEST_APPLESS_MAIN(NumberingTest)
#include "tst_numbering.moc"
