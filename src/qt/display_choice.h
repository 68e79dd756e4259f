#pragma once

#include <cstdint>

namespace lumivar {

// Which display server the program starts on.
enum class Display : std::uint8_t {
    X11,              // an X server answers at DISPLAY
    Wayland,          // only a Wayland compositor answers, and Qt can speak to it
    NoneSet,          // neither DISPLAY nor WAYLAND_DISPLAY is set
    NoneAnswers,      // they are set, but nothing answers there
    NoWaylandSupport, // only Wayland answers, and Qt's Wayland support is not installed
};

// Asks the session's display servers, once, before the toolkit starts: X11
// first, so that help windows open at their designed place, and Wayland
// where no X server answers. Qt is then started on the one chosen, and never
// tries, fails and warns on another.
[[nodiscard]] Display chooseDisplay();

} // namespace lumivar
