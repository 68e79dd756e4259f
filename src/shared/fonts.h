// The fonts the windows ask for, and the stand-ins for machines that lack them.
#pragma once

#include <array>
#include <cstdint>
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

// Where Windows must differ: it takes only outline faces, as a bitmap face
// neither grows with the screen's resolution nor prints, and the designed
// sans serif is a bitmap face there.
[[nodiscard]] constexpr bool isBitmapOnWindows(const FontRequest& request)
{
    return request.family == kSansSerif825.family;
}

// Which systems look for a stand-in: the Windows program, or the others
// (Linux, and the browsers, which reach the system's own families).
enum class StandInFor : std::uint8_t { Every, Windows, Others };

struct StandIn {
    std::string_view family;
    StandInFor standsInFor;
};

[[nodiscard]] constexpr bool standsInOn(const StandIn& standIn, bool windows)
{
    return standIn.standsInFor == StandInFor::Every
           || (standIn.standsInFor == StandInFor::Windows) == windows;
}

// What stands in for a designed family on a machine without it, best first,
// before the toolkit's own generic family.
inline constexpr std::array<StandIn, 7> kSansSerifStandIns{{
    {"Microsoft Sans Serif", StandInFor::Every},
    {"Tahoma", StandInFor::Windows},
    {"Liberation Sans", StandInFor::Others},
    {"Arimo", StandInFor::Others},
    {"Arial", StandInFor::Every},
    {"Verdana", StandInFor::Windows},
    {"DejaVu Sans", StandInFor::Others},
}};
inline constexpr std::array<StandIn, 8> kSerifStandIns{{
    {"Palatino Linotype", StandInFor::Every},
    {"Palatino", StandInFor::Others},
    {"TeX Gyre Pagella", StandInFor::Others},
    {"P052", StandInFor::Others},
    {"URW Palladio L", StandInFor::Others},
    {"Times New Roman", StandInFor::Windows},
    {"Georgia", StandInFor::Windows},
    {"DejaVu Serif", StandInFor::Others},
}};

[[nodiscard]] constexpr std::span<const StandIn> standInsFor(const FontRequest& request)
{
    return isSerif(request) ? std::span<const StandIn>(kSerifStandIns)
                            : std::span<const StandIn>(kSansSerifStandIns);
}

} // namespace lumivar
