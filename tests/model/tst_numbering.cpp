#include "documentbuilder.h"
#include "numbering.h"
#include "paginetteerror.h"
#include "servicesrecorder.h"

#include <QTest>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>

namespace {

constexpr std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();

} // namespace

class NumberingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_recorder.emplace(); }
    void cleanup() { m_recorder.reset(); }

    void valueOnPageWrapsIn32Bits();
    void formatNumber_data();
    void formatNumber();
    void zeroDigitObjectsBeepOnEveryPage();
    void pageAndStartTexts_data();
    void pageAndStartTexts();
    void pageFormattingLeavesOtherKindsAlone();
    void linkPropagatesStartAndDigits();
    void linkWithTextMember();
    void linkPropagationWrapsAndStopsOnDamagedChains();
    void linksPropagateInLinkNumberOrder();
    void startEntries_data();
    void startEntries();
    void invalidDecimalStartChangesNothing_data();
    void invalidDecimalStartChangesNothing();
    void hexadecimalTextsReadBackToTheSameValue();
    void endTextShowsLastPrintedPageWithoutSideEffects();

private:
    std::optional<ServicesRecorder> m_recorder;
};

void NumberingTest::valueOnPageWrapsIn32Bits()
{
    mainStruct2 object = zeroRecord();
    object.start = 125;
    object.stepPage = 1;
    QCOMPARE(valueOnPage(object, 1), 125);
    QCOMPARE(valueOnPage(object, 3), 127);

    object.start = int32Max;
    QCOMPARE(valueOnPage(object, 2), int32Min);

    object.start = 0;
    object.stepPage = 100000;
    // 99999 * 100000 = 9999900000, which is 1409965408 modulo 2^32.
    QCOMPARE(valueOnPage(object, 100000), 1409965408);
    object.stepPage = -1;
    QCOMPARE(valueOnPage(object, int32Max), -(int32Max - 1));
    QCOMPARE(valueOnPage(object, int32Min), -int32Max);
}

void NumberingTest::formatNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("expectedZeros");
    QTest::addColumn<int>("beeps");

    QTest::newRow("zero-filled") << "125" << 5 << "00125" << 2 << 0;
    QTest::newRow("exact width") << "12345" << 5 << "12345" << 0 << 0;
    QTest::newRow("cut to leading characters") << "101" << 2 << "10" << -1 << 0;
    QTest::newRow("zeros go before the minus sign") << "-5" << 4 << "00-5" << 2 << 0;
    QTest::newRow("minus sign counts") << "-123" << 3 << "-12" << -1 << 0;
    QTest::newRow("unsigned -5 cut") << "4294967291" << 4 << "4294" << -6 << 0;
    QTest::newRow("wide") << "7" << 12 << "000000000007" << 11 << 0;
    // No width: a beep, nothing to show, and the zero count left as it was.
    QTest::newRow("zero digits") << "125" << 0 << "" << 99 << 1;
    QTest::newRow("negative digits") << "125" << -4 << "" << 99 << 1;
}

void NumberingTest::formatNumber()
{
    QFETCH(QString, text);
    QFETCH(int, digits);
    QFETCH(QString, expected);
    QFETCH(int, expectedZeros);
    QFETCH(int, beeps);

    std::int16_t zeros = 99;
    QCOMPARE(::formatNumber(text, static_cast<std::int16_t>(digits), &zeros), expected);
    QCOMPARE(zeros, expectedZeros);
    QCOMPARE(m_recorder->beeps, beeps);
    // The zero count is optional.
    QCOMPARE(::formatNumber(text, static_cast<std::int16_t>(digits)), expected);
}

void NumberingTest::zeroDigitObjectsBeepOnEveryPage()
{
    DocumentState doc(3);
    addNumber(doc, 0, 0, 125, 0);
    addNumber(doc, 0, 0, 125, 0);
    formatPage(doc, 1);
    QCOMPARE(m_recorder->beeps, 2);
    QVERIFY(doc.texts[0].isEmpty());
}

