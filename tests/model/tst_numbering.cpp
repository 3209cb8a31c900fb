#include "numbering.h"
#include "paginetteerror.h"
#include "servicesrecorder.h"

#include <QTest>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>

namespace {

constexpr std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();

int addObject(DocumentState &doc, std::int32_t kind, std::int32_t start, std::int32_t stepPage,
              std::int16_t digits)
{
    const int n = doc.objectCount++;
    mainStruct2 &object = doc.objects[n];
    object = zeroRecord();
    object.kind = kind;
    object.start = start;
    object.stepPage = stepPage;
    object.stepLink = 1;
    object.digits = digits;
    object.linkId = object.linkPrev = object.linkNext = -1;
    doc.drawOrder[n] = n;
    return n;
}

int addNumber(DocumentState &doc, std::int32_t start, std::int32_t stepPage, std::int16_t digits)
{
    return addObject(doc, KindNumber, start, stepPage, digits);
}

// Chains the objects, in the order given, into link `link`.
void chain(DocumentState &doc, std::int32_t link, std::initializer_list<int> members)
{
    int previous = -1;
    for (const int index : members) {
        doc.objects[index].linkId = link;
        doc.objects[index].linkPrev = previous;
        if (previous != -1)
            doc.objects[previous].linkNext = index;
        previous = index;
    }
    doc.linkCount = std::max(doc.linkCount, link + 1);
}

} // namespace

class NumberingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { services() = Services{}; }

    void valueOnPageWrapsIn32Bits();
    void formatNumber_data();
    void formatNumber();
    void zeroDigitsBeepAndShowNothing();
    void pagesAdvanceByStep();
    void longPageTextIsCut();
    void negativeValueOnPageAndAtStart();
    void pageFormattingLeavesOtherKindsAlone();
    void linkPropagatesStartAndDigits();
    void linkWithTextMember();
    void linkPropagationWrapsAndStopsOnDamagedChains();
    void linksPropagateInLinkNumberOrder();
    void decimalStart_data();
    void decimalStart();
    void invalidDecimalStartChangesNothing_data();
    void invalidDecimalStartChangesNothing();
    void hexadecimalStart_data();
    void hexadecimalStart();
    void hexadecimalTextsReadBackToTheSameValue();
    void endTextShowsLastPrintedPageWithoutSideEffects();
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

    QTest::newRow("zero-filled") << "125" << 5 << "00125" << 2;
    QTest::newRow("exact width") << "12345" << 5 << "12345" << 0;
    QTest::newRow("cut to leading characters") << "101" << 2 << "10" << -1;
    QTest::newRow("zeros go before the minus sign") << "-5" << 4 << "00-5" << 2;
    QTest::newRow("minus sign counts") << "-123" << 3 << "-12" << -1;
    QTest::newRow("unsigned -5 cut") << "4294967291" << 4 << "4294" << -6;
    QTest::newRow("wide") << "7" << 12 << "000000000007" << 11;
}

void NumberingTest::formatNumber()
{
    QFETCH(QString, text);
    QFETCH(int, digits);
    QFETCH(QString, expected);
    QFETCH(int, expectedZeros);
    ServicesRecorder recorder;

    std::int16_t zeros = 99;
    QCOMPARE(::formatNumber(text, static_cast<std::int16_t>(digits), &zeros), expected);
    QCOMPARE(zeros, expectedZeros);
    QCOMPARE(recorder.beeps, 0);
}

void NumberingTest::zeroDigitsBeepAndShowNothing()
{
    ServicesRecorder recorder;
    std::int16_t zeros = 3;
    QVERIFY(::formatNumber(QStringLiteral("125"), 0, &zeros).isEmpty());
    QCOMPARE(recorder.beeps, 1);
    QCOMPARE(zeros, 3);

    QVERIFY(::formatNumber(QStringLiteral("125"), -4).isEmpty());
    QCOMPARE(recorder.beeps, 2);

    DocumentState doc(3);
    addNumber(doc, 125, 1, 0);
    addNumber(doc, 125, 1, 0);
    formatPage(doc, 1);
    QCOMPARE(recorder.beeps, 4);
    QVERIFY(doc.texts[0].isEmpty());
}

void NumberingTest::pagesAdvanceByStep()
{
    ServicesRecorder recorder;
    DocumentState doc(2);
    addNumber(doc, 125, 1, 5);
    const QStringList expected{"00125", "00126", "00127"};
    for (int page = 1; page <= 3; ++page) {
        formatPage(doc, page);
        QCOMPARE(doc.texts[0], expected[page - 1]);
        QCOMPARE(doc.objects[0].zeros, 2);
    }
}

void NumberingTest::longPageTextIsCut()
{
    ServicesRecorder recorder;
    DocumentState doc(1);
    addNumber(doc, 1, 10, 2);
    formatPage(doc, 10);
    QCOMPARE(doc.texts[0], QStringLiteral("91"));
    QCOMPARE(doc.objects[0].zeros, 0);
    formatPage(doc, 11);
    QCOMPARE(doc.texts[0], QStringLiteral("10"));
    QCOMPARE(doc.objects[0].zeros, -1);
    // The width comes from the value formed now, not from the cut one before.
    formatPage(doc, 1);
    QCOMPARE(doc.texts[0], QStringLiteral("01"));
    QCOMPARE(doc.objects[0].zeros, 1);
}

