// Where a new main window goes on the screen: the designed size, or what
// the screen's usable area leaves of it, kept within that area.
#pragma once

#include <algorithm>

namespace lumivar {

struct ScreenSize {
    int width = 0;
    int height = 0;
};

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Not every window manager keeps a new window within the screen: the
// window takes the design's size, or what the usable area leaves of it, and
// the scroll bars do the rest. Short of height, the vertical bar takes its
// width from the design, unless the window grows by it.
//   designed  the window's size at the design, as the platform sizes windows
//   room      the most that size may be on this screen
//   area      the screen's usable area, which the window's outer frame keeps within
//   frame     what the outer frame adds to the size
//   placed    where the window manager put the outer frame's top-left corner
//   bar       a vertical scroll bar's width
// Returns the size to give the window and where its outer frame goes.
[[nodiscard]] constexpr ScreenRect fitWindowToScreen(ScreenSize designed, ScreenSize room,
                                                     const ScreenRect& area, ScreenSize frame,
                                                     ScreenPoint placed, int bar)
{
    const int height = std::min(designed.height, room.height);
    const int width = std::min(designed.width + (height < designed.height ? bar : 0), room.width);
    const auto within = [](int at, int first, int last) { return std::max(first, std::min(at, last)); };
    return {within(placed.x, area.left, area.left + area.width - (width + frame.width)),
            within(placed.y, area.top, area.top + area.height - (height + frame.height)), width, height};
}

} // namespace lumivar
