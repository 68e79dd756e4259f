// Which display server the program starts on, chosen before the toolkit starts.
#pragma once

#include <cstdint>

namespace lumivar {

// Which display server the program starts on.
enum class Display : std::uint8_t {
    Wayland,          // a Wayland compositor answers, and Qt can speak to it
    X11,              // an X server answers at DISPLAY, and Wayland is not to be had
    NoneSet,          // neither DISPLAY nor WAYLAND_DISPLAY is set
    NoneAnswers,      // they are set, but nothing answers there
    NoWaylandSupport, // only Wayland answers, and Qt's Wayland support is not installed
};

// Asks the session's display servers, once, before the toolkit starts:
// Wayland first, as only a native client is drawn at the output's own scale
// (XWayland enlarges a window drawn at 1x, blurred at 125 % and 150 %), and
// X11 where no compositor answers or Qt's Wayland support is missing. Qt is
// then started on the one chosen, and never tries, fails and warns on another.
[[nodiscard]] Display chooseDisplay();

} // namespace lumivar