void NumberingTest::pageAndStartTexts_data()
{
    QTest::addColumn<std::int32_t>("start");
    QTest::addColumn<std::int32_t>("stepPage");
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("pageText");
    QTest::addColumn<int>("pageZeros");
    QTest::addColumn<QString>("startText");
    QTest::addColumn<int>("startZeros");

    QTest::newRow("first page") << 125 << 1 << 5 << 1 << "00125" << 2 << "00125" << 2;
    QTest::newRow("second page") << 125 << 1 << 5 << 2 << "00126" << 2 << "00125" << 2;
    QTest::newRow("third page") << 125 << 1 << 5 << 3 << "00127" << 2 << "00125" << 2;
    QTest::newRow("first page of a wide step") << 1 << 10 << 2 << 1 << "01" << 1 << "01" << 1;
    QTest::newRow("exactly full") << 1 << 10 << 2 << 10 << "91" << 0 << "01" << 1;
    QTest::newRow("long page text is cut") << 1 << 10 << 2 << 11 << "10" << -1 << "01" << 1;
    // Pages show the signed value, the start text the unsigned one.
    QTest::newRow("negative") << -5 << 1 << 4 << 1 << "00-5" << 2 << "4294" << -6;
}

void NumberingTest::pageAndStartTexts()
{
    QFETCH(std::int32_t, start);
    QFETCH(std::int32_t, stepPage);
    QFETCH(int, digits);
    QFETCH(int, page);
    QFETCH(QString, pageText);
    QFETCH(int, pageZeros);
    QFETCH(QString, startText);
    QFETCH(int, startZeros);

    DocumentState doc(1);
    addNumber(doc, 0, 0, start, static_cast<std::int16_t>(digits), stepPage);
    // The width comes from the value formed now, not from a text formed before.
    doc.texts[0] = QStringLiteral("123456789");
    doc.objects[0].zeros = 99;
    formatPage(doc, page);
    QCOMPARE(doc.texts[0], pageText);
    QCOMPARE(doc.objects[0].zeros, pageZeros);
    formatStartTexts(doc);
    QCOMPARE(doc.texts[0], startText);
    QCOMPARE(doc.objects[0].zeros, startZeros);
}

void NumberingTest::pageFormattingLeavesOtherKindsAlone()
{
    DocumentState doc(3);
    // Texts and pictures that carry number fields all the same.
    for (const std::int32_t kind : {KindText, KindPicture}) {
        const int index = addObject(doc, kind, 0, 0, QString());
        doc.objects[index].start = 1;
        doc.objects[index].stepPage = 1;
        doc.objects[index].digits = 5;
    }
    doc.texts[0] = QStringLiteral("Hello!");
    addNumber(doc, 0, 0, 3, 2);
    formatPage(doc, 2);
    formatStartTexts(doc);
    QCOMPARE(doc.texts[0], QStringLiteral("Hello!"));
    QVERIFY(doc.texts[1].isEmpty());
    QCOMPARE(doc.texts[2], QStringLiteral("03"));
    // Nor are their records.
    QCOMPARE(doc.objects[0].zeros, 0);
}

void NumberingTest::linkPropagatesStartAndDigits()
{
    DocumentState doc(4);
    const int head = addNumber(doc, 0, 0, 100, 3);
    const int second = addNumber(doc, 0, 0, 7, 8);
    const int third = addNumber(doc, 0, 0, 9, 1);
    for (const int member : {head, second, third})
        doc.objects[member].stepLink = 5;
    doc.objects[third].stepPage = 2;
    linkObjects(doc, 0, {head, second, third});

    propagateLinks(doc);
    QCOMPARE(m_recorder->layouts, 1);
    QCOMPARE(doc.objects[head].start, 100);
    QCOMPARE(doc.objects[second].start, 105);
    QCOMPARE(doc.objects[third].start, 110);
    QCOMPARE(doc.objects[third].digits, 3);
    QCOMPARE(doc.texts[third], QStringLiteral("110"));

    formatPage(doc, 1);
    QCOMPARE(textsOf(doc), (QStringList{"100", "105", "110"}));
    // Each member keeps its own page step.
    formatPage(doc, 2);
    QCOMPARE(textsOf(doc), (QStringList{"101", "106", "112"}));

    // An edited Start of a later member does not last.
    doc.objects[second].start = 500;
    propagateLinks(doc);
    QCOMPARE(doc.objects[second].start, 105);

    // Links run in any table order: the chain, not the index, decides.
    DocumentState reversed(3);
    for (int i = 0; i < 3; ++i)
        addNumber(reversed, 0, 0, 0, 2);
    reversed.objects[2].start = 40;
    linkObjects(reversed, 0, {2, 1, 0});
    propagateLinks(reversed);
    QCOMPARE(reversed.objects[1].start, 41);
    QCOMPARE(reversed.objects[0].start, 42);
    QCOMPARE(reversed.texts[0], QStringLiteral("42"));
}

