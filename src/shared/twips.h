// The design's units, twips and points, and their pixels.
#pragma once

namespace lumivar {

// The design's units: twips for places, points for fonts, both fractions of
// an inch, shown at 96 logical dots per inch.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kPointsPerInch = 72;
inline constexpr int kDesignDpi = 96;
inline constexpr int kTwipsPerPixel = kTwipsPerInch / kDesignDpi;
static_assert(kTwipsPerInch % kDesignDpi == 0, "a logical pixel holds a whole number of twips");

// A font's size in points as pixels at `dpi` dots per inch.
[[nodiscard]] constexpr double pointsToPixels(double points, int dpi = kDesignDpi)
{
    return points * dpi / kPointsPerInch;
}

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A length in twips as logical pixels, unrounded, for drawing at another
// resolution.
[[nodiscard]] constexpr double twipsToPixels(int twips)
{
    return static_cast<double>(twips) / kTwipsPerPixel;
}

// Logical pixels as twips, for a size the window was given.
[[nodiscard]] constexpr int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

// A place in twips as whole logical pixels, as a window lays itself out.
struct LogicalRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

[[nodiscard]] constexpr LogicalRect logicalPixels(const TwipsRect& twips)
{
    return {twips.left / kTwipsPerPixel, twips.top / kTwipsPerPixel, twips.width / kTwipsPerPixel,
            twips.height / kTwipsPerPixel};
}

} // namespace lumivar