void NumberingTest::negativeValueOnPageAndAtStart()
{
    ServicesRecorder recorder;
    DocumentState doc(1);
    addNumber(doc, -5, 1, 4);
    formatPage(doc, 1);
    QCOMPARE(doc.texts[0], QStringLiteral("00-5"));
    formatStartTexts(doc);
    QCOMPARE(doc.texts[0], QStringLiteral("4294"));
    QCOMPARE(doc.objects[0].zeros, -6);
}

void NumberingTest::pageFormattingLeavesOtherKindsAlone()
{
    ServicesRecorder recorder;
    DocumentState doc(3);
    addObject(doc, KindText, 1, 1, 5);
    doc.texts[0] = QStringLiteral("Hello!");
    addObject(doc, KindPicture, 1, 1, 5);
    doc.texts[1] = QString();
    addNumber(doc, 3, 1, 2);
    formatPage(doc, 2);
    formatStartTexts(doc);
    QCOMPARE(doc.texts[0], QStringLiteral("Hello!"));
    QVERIFY(doc.texts[1].isEmpty());
    QCOMPARE(doc.texts[2], QStringLiteral("03"));
    // Slots beyond the live objects are not touched.
    QCOMPARE(doc.objects[0].zeros, 0);
}

void NumberingTest::linkPropagatesStartAndDigits()
{
    ServicesRecorder recorder;
    DocumentState doc(4);
    const int head = addNumber(doc, 100, 1, 3);
    const int second = addNumber(doc, 7, 1, 8);
    const int third = addNumber(doc, 9, 1, 1);
    doc.objects[head].stepLink = 5;
    doc.objects[second].stepLink = 5;
    doc.objects[third].stepLink = 5;
    doc.objects[third].stepPage = 2;
    chain(doc, 0, {head, second, third});

    propagateLinks(doc);
    QCOMPARE(recorder.layouts, 1);
    QCOMPARE(doc.objects[head].start, 100);
    QCOMPARE(doc.objects[second].start, 105);
    QCOMPARE(doc.objects[third].start, 110);
    QCOMPARE(doc.objects[third].digits, 3);
    QCOMPARE(doc.texts[third], QStringLiteral("110"));

    formatPage(doc, 1);
    QCOMPARE(doc.texts[head], QStringLiteral("100"));
    QCOMPARE(doc.texts[second], QStringLiteral("105"));
    QCOMPARE(doc.texts[third], QStringLiteral("110"));
    // Each member keeps its own page step.
    formatPage(doc, 2);
    QCOMPARE(doc.texts[head], QStringLiteral("101"));
    QCOMPARE(doc.texts[second], QStringLiteral("106"));
    QCOMPARE(doc.texts[third], QStringLiteral("112"));

    // An edited Start of a later member does not last.
    doc.objects[second].start = 500;
    propagateLinks(doc);
    QCOMPARE(doc.objects[second].start, 105);

    // Links run in any table order: the chain, not the index, decides.
    DocumentState reversed(3);
    for (int i = 0; i < 3; ++i)
        addNumber(reversed, 0, 1, 2);
    reversed.objects[2].start = 40;
    chain(reversed, 0, {2, 1, 0});
    propagateLinks(reversed);
    QCOMPARE(reversed.objects[1].start, 41);
    QCOMPARE(reversed.objects[0].start, 42);
    QCOMPARE(reversed.texts[0], QStringLiteral("42"));
}

void NumberingTest::linkWithTextMember()
{
    ServicesRecorder recorder;
    DocumentState doc(2);
    const int number = addNumber(doc, 125, 1, 5);
    const int text = addObject(doc, KindText, 0, 0, 0);
    doc.texts[text] = QStringLiteral("Hello!");
    chain(doc, 0, {number, text});

    propagateLinks(doc);
    QCOMPARE(doc.texts[text], QStringLiteral("00126"));
    for (int page = 1; page <= 3; ++page) {
        formatPage(doc, page);
        QCOMPARE(doc.texts[text], QStringLiteral("00126"));
    }
}

void NumberingTest::linkPropagationWrapsAndStopsOnDamagedChains()
{
    ServicesRecorder recorder;
    DocumentState doc(5);
    const int head = addNumber(doc, int32Max, 1, 10);
    const int next = addNumber(doc, 0, 1, 2);
    chain(doc, 0, {head, next});
    propagateLinks(doc);
    QCOMPARE(doc.objects[next].start, int32Min);
    QCOMPARE(doc.texts[next], QStringLiteral("2147483648"));

    // A cycle behind a head and a pointer past the table must both end.
    const int a = addNumber(doc, 1, 1, 1);
    const int b = addNumber(doc, 0, 1, 1);
    const int c = addNumber(doc, 0, 1, 1);
    chain(doc, 1, {a, b, c});
    doc.objects[c].linkNext = b;
    doc.objects[next].linkNext = 4000;
    propagateLinks(doc);
    QCOMPARE(recorder.layouts, 2);
    QCOMPARE(doc.objects[a].start, 1);
    QVERIFY(doc.objects[b].start >= 2);
    QVERIFY(doc.objects[c].start >= 3);
    QCOMPARE(doc.objects[next].start, int32Min);
}