void NumberingTest::linkWithTextMember()
{
    DocumentState doc(2);
    const int number = addNumber(doc, 0, 0, 125, 5);
    const int text = addObject(doc, KindText, 0, 0, QStringLiteral("Hello!"));
    linkObjects(doc, 0, {number, text});

    propagateLinks(doc);
    QCOMPARE(doc.texts[text], QStringLiteral("00126"));
    for (int page = 1; page <= 3; ++page) {
        formatPage(doc, page);
        QCOMPARE(doc.texts[text], QStringLiteral("00126"));
    }
}

void NumberingTest::linkPropagationWrapsAndStopsOnDamagedChains()
{
    DocumentState doc(5);
    const int head = addNumber(doc, 0, 0, int32Max, 10);
    const int next = addNumber(doc, 0, 0, 0, 2);
    linkObjects(doc, 0, {head, next});
    propagateLinks(doc);
    QCOMPARE(doc.objects[next].start, int32Min);
    QCOMPARE(doc.texts[next], QStringLiteral("2147483648"));

    // A cycle behind a head and a pointer past the table must both end.
    const int a = addNumber(doc, 0, 0, 1, 1);
    const int b = addNumber(doc, 0, 0, 0, 1);
    const int c = addNumber(doc, 0, 0, 0, 1);
    linkObjects(doc, 1, {a, b, c});
    doc.objects[c].linkNext = b;
    doc.objects[next].linkNext = 4000;
    propagateLinks(doc);
    QCOMPARE(m_recorder->layouts, 2);
    QCOMPARE(doc.objects[a].start, 1);
    QVERIFY(doc.objects[b].start >= 2);
    QVERIFY(doc.objects[c].start >= 3);
    QCOMPARE(doc.objects[next].start, int32Min);
}

void NumberingTest::linksPropagateInLinkNumberOrder()
{
    DocumentState doc(3);
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
    QTest::addColumn<std::int32_t>("start");
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("zeros");
    QTest::addColumn<QString>("text");

    QTest::newRow("decimal 007") << "007" << 0 << 7 << 3 << 2 << "7";
    QTest::newRow("decimal 125") << "125" << 0 << 125 << 3 << 0 << "125";
    QTest::newRow("decimal fraction") << "1.5" << 0 << 1 << 3 << 2 << "1";
    QTest::newRow("decimal negative") << "-3" << 0 << -3 << 2 << -8 << "4294967293";
    QTest::newRow("decimal blanks count") << " 42 " << 0 << 42 << 4 << 2 << "42";
    QTest::newRow("decimal 1e20") << "1e20" << 0 << 1661992960 << 4 << -6 << "1661992960";
    QTest::newRow("decimal 23 nines")
        << "99999999999999999999999" << 0 << -159383553 << 23 << 13 << "4135583743";

    // A hexadecimal entry leaves the object's text as it was.
    const QString untouched = QStringLiteral("untouched");
    QTest::newRow("hex 1A") << "1A" << 1 << 26 << 2 << 0 << untouched;
    QTest::newRow("hex 00ff") << "00ff" << 1 << 255 << 4 << 2 << untouched;
    QTest::newRow("hex only 8 characters read")
        << "123456789" << 1 << 305419896 << 9 << 0 << untouched;
    QTest::newRow("hex not a hex digit") << "1G" << 1 << -1 << 2 << 0 << untouched;
    QTest::newRow("hex bad character past the eighth is ignored")
        << "0000000AZ" << 1 << 10 << 9 << 7 << untouched;
    QTest::newRow("hex all bits") << "FFFFFFFF" << 1 << -1 << 8 << 0 << untouched;
    QTest::newRow("hex top bit") << "80000000" << 1 << int32Min << 8 << 0 << untouched;
    QTest::newRow("hex empty") << "" << 1 << 0 << 0 << 0 << untouched;
    QTest::newRow("hex blank is not a digit") << " 1" << 1 << -1 << 2 << 0 << untouched;
}

