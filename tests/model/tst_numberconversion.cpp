#include "numberconversion.h"
#include "paginetteerror.h"

#include <QTest>

#include <cstdint>
#include <limits>

class NumberConversionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void convertsNumbers_data();
    void convertsNumbers();
    void rejectsNonNumbers_data();
    void rejectsNonNumbers();
};

void NumberConversionTest::convertsNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::int32_t>("expected");

    QTest::newRow("integer") << "12" << 12;
    QTest::newRow("negative") << "-3" << -3;
    QTest::newRow("plus sign") << "+8" << 8;
    QTest::newRow("leading zeros") << "007" << 7;
    QTest::newRow("fraction truncated") << "1.5" << 1;
    QTest::newRow("negative fraction toward zero") << "-1.9" << -1;
    QTest::newRow("blanks around") << "  7 " << 7;
    QTest::newRow("exponent") << "1e3" << 1000;
    QTest::newRow("upper-case exponent with sign") << "25E+1" << 250;
    QTest::newRow("fraction with exponent") << "1.5e1" << 15;
    QTest::newRow("negative exponent truncates") << "12345e-2" << 123;
    QTest::newRow("tiny") << "1e-5" << 0;
    QTest::newRow("only fraction") << ".5" << 0;
    QTest::newRow("trailing point") << "5." << 5;
    QTest::newRow("minus zero") << "-0" << 0;
    QTest::newRow("int32 max") << "2147483647" << std::numeric_limits<std::int32_t>::max();
    QTest::newRow("int32 min") << "-2147483648" << std::numeric_limits<std::int32_t>::min();
    QTest::newRow("one past int32 max wraps")
        << "2147483648" << std::numeric_limits<std::int32_t>::min();
    QTest::newRow("2^32 wraps to 0") << "4294967296" << 0;
    QTest::newRow("2^32 + 1") << "4294967297" << 1;
    QTest::newRow("-(2^32 + 1)") << "-4294967297" << -1;
    QTest::newRow("unsigned reading of -5") << "4294967291" << -5;
    QTest::newRow("1e20") << "1e20" << 1661992960;
    QTest::newRow("-1e20") << "-1e20" << -1661992960;
    QTest::newRow("23 nines") << "99999999999999999999999" << -159383553;
    QTest::newRow("fraction of a 30-digit number")
        << "123456789012345678901234567890.99" << 1312754386;
    QTest::newRow("huge exponent") << "3e999999999999999999999" << 0;
    QTest::newRow("huge negative exponent") << "3e-999999999999999999999" << 0;
    QTest::newRow("10^31 keeps only the top bit")
        << "1e31" << std::numeric_limits<std::int32_t>::min();
    QTest::newRow("10^32 is a multiple of 2^32") << "7e32" << 0;
    QTest::newRow("point moved by the exponent, then wrapped") << "429496729.75e1" << 1;
}

void NumberConversionTest::convertsNumbers()
{
    QFETCH(QString, text);
    QFETCH(std::int32_t, expected);
    QCOMPARE(textToInt32(text), expected);
}

void NumberConversionTest::rejectsNonNumbers_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << "";
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("inf") << "inf";
    QTest::newRow("infinity") << "-Infinity";
    QTest::newRow("nan") << "nan";
    QTest::newRow("letters") << "abc";
    QTest::newRow("trailing letters") << "12abc";
    QTest::newRow("hexadecimal prefix") << "0x10";
    QTest::newRow("point only") << ".";
    QTest::newRow("sign only") << "-";
    QTest::newRow("exponent without digits") << "1e";
    QTest::newRow("exponent sign without digits") << "1e+";
    QTest::newRow("two points") << "1.2.3";
    QTest::newRow("inner blank") << "1 2";
    QTest::newRow("two signs") << "--1";
}

void NumberConversionTest::rejectsNonNumbers()
{
    QFETCH(QString, text);
    try {
        textToInt32(text);
        QFAIL("no error raised");
    } catch (const PaginetteError &error) {
        QCOMPARE(error.message(),
                 QStringLiteral("'%1' is not a valid floating point value").arg(text));
    }
}

QTEST_APPLESS_MAIN(NumberConversionTest)
#include "tst_numberconversion.moc"
