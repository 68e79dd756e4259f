// Tests of the stand-ins for missing standard functions against the real ones.
#include "plot/compat.h"

#include <QTest>

#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

using namespace lumivar;

class TestCompat : public QObject {
    Q_OBJECT

private slots:
    void floatTextIsTheLibrarys_data();
    void floatTextIsTheLibrarys();
    void decimalReadingIsTheLibrarys();
};

void TestCompat::floatTextIsTheLibrarys_data()
{
    QTest::addColumn<std::uint32_t>("first");
    QTest::addColumn<std::uint32_t>("stride");
    QTest::addColumn<int>("count");
    // Across every exponent, with odd strides so that the last digits vary;
    // the labels' own values densely; the edges of the range.
    QTest::newRow("whole range") << std::uint32_t{0} << std::uint32_t{65'537} << 65'535;
    QTest::newRow("near 1e8, integers past 2^24")
        << compat::bitCast<std::uint32_t>(1.0e8F) << std::uint32_t{1} << 20'000;
    QTest::newRow("labels -18 ... 18") << compat::bitCast<std::uint32_t>(1.0F) << std::uint32_t{97} << 40'000;
    QTest::newRow("subnormals") << std::uint32_t{1} << std::uint32_t{1'009} << 8'000;
    QTest::newRow("largest") << compat::bitCast<std::uint32_t>(std::numeric_limits<float>::max()) - 3'000
                             << std::uint32_t{1} << 3'001;
}

void TestCompat::floatTextIsTheLibrarys()
{
    QFETCH(std::uint32_t, first);
    QFETCH(std::uint32_t, stride);
    QFETCH(int, count);
    std::array<char, 64> expected{};
    std::array<char, 64> seen{};
    std::uint32_t bits = first;
    for (int i = 0; i < count; ++i, bits += stride) {
        for (const float value : {compat::bitCast<float>(bits), -compat::bitCast<float>(bits)}) {
            const auto library = std::to_chars(expected.begin(), expected.end(), value);
            const auto fallback = compat::toCharsFallback(seen.begin(), seen.end(), value);
            const std::string want(expected.data(), library.ptr);
            const std::string got(seen.data(), fallback.ptr);
            if (got != want) {
                QFAIL(qPrintable(QStringLiteral("bits %1: %2, expected %3")
                                     .arg(bits, 8, 16, QLatin1Char('0'))
                                     .arg(QString::fromStdString(got), QString::fromStdString(want))));
            }
        }
    }
}

void TestCompat::decimalReadingIsTheLibrarys()
{
    // Texts as the number reader makes them: 0.digits e exponent.
    std::mt19937_64 random(20261207);
    std::uniform_int_distribution<int> length(1, 40);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> exponent(-340, 320);
    for (int i = 0; i < 60'000; ++i) {
        std::string text = "0.";
        const int digits = length(random);
        for (int d = 0; d < digits; ++d) {
            text += static_cast<char>('1' + digit(random) % 9);
        }
        text += 'e' + std::to_string(exponent(random));
        double library = -1.0;
        double fallback = -1.0;
        const auto a = std::from_chars(text.data(), text.data() + text.size(), library);
        const auto b = compat::fromCharsFallback(text.data(), text.data() + text.size(), fallback);
        QVERIFY2(a.ec == b.ec && a.ptr == b.ptr && (a.ec != std::errc{} || library == fallback),
                 text.c_str());
    }
}

QTEST_APPLESS_MAIN(TestCompat)
#include "test_compat.moc"
