// The parameter boxes' number reader.
#include "text_to_number.h"

#include "compat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

namespace lumivar {

namespace {

// Eight characters at a time: texts may be megabytes long, and most of a
// long one is blanks or digits.
constexpr std::uint64_t kEachByte = 0x0101010101010101U;
constexpr std::uint64_t kHighBits = 0x8080808080808080U;

std::uint64_t load8(const char* at)
{
    std::uint64_t word = 0;
    std::memcpy(&word, at, sizeof(word));
    return word;
}

// The high bit of every byte that is zero, exactly.
std::uint64_t zeroBytes(std::uint64_t word)
{
    return ~(((word & ~kHighBits) + ~kHighBits) | word) & kHighBits;
}

std::uint64_t ignoredBytes(std::uint64_t word)
{
    return zeroBytes(word ^ (kEachByte * ' ')) | zeroBytes(word ^ (kEachByte * '\t'))
           | zeroBytes(word ^ (kEachByte * '\n'));
}

std::uint64_t digitBytes(std::uint64_t word)
{
    const std::uint64_t low = word & ~kHighBits; // no carry between bytes below
    const std::uint64_t atLeastZero = low + kEachByte * (0x80 - '0');
    const std::uint64_t pastNine = low + kEachByte * (0x80 - '9' - 1);
    return atLeastZero & ~pastNine & ~word & kHighBits;
}

// Where the run of characters that `matching` marks ends.
template <typename Matching, typename One>
const char* endOfRun(const char* at, const char* end, Matching matching, One one)
{
    if constexpr (std::endian::native == std::endian::little) {
        while (end - at >= 8) {
            const std::uint64_t marked = matching(load8(at));
            if (marked != kHighBits) {
                return at + std::countr_zero(~marked & kHighBits) / 8;
            }
            at += 8;
        }
    }
    while (at != end && one(*at)) {
        ++at;
    }
    return at;
}

bool isIgnored(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Walks a text as the number reader sees it: blanks, tabs and line feeds do
// not exist for it.
class SignificantChars {
public:
    explicit SignificantChars(std::string_view text) : m_at(text.data()), m_end(text.data() + text.size())
    {
        skipIgnored();
    }

    [[nodiscard]] bool atEnd() const { return m_at == m_end; }
    [[nodiscard]] char peek() const { return atEnd() ? '\0' : *m_at; }

    void advance()
    {
        ++m_at;
        skipIgnored();
    }

    bool take(char upperCaseLetter)
    {
        const char c = peek();
        if (c == upperCaseLetter || c == upperCaseLetter - 'A' + 'a') {
            advance();
            return true;
        }
        return false;
    }

    // The digits from here to the next other character; blanks end the run
    // and are passed over, so the next run may go on with more digits.
    std::string_view digitRun()
    {
        const char* first = m_at;
        m_at = endOfRun(m_at, m_end, digitBytes, isDecimalDigit);
        const std::string_view run(first, static_cast<std::size_t>(m_at - first));
        skipIgnored();
        return run;
    }

private:
    void skipIgnored() { m_at = endOfRun(m_at, m_end, ignoredBytes, isIgnored); }

    const char* m_at;
    const char* m_end;
};

std::optional<int> digitValue(char c, int radix)
{
    int value = radix;
    if (isDecimalDigit(c)) {
        value = c - '0';
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    }
    return value < radix ? std::optional<int>(value) : std::nullopt;
}

// Hexadecimal and octal digits are whole groups of bits: the value is kept
// exactly while it fits in 64 bits, and beyond that as its leading bits, a
// count of the bits after them and whether any of those was set, which is
// all a correctly rounded double needs.
double readInteger(SignificantChars& chars, int radix)
{
    const int bitsPerDigit = radix == 16 ? 4 : 3;
    const std::uint64_t full = std::uint64_t{1} << (64 - bitsPerDigit);
    std::uint64_t leading = 0;
    long long droppedBits = 0;
    bool droppedAny = false;
    while (const auto digit = digitValue(chars.peek(), radix)) {
        if (leading < full) {
            leading = (leading << bitsPerDigit) | static_cast<std::uint64_t>(*digit);
        } else {
            droppedBits += bitsPerDigit;
            droppedAny = droppedAny || *digit != 0;
        }
        chars.advance();
    }
    // At least 61 leading bits: a set lowest bit stands for the dropped ones
    // well below the rounding position of a double.
    const auto rounded = static_cast<double>(leading | (droppedAny ? 1U : 0U));
    constexpr long long kBeyondDoubleRange = 4096;
    return std::ldexp(rounded, static_cast<int>(std::min(droppedBits, kBeyondDoubleRange)));
}

// A decimal number as 0.d1d2d3... x 10^exponent. Beyond the first 800
// significant digits only whether any of them is not zero matters: no
// double needs more to be rounded correctly.
class DecimalMantissa {
public:
    void take(std::string_view run, bool fraction)
    {
        m_anyDigit = m_anyDigit || !run.empty();
        if (m_kept == 0) {
            const std::size_t zeros = std::min(run.find_first_not_of('0'), run.size());
            if (fraction) {
                m_exponent -= static_cast<long long>(zeros);
            }
            run.remove_prefix(zeros);
        }
        if (!fraction) {
            m_exponent += static_cast<long long>(run.size());
        }
        const std::size_t kept = std::min(run.size(), m_digits.size() - m_kept);
        std::copy_n(run.begin(), kept, m_digits.begin() + static_cast<std::ptrdiff_t>(m_kept));
        m_kept += kept;
        run.remove_prefix(kept);
        m_droppedNonZero =
            m_droppedNonZero
            || endOfRun(run.data(), run.data() + run.size(), zeroDigits, isZero) != run.data() + run.size();
    }

    [[nodiscard]] bool anyDigit() const { return m_anyDigit; }

    // The value times 10^shift; nothing when it lies beyond double range,
    // which the sign of its exponent then settles.
    [[nodiscard]] double value(long long shift) const
    {
        if (m_kept == 0) {
            return 0.0;
        }
        std::array<char, kKeptDigits + 32> text{};
        char* out = text.data();
        *out++ = '0';
        *out++ = '.';
        out = std::copy_n(m_digits.begin(), m_kept, out);
        if (m_droppedNonZero) {
            *out++ = '1';
        }
        *out++ = 'e';
        const long long exponent = m_exponent + shift;
        out = std::to_chars(out, text.data() + text.size(), exponent).ptr;
        double value = 0.0;
        if (compat::fromChars(text.data(), out, value).ec == std::errc::result_out_of_range) {
            value = exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        }
        return value;
    }

private:
    static constexpr std::size_t kKeptDigits = 800;

    static bool isZero(char c) { return c == '0'; }
    static std::uint64_t zeroDigits(std::uint64_t word) { return zeroBytes(word ^ (kEachByte * '0')); }

    std::array<char, kKeptDigits> m_digits{};
    std::size_t m_kept = 0;
    bool m_droppedNonZero = false;
    bool m_anyDigit = false;
    long long m_exponent = 0;
};

double readDecimal(SignificantChars& chars)
{
    bool negative = false;
    if (chars.peek() == '+' || chars.peek() == '-') {
        negative = chars.peek() == '-';
        chars.advance();
    }
    DecimalMantissa mantissa;
    while (isDecimalDigit(chars.peek())) {
        mantissa.take(chars.digitRun(), false);
    }
    if (chars.peek() == '.') {
        chars.advance();
        while (isDecimalDigit(chars.peek())) {
            mantissa.take(chars.digitRun(), true);
        }
    }
    if (!mantissa.anyDigit()) {
        return 0.0;
    }

    long long exponent = 0;
    if (chars.take('E')) {
        bool negativeExponent = false;
        if (chars.peek() == '+' || chars.peek() == '-') {
            negativeExponent = chars.peek() == '-';
            chars.advance();
        }
        // Far past any double's range the exponent's exact size no longer
        // matters.
        constexpr long long kSaturation = 1'000'000'000;
        while (isDecimalDigit(chars.peek())) {
            for (const char digit : chars.digitRun()) {
                if (exponent >= kSaturation) {
                    break;
                }
                exponent = exponent * 10 + (digit - '0');
            }
        }
        exponent = negativeExponent ? -exponent : exponent;
    }
    const double value = mantissa.value(exponent);
    return negative ? -value : value;
}

} // namespace

double textToNumber(std::string_view text)
{
    SignificantChars chars(text);
    if (chars.peek() == '&') {
        chars.advance();
        if (chars.take('H')) {
            return readInteger(chars, 16);
        }
        if (chars.take('O')) {
            return readInteger(chars, 8);
        }
        return 0.0;
    }
    return readDecimal(chars);
}

} // namespace lumivar
