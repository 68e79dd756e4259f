#include "light_curve.h"

#include "plane.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>

namespace lumivar {

namespace {

// Walks a text as the number reader sees it: blanks, tabs and line feeds do
// not exist for it.
class SignificantChars {
public:
    explicit SignificantChars(std::string_view text) : m_text(text) { skipIgnored(); }

    [[nodiscard]] bool atEnd() const { return m_pos == m_text.size(); }
    [[nodiscard]] char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }

    void advance()
    {
        ++m_pos;
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

private:
    void skipIgnored()
    {
        while (m_pos < m_text.size()
               && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' || m_text[m_pos] == '\n')) {
            ++m_pos;
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

bool isDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

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

// Collects the decimal number at the reader's position in the compact form
// std::from_chars reads ("123.45e-6"), and the rough decimal magnitude needed
// to tell an overflow from an underflow when from_chars gives up on range.
struct DecimalText {
    std::string text;
    bool negative = false;
    bool hasMantissaDigits = false;
    long long magnitude = 0; // about log10 of the value
};

void appendDigits(SignificantChars& chars, std::string& out)
{
    while (isDecimalDigit(chars.peek())) {
        out.push_back(chars.peek());
        chars.advance();
    }
}

DecimalText collectDecimal(SignificantChars& chars)
{
    DecimalText number;
    if (chars.peek() == '+' || chars.peek() == '-') {
        number.negative = chars.peek() == '-';
        chars.advance();
    }

    appendDigits(chars, number.text);
    const std::size_t integerDigits = number.text.size();
    std::size_t fractionDigits = 0;
    if (chars.peek() == '.') {
        number.text.push_back('.');
        chars.advance();
        appendDigits(chars, number.text);
        fractionDigits = number.text.size() - integerDigits - 1;
    }
    number.hasMantissaDigits = integerDigits + fractionDigits > 0;
    if (!number.hasMantissaDigits) {
        return number;
    }

    const std::size_t firstNonZero = number.text.find_first_not_of("0.");
    if (firstNonZero != std::string::npos) {
        number.magnitude = firstNonZero < integerDigits
                               ? static_cast<long long>(integerDigits - firstNonZero)
                               : -static_cast<long long>(firstNonZero - integerDigits);
    }

    if (chars.take('E')) {
        std::string exponent = "e";
        if (chars.peek() == '+' || chars.peek() == '-') {
            exponent.push_back(chars.peek());
            chars.advance();
        }
        const std::size_t signLength = exponent.size();
        appendDigits(chars, exponent);
        if (exponent.size() > signLength) {
            number.text += exponent;
            constexpr long long kSaturation = 1'000'000'000;
            long long value = 0;
            for (std::size_t i = signLength; i < exponent.size() && value < kSaturation; ++i) {
                value = value * 10 + (exponent[i] - '0');
            }
            number.magnitude += exponent[1] == '-' ? -value : value;
        }
    }
    return number;
}

double convertDecimal(const DecimalText& number)
{
    if (!number.hasMantissaDigits) {
        return 0.0;
    }
    double value = 0.0;
    const char* first = number.text.data();
    const auto [end, error] = std::from_chars(first, first + number.text.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        value = number.magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return number.negative ? -value : value;
}

// An intermediate result the plot cannot go on with.
std::optional<PlotFault> faultOf(double value)
{
    if (std::isnan(value)) {
        return PlotFault::InvalidOperation;
    }
    if (std::isinf(value)) {
        return PlotFault::Overflow;
    }
    return std::nullopt;
}

// The smallest magnitude that rounds to infinity in single precision: half
// way from the largest float to the next power of two, where the tie goes
// to the even neighbour, infinity.
constexpr double kFloatOverflowAt = (2.0 - 0x1p-24) * 0x1p127;

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
    return convertDecimal(collectDecimal(chars));
}

CurveParameters readParameters(const CurveInput& input)
{
    return {textToNumber(input.texts[0]), textToNumber(input.texts[1]), textToNumber(input.texts[2]),
            textToNumber(input.texts[3])};
}

PlotOutcome plotCurves(Surface& plane, PlotCursor& cursor, const CurveInput& input)
{
    DisegnaAssi(plane, cursor);

    // The sample point lives in registers while the loop runs and is
    // written back when it stops; the points go to the plane in batches, in
    // the order they were computed, one call for many.
    float x = cursor.x;
    float y = cursor.y;
    std::array<PlanePoint, 256> batch{};
    std::size_t batched = 0;
    const auto flush = [&] {
        plane.setPoints(std::span(batch.data(), batched), kCurveRed);
        batched = 0;
        cursor = {x, y};
    };
    PlotOutcome outcome;
    const auto stopWith = [&](PlotFault fault) {
        flush();
        outcome.fault = fault;
        outcome.faultAbscissa = x;
        return outcome;
    };

    const float outerWidth = plane.outerWidthTwips();
    if (outerWidth == 0.0F) {
        return stopWith(PlotFault::DivisionByZero);
    }
    const float step = (kPlaneRight - kPlaneLeft) / outerWidth;
    if (std::isinf(step)) {
        return stopWith(PlotFault::Overflow);
    }

    // Converted at the first sample that needs them: with the box unticked
    // the texts are never read.
    std::optional<CurveParameters> parameters;

    x = kPlaneLeft;
    while (x <= kPlaneRight) {
        if (input.curveTicked && x > 0.0F) {
            if (!parameters) {
                parameters = readParameters(input);
            }
            const CurveParameters& p = *parameters;
            const double phase = (double{x} + p.startValue) * p.frequency;
            if (const auto fault = faultOf(phase)) {
                return stopWith(*fault);
            }
            const double magnitude = p.amplitude * std::sin(phase) + p.meanMagnitude;
            if (const auto fault = faultOf(magnitude)) {
                return stopWith(*fault);
            }
            // Stored rounded to single precision; only what rounds to
            // infinity does not fit (converting it is undefined in C++).
            if (std::fabs(magnitude) >= kFloatOverflowAt) {
                return stopWith(PlotFault::Overflow);
            }
            y = static_cast<float>(magnitude);
            if (y >= kPlaneBottom && y <= kPlaneTop) {
                batch[batched++] = {x, y};
                ++outcome.pointsSet;
                if (batched == batch.size()) {
                    flush();
                }
            }
        }
        const float next = x + step;
        // A step that no longer moves the abscissa (a negative, infinite or
        // vanishing width) would never end the loop.
        if (!(next > x)) {
            return stopWith(PlotFault::InvalidOperation);
        }
        x = next;
    }
    flush();
    return outcome;
}

} // namespace lumivar
