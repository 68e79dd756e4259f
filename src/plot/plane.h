// The Cartesian plane: its extent, palette, mapping to pixels and label format.
#pragma once

#include "surface.h"

#include <optional>
#include <string>
#include <utility>

namespace lumivar {

inline constexpr float kPlaneLeft = -1.0F;
inline constexpr float kPlaneRight = 18.0F;
inline constexpr float kPlaneBottom = -18.0F;
inline constexpr float kPlaneTop = 18.0F;
inline constexpr PlanePoint kPlaneUpperLeft{kPlaneLeft, kPlaneTop};
inline constexpr PlanePoint kPlaneLowerRight{kPlaneRight, kPlaneBottom};

inline constexpr Rgb kBackgroundWhite{255, 255, 255};
inline constexpr Rgb kAxisBlue{0, 0, 255};
inline constexpr Rgb kGridDark{10, 10, 10};
inline constexpr Rgb kCurveRed{255, 0, 0};

// A user scale as a scale record states it: the plane point at the upper-left
// corner of the interior and the signed extent down to the lower-right one.
struct PlaneScale {
    double left = 0.0;
    double top = 0.0;
    double width = 1.0;
    double height = 1.0;

    [[nodiscard]] static PlaneScale fromCorners(PlanePoint upperLeft, PlanePoint lowerRight);

    friend bool operator==(const PlaneScale&, const PlaneScale&) = default;
};

// Fractional pixel position measured from the interior's upper-left corner.
struct PixelPoint {
    double column = 0.0;
    double row = 0.0;
};

struct PixelIndex {
    int column = 0;
    int row = 0;

    friend constexpr bool operator==(PixelIndex, PixelIndex) = default;
};

// The transform from plane units to the pixels of an interior of a given size,
// and back. A plain value: copy it freely.
class PlaneMapping {
public:
    PlaneMapping() = default;
    PlaneMapping(const PlaneScale& scale, int interiorWidth, int interiorHeight);

    // Inline: every curve sample goes through them.
    [[nodiscard]] PixelPoint toPixel(PlanePoint point) const
    {
        return {(point.x - m_scale.left) * m_pixelsPerUnitX, (point.y - m_scale.top) * m_pixelsPerUnitY};
    }
    [[nodiscard]] PlanePoint toPlane(PixelPoint pixel) const;
    // The pixel a plane point falls on, or nothing when it lies outside the
    // interior (or is not a number).
    [[nodiscard]] std::optional<PixelIndex> pixelOf(PlanePoint point) const
    {
        const PixelPoint pixel = toPixel(point);
        // Written so that NaN fails the test as well. Inside the interior the
        // coordinates are not negative, where truncation is the floor.
        if (!(pixel.column >= 0 && pixel.column < m_width && pixel.row >= 0 && pixel.row < m_height)) {
            return std::nullopt;
        }
        return PixelIndex{static_cast<int>(pixel.column), static_cast<int>(pixel.row)};
    }

    [[nodiscard]] int interiorWidth() const { return m_width; }
    [[nodiscard]] int interiorHeight() const { return m_height; }

private:
    PlaneScale m_scale;
    int m_width = 0;
    int m_height = 0;
    // Stated once so that every sample costs multiplications only.
    double m_pixelsPerUnitX = 0.0;
    double m_pixelsPerUnitY = 0.0;
};

// The part of a line between two plane points that can touch the interior,
// as pixel indices of its ends; nothing when the line misses the interior.
// The ends may still lie a pixel outside it.
[[nodiscard]] std::optional<std::pair<PixelIndex, PixelIndex>> clippedLine(const PlaneMapping& mapping,
                                                                           PlanePoint from, PlanePoint to);

// Visits every interior pixel of a one-pixel line between the ends that
// clippedLine() gave, both included, in order from the first.
template <typename Visit>
void forEachLinePixel(const PlaneMapping& mapping, std::pair<PixelIndex, PixelIndex> ends, Visit&& visit)
{
    auto [a, b] = ends;
    const int dx = b.column > a.column ? b.column - a.column : a.column - b.column;
    const int dy = b.row > a.row ? a.row - b.row : b.row - a.row; // not positive
    const int stepX = a.column < b.column ? 1 : -1;
    const int stepY = a.row < b.row ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        if (a.column >= 0 && a.column < mapping.interiorWidth() && a.row >= 0
            && a.row < mapping.interiorHeight()) {
            visit(a);
        }
        if (a == b) {
            return;
        }
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            a.column += stepX;
        }
        if (twice <= dx) {
            error += dx;
            a.row += stepY;
        }
    }
}

// How the surface prints a number: its shortest decimal form, behind a sign
// position that holds a blank for values that are not negative, and followed
// by one blank. labelText(5) is " 5 ", labelText(-3) is "-3 ".
[[nodiscard]] std::string labelText(float value);

} // namespace lumivar
