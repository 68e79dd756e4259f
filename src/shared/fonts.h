// The fonts the windows ask for, and the stand-ins for machines that lack them.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace lumivar {

// A font as the windows ask for it: a family named the Windows way and a size
// in points, regular weight.
struct FontRequest {
    std::string_view family;
    double pointSize = 0.0;
};

inline constexpr FontRequest kSansSerif825{"MS Sans Serif", 8.25};
inline constexpr FontRequest kSansSerif12{"MS Sans Serif", 12.0};
inline constexpr FontRequest kBookAntiqua975{"Book Antiqua", 9.75};

// Whether the font has serifs, for the stand-ins a machine without it gets.
[[nodiscard]] constexpr bool isSerif(const FontRequest& request)
{
    return request.family == kBookAntiqua975.family;
}

// What stands in for a designed family on a machine without it, best first,
// before the toolkit's own generic family: the families of Windows, of Linux
// and of other systems in one list, as each has only some of them. Windows
// takes only outline faces, the designed one included: "MS Sans Serif" is a
// bitmap font there, which neither grows with the resolution nor prints.
inline constexpr std::array<std::string_view, 7> kSansSerifStandIns{
    "Microsoft Sans Serif", "Tahoma", "Liberation Sans", "Arimo", "Arial", "Verdana", "DejaVu Sans"};
inline constexpr std::array<std::string_view, 8> kSerifStandIns{
    "Palatino Linotype", "Palatino",        "TeX Gyre Pagella", "P052",
    "URW Palladio L",    "Times New Roman", "Georgia",          "DejaVu Serif"};

[[nodiscard]] constexpr std::span<const std::string_view> standInsFor(const FontRequest& request)
{
    return isSerif(request) ? std::span<const std::string_view>(kSerifStandIns)
                            : std::span<const std::string_view>(kSansSerifStandIns);
}

} // namespace lumivar
