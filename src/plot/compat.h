// Stand-ins for the standard functions older standard libraries lack.
#pragma once

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <system_error>
#include <type_traits>

#if __has_include(<bit>)
#include <bit>
#endif

// The few standard functions that older standard libraries lack (the
// browser build's libc++ 13 among them), each with a stand-in that gives
// the same results, used only where the library has no function of its own.
namespace lumivar::compat {

template <typename To, typename From> [[nodiscard]] To bitCast(const From& from)
{
    static_assert(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<From>);
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<To>(from);
#else
    To to;
    std::memcpy(&to, &from, sizeof(to));
    return to;
#endif
}

// std::to_chars(first, last, value) for a float: the shortest text that
// reads back as the value, fixed or scientific, whichever is shorter (fixed
// on a tie), as printf would print it.
inline std::to_chars_result toCharsFallback(char* first, char* last, float value)
{
    const auto readsBack = [value](const char* text) { return std::strtof(text, nullptr) == value; };
    std::string shortest;
    if (!std::isfinite(value)) {
        shortest = std::isnan(value) ? (std::signbit(value) ? "-nan" : "nan") : (value < 0 ? "-inf" : "inf");
    } else {
        constexpr int kMostFloatDigits = 9;
        constexpr int kMostFractionDigits = 160; // past the smallest subnormal's
        char text[256];
        std::string scientific;
        for (int digits = 1; digits <= kMostFloatDigits && scientific.empty(); ++digits) {
            std::snprintf(text, sizeof(text), "%.*e", digits - 1, double{value});
            if (readsBack(text)) {
                scientific = text;
            }
        }
        std::string fixed;
        for (int digits = 0; digits <= kMostFractionDigits && fixed.empty(); ++digits) {
            std::snprintf(text, sizeof(text), "%.*f", digits, double{value});
            if (readsBack(text)) {
                fixed = text;
            }
        }
        shortest = fixed.size() <= scientific.size() ? fixed : scientific;
    }
    if (last - first < static_cast<std::ptrdiff_t>(shortest.size())) {
        return {last, std::errc::value_too_large};
    }
    return {first + shortest.copy(first, shortest.size()), std::errc{}};
}

// std::from_chars(first, last, value) for a double, for texts of digits, at
// most one full stop and an exponent; beyond double range it reports
// result_out_of_range and leaves the value alone.
inline std::from_chars_result fromCharsFallback(const char* first, const char* last, double& value)
{
    const std::string text(first, last);
    char* end = nullptr;
    errno = 0;
    const double read = std::strtod(text.c_str(), &end);
    const std::from_chars_result result{first + (end - text.c_str()), std::errc{}};
    if (end == text.c_str()) {
        return {first, std::errc::invalid_argument};
    }
    if (errno == ERANGE && (read == 0.0 || std::isinf(read))) {
        return {result.ptr, std::errc::result_out_of_range};
    }
    value = read;
    return result;
}

// The range algorithms the program uses; libc++ before 15 has few of them.
namespace ranges {
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 15000
template <typename Range, typename Predicate> constexpr auto find_if(Range&& range, Predicate predicate)
{
    return std::find_if(std::begin(range), std::end(range), predicate);
}
template <typename Range, typename Value>
constexpr void replace(Range&& range, const Value& from, const Value& to)
{
    std::replace(std::begin(range), std::end(range), from, to);
}
template <typename Range, typename Compare, typename Projection>
void sort(Range&& range, Compare compare, Projection projection)
{
    std::sort(std::begin(range), std::end(range),
              [&](const auto& a, const auto& b) { return compare(projection(a), projection(b)); });
}
template <typename First, typename Second, typename Predicate, typename Projection1, typename Projection2>
constexpr bool equal(const First& first, const Second& second, Predicate predicate, Projection1 projection1,
                     Projection2 projection2)
{
    return std::equal(std::begin(first), std::end(first), std::begin(second), std::end(second),
                      [&](const auto& a, const auto& b) {
                          return predicate(std::invoke(projection1, a), std::invoke(projection2, b));
                      });
}
#else
using std::ranges::equal;
using std::ranges::find_if;
using std::ranges::replace;
using std::ranges::sort;
#endif
} // namespace ranges

#if defined(__cpp_lib_to_chars)
inline std::to_chars_result toChars(char* first, char* last, float value)
{
    return std::to_chars(first, last, value);
}
inline std::from_chars_result fromChars(const char* first, const char* last, double& value)
{
    return std::from_chars(first, last, value);
}
#else
inline std::to_chars_result toChars(char* first, char* last, float value)
{
    return toCharsFallback(first, last, value);
}
inline std::from_chars_result fromChars(const char* first, const char* last, double& value)
{
    return fromCharsFallback(first, last, value);
}
#endif

} // namespace lumivar::compat