void NumberingTest::linksPropagateInLinkNumberOrder()
{
    ServicesRecorder recorder;
    DocumentState doc(3);
    // Two damaged links share their second member: the higher link number,
    // whose head comes first in the table, runs last and wins.
    const int headOfLink1 = addNumber(doc, 100, 1, 3);
    const int headOfLink0 = addNumber(doc, 200, 1, 3);
    const int shared = addNumber(doc, 0, 1, 3);
    chain(doc, 1, {headOfLink1, shared});
    doc.objects[headOfLink0].linkId = 0;
    doc.objects[headOfLink0].linkNext = shared;
    propagateLinks(doc);
    QCOMPARE(doc.objects[shared].start, 101);
}

void NumberingTest::decimalStart_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<std::int32_t>("start");
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("zeros");
    QTest::addColumn<QString>("text");

    QTest::newRow("007") << "007" << 7 << 3 << 2 << "7";
    QTest::newRow("125") << "125" << 125 << 3 << 0 << "125";
    QTest::newRow("fraction") << "1.5" << 1 << 3 << 2 << "1";
    QTest::newRow("negative") << "-3" << -3 << 2 << -8 << "4294967293";
    QTest::newRow("blanks count") << " 42 " << 42 << 4 << 2 << "42";
    QTest::newRow("1e20") << "1e20" << 1661992960 << 4 << -6 << "1661992960";
    QTest::newRow("23 nines") << "99999999999999999999999" << -159383553 << 23 << 13
                              << "4135583743";
}

void NumberingTest::decimalStart()
{
    QFETCH(QString, entry);
    QFETCH(std::int32_t, start);
    QFETCH(int, digits);
    QFETCH(int, zeros);
    QFETCH(QString, text);
    ServicesRecorder recorder;

    DocumentState doc(2);
    addNumber(doc, 125, 1, 5);
    const int index = addNumber(doc, 125, 1, 5);
    doc.objects[index].format = 1;
    parseStart(doc, index, entry, 0);
    QCOMPARE(doc.objects[index].start, start);
    QCOMPARE(doc.objects[index].digits, digits);
    QCOMPARE(doc.objects[index].zeros, zeros);
    QCOMPARE(doc.objects[index].format, 0);
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
    ServicesRecorder recorder;
    DocumentState doc(1);
    addNumber(doc, 125, 1, 5);
    doc.texts[0] = QStringLiteral("00125");
    QVERIFY_THROWS_EXCEPTION(PaginetteError, parseStart(doc, 0, entry, 0));
    QCOMPARE(doc.objects[0].start, 125);
    QCOMPARE(doc.objects[0].digits, 5);
    QCOMPARE(doc.texts[0], QStringLiteral("00125"));
}

void NumberingTest::hexadecimalStart_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<std::int32_t>("start");
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("zeros");

    QTest::newRow("1A") << "1A" << 26 << 2 << 0;
    QTest::newRow("00ff") << "00ff" << 255 << 4 << 2;
    QTest::newRow("only 8 characters read") << "123456789" << 305419896 << 9 << 0;
    QTest::newRow("not a hex digit") << "1G" << -1 << 2 << 0;
    QTest::newRow("bad character past the eighth is ignored") << "0000000AZ" << 10 << 9 << 7;
    QTest::newRow("all bits") << "FFFFFFFF" << -1 << 8 << 0;
    QTest::newRow("top bit") << "80000000" << int32Min << 8 << 0;
    QTest::newRow("empty") << "" << 0 << 0 << 0;
    QTest::newRow("blank is not a digit") << " 1" << -1 << 2 << 0;
}

void NumberingTest::hexadecimalStart()
{
    QFETCH(QString, entry);
    QFETCH(std::int32_t, start);
    QFETCH(int, digits);
    QFETCH(int, zeros);
    ServicesRecorder recorder;

    DocumentState doc(1);
    addNumber(doc, 125, 1, 5);
    doc.texts[0] = QStringLiteral("untouched");
    parseStart(doc, 0, entry, 1);
    QCOMPARE(doc.objects[0].start, start);
    QCOMPARE(doc.objects[0].digits, digits);
    QCOMPARE(doc.objects[0].zeros, zeros);
    QCOMPARE(doc.objects[0].format, 1);
    QCOMPARE(doc.texts[0], QStringLiteral("untouched"));
}

void NumberingTest::hexadecimalTextsReadBackToTheSameValue()
{
    ServicesRecorder recorder;
    DocumentState doc(1);
    addNumber(doc, 0, 1, 5);
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
    ServicesRecorder recorder;
    DocumentState doc(2);
    addNumber(doc, 125, 1, 5);
    const int index = addNumber(doc, 1, 10, 2);
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
