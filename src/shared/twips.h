#pragma once

namespace lumivar {

// A twip is 1/1440 inch; at 96 logical dots per inch a logical pixel holds 15.
inline constexpr int kTwipsPerPixel = 15;

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

} // namespace lumivar