void NumberingTest::startEntries()
{
    QFETCH(QString, entry);
    QFETCH(int, format);
    QFETCH(std::int32_t, start);
    QFETCH(int, digits);
    QFETCH(int, zeros);
    QFETCH(QString, text);

    DocumentState doc(2);
    addNumber(doc, 0, 0, 125, 5);
    const int index = addNumber(doc, 0, 0, 125, 5);
    // The other format beforehand, so that storing the new one shows.
    doc.objects[index].format = format == 0 ? 1 : 0;
    doc.texts[index] = QStringLiteral("untouched");
    parseStart(doc, index, entry, static_cast<std::int16_t>(format));
    QCOMPARE(doc.objects[index].start, start);
    QCOMPARE(doc.objects[index].digits, digits);
    QCOMPARE(doc.objects[index].zeros, zeros);
    QCOMPARE(doc.objects[index].format, format);
    QCOMPARE(doc.texts[index], text);
    QCOMPARE(doc.objects[0].start, 125);
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
    DocumentState doc(1);
    addNumber(doc, 0, 0, 125, 5);
    doc.texts[0] = QStringLiteral("00125");
    QVERIFY_THROWS_EXCEPTION(PaginetteError, parseStart(doc, 0, entry, 0));
    QCOMPARE(doc.objects[0].start, 125);
    QCOMPARE(doc.objects[0].digits, 5);
    QCOMPARE(doc.texts[0], QStringLiteral("00125"));
}

void NumberingTest::hexadecimalTextsReadBackToTheSameValue()
{
    DocumentState doc(1);
    addNumber(doc, 0, 0, 0, 5);
    parseStart(doc, 0, QStringLiteral("00ff"), 1);
    formatStartTexts(doc);
    QCOMPARE(doc.texts[0], QStringLiteral("00FF"));

    // Applying the shown text again keeps the value and the width.
    parseStart(doc, 0, doc.texts[0], 1);
    QCOMPARE(doc.objects[0].start, 255);
    QCOMPARE(doc.objects[0].digits, 4);

    // Pages show the unsigned 32-bit value, never a minus sign.
    parseStart(doc, 0, QStringLiteral("fffffffe"), 1);
    formatPage(doc, 3);
    QCOMPARE(doc.texts[0], QStringLiteral("00000000"));
    formatPage(doc, 2);
    QCOMPARE(doc.texts[0], QStringLiteral("FFFFFFFF"));
    parseStart(doc, 0, doc.texts[0], 1);
    QCOMPARE(doc.objects[0].start, -1);

    QCOMPARE(numberValueText(doc.objects[0], -5, false), QStringLiteral("FFFFFFFB"));
    mainStruct2 decimal = zeroRecord();
    QCOMPARE(numberValueText(decimal, -5, false), QStringLiteral("-5"));
    QCOMPARE(numberValueText(decimal, -5, true), QStringLiteral("4294967291"));
}

void NumberingTest::endTextShowsLastPrintedPageWithoutSideEffects()
{
    DocumentState doc(2);
    addNumber(doc, 0, 0, 125, 5);
    const int index = addNumber(doc, 0, 0, 1, 2, 10);
    formatPage(doc, 1);
    doc.pagesToPrint = 11;

    QCOMPARE(endText(doc, index), QStringLiteral("10"));
    QCOMPARE(endText(doc, 0), QStringLiteral("00135"));
    QCOMPARE(doc.texts[0], QStringLiteral("00125"));
    QCOMPARE(doc.texts[index], QStringLiteral("01"));
    QCOMPARE(doc.objects[index].zeros, 1);

    doc.objects[index].start = -5;
    doc.objects[index].stepPage = 0;
    doc.objects[index].digits = 4;
    QCOMPARE(endText(doc, index), QStringLiteral("00-5"));
    doc.objects[index].format = 1;
    QCOMPARE(endText(doc, index), QStringLiteral("FFFF"));

    QVERIFY(endText(doc, 2).isEmpty());
    QVERIFY(endText(doc, -1).isEmpty());
}

QTEST_APPLESS_MAIN(NumberingTest)
#include "tst_numbering.moc"
