// Tests of the number reader.
#include "plot/text_to_number.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

} // namespace

class TestTextToNumber : public QObject {
    Q_OBJECT

private slots:
    void textToNumber_data();
    void textToNumber();
    void longTextsConvert();
};

void TestTextToNumber::textToNumber_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("empty") << QByteArray("") << 0.0;
    QTest::newRow("comma is no decimal point") << QByteArray("1,5") << 1.0;
    QTest::newRow("leading blanks and exponent") << QByteArray("  2.5e1") << 25.0;
    QTest::newRow("letters only") << QByteArray("abc") << 0.0;
    QTest::newRow("stops at a letter") << QByteArray("12abc") << 12.0;
    QTest::newRow("hexadecimal") << QByteArray("&HFF") << 255.0;
    QTest::newRow("hexadecimal lower case") << QByteArray("&hff") << 255.0;
    QTest::newRow("hexadecimal stops at G") << QByteArray("&H1G") << 1.0;
    QTest::newRow("octal") << QByteArray("&O17") << 15.0;
    QTest::newRow("octal stops at 8") << QByteArray("&o178") << 15.0;
    QTest::newRow("prefix without digits") << QByteArray("&H") << 0.0;
    QTest::newRow("unknown prefix") << QByteArray("&Z1") << 0.0;
    QTest::newRow("sign before prefix") << QByteArray("-&H10") << 0.0;
    QTest::newRow("blanks inside") << QByteArray("1 2 3") << 123.0;
    QTest::newRow("tabs and line feeds inside") << QByteArray("\t 4\n2") << 42.0;
    QTest::newRow("blanks inside hexadecimal") << QByteArray("& H 1 0") << 16.0;
    QTest::newRow("carriage return stops") << QByteArray("1\r2") << 1.0;
    QTest::newRow("negative fraction") << QByteArray("-.5") << -0.5;
    QTest::newRow("explicit plus") << QByteArray("+7") << 7.0;
    QTest::newRow("two signs") << QByteArray("+-1") << 0.0;
    QTest::newRow("sign alone") << QByteArray("-") << 0.0;
    QTest::newRow("point alone") << QByteArray(".") << 0.0;
    QTest::newRow("trailing point") << QByteArray("5.") << 5.0;
    QTest::newRow("second point stops") << QByteArray("3.14.15") << 3.14;
    QTest::newRow("exponent without digits") << QByteArray("1e") << 1.0;
    QTest::newRow("exponent sign without digits") << QByteArray("1e+") << 1.0;
    QTest::newRow("exponent with blanks") << QByteArray("1 e - 2") << 0.01;
    QTest::newRow("upper-case exponent") << QByteArray("1E+2") << 100.0;
    QTest::newRow("D is no exponent") << QByteArray("1D2") << 1.0;
    QTest::newRow("C-style hexadecimal is not read") << QByteArray("0x10") << 0.0;
    QTest::newRow("leading zeros") << QByteArray("00000000001") << 1.0;
    QTest::newRow("fifteen digits exactly") << QByteArray("123456789012345") << 123456789012345.0;
    QTest::newRow("correctly rounded") << QByteArray("0.1") << 0.1;
    QTest::newRow("beyond double range") << QByteArray("1E400") << kInfinity;
    QTest::newRow("beyond double range, negative") << QByteArray("-1E400") << -kInfinity;
    QTest::newRow("below double range") << QByteArray("1E-400") << 0.0;
    QTest::newRow("enormous exponent") << QByteArray("1e99999999999999999999") << kInfinity;
    QTest::newRow("zero with enormous exponent") << QByteArray("0e99999999999") << 0.0;
    QTest::newRow("400 digits") << (QByteArray("1") + QByteArray(400, '0')) << kInfinity;
    QTest::newRow("small mantissa, large exponent")
        << (QByteArray("0.") + QByteArray(399, '0') + QByteArray("1e400")) << 1.0;
    QTest::newRow("single overflow is fine for a double") << QByteArray("1E39") << 1e39;
    QTest::newRow("hexadecimal past 2^53, rounded once")
        << QByteArray("&H200000000000018") << 144115188075855904.0;
    // 2^67 + 2^14 + 1: just over half way to the next double, by its last bit.
    QTest::newRow("octal past 2^64, rounded once")
        << QByteArray("&O20000000000000000040001") << 147573952589676445696.0;
}

void TestTextToNumber::textToNumber()
{
    QFETCH(QByteArray, text);
    QFETCH(double, value);
    const double converted =
        lumivar::textToNumber(std::string_view(text.constData(), std::size_t(text.size())));
    // Exactly: QCOMPARE would allow doubles a relative 1e-12.
    QVERIFY2(
        converted == value,
        qPrintable(QStringLiteral("read %1, expected %2").arg(converted, 0, 'g', 17).arg(value, 0, 'g', 17)));
}

void TestTextToNumber::longTextsConvert()
{
    const std::string digits(1'000'000, '7');
    const double value = lumivar::textToNumber(digits);
    QVERIFY(std::isinf(value));

    // A megabyte of blanks and line feeds in front of a number is still that number.
    std::string padded;
    for (int i = 0; i < 500'000; ++i) {
        padded += i % 2 == 0 ? " " : "\n";
    }
    padded += "-2.5e-1";
    QCOMPARE(lumivar::textToNumber(padded), -0.25);

    const std::string fraction = "0." + std::string(999'990, '0') + "1";
    QCOMPARE(lumivar::textToNumber(fraction), 0.0);
}

QTEST_APPLESS_MAIN(TestTextToNumber)
#include "test_text_to_number.moc"
