// Any bytes through the number reader of the parameter boxes, checked against
// what must hold for every text.
#include "plot/text_to_number.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

bool sameValue(double a, double b)
{
    return a == b && std::signbit(a) == std::signbit(b);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double value = lumivar::textToNumber(text);
    require(!std::isnan(value));

    // Blanks, tabs and line feeds in front change nothing.
    require(sameValue(lumivar::textToNumber(" \t\n " + text), value));

    // Nor do they anywhere inside.
    if (size > 0) {
        const std::size_t at = data[0] % (size + 1);
        static constexpr std::string_view kIgnored[] = {" ", "\t", "\n", " \n\t "};
        std::string spaced = text;
        spaced.insert(at, kIgnored[data[size - 1] % 4]);
        require(sameValue(lumivar::textToNumber(spaced), value));
    }

    // A plain decimal integer of up to 15 digits is read exactly.
    std::string digits;
    for (std::size_t i = 0; i < size && digits.size() < 15; ++i) {
        digits.push_back(static_cast<char>('0' + data[i] % 10));
    }
    if (!digits.empty()) {
        const double expected = static_cast<double>(std::strtoull(digits.c_str(), nullptr, 10));
        require(lumivar::textToNumber(digits) == expected);
        require(lumivar::textToNumber("-" + digits) == -expected);
    }
    return 0;
}
