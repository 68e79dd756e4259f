// The one drawing surface of the program, in plane units, and its points and colours.
#pragma once

#include <cstdint>
#include <span>

namespace lumivar {

// A point of the Cartesian plane, in plane units. Stored in single precision
// like every plane coordinate of the program.
struct PlanePoint {
    float x = 0.0F;
    float y = 0.0F;

    friend constexpr bool operator==(PlanePoint, PlanePoint) = default;
};

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend constexpr bool operator==(Rgb, Rgb) = default;
};

// The one drawing surface of the program. Every argument is in plane units;
// only the implementation knows about pixels. Primitives falling outside the
// interior are clipped, never rejected.
class Surface {
public:
    Surface() = default;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    Surface(Surface&&) = delete;
    Surface& operator=(Surface&&) = delete;
    virtual ~Surface() = default;

    virtual void clear() = 0;
    virtual void setScale(PlanePoint upperLeft, PlanePoint lowerRight) = 0;
    virtual void drawLine(PlanePoint from, PlanePoint to, Rgb colour) = 0;
    virtual void setPoint(PlanePoint at, Rgb colour) = 0;
    // Sets the points one after the other, as setPoint does; a surface may
    // do it faster than point by point.
    virtual void setPoints(std::span<const PlanePoint> points, Rgb colour)
    {
        for (const PlanePoint at : points) {
            setPoint(at, colour);
        }
    }
    virtual void setCurrentX(float x) = 0;
    virtual void setCurrentY(float y) = 0;
    // Draws labelText(value) with the top-left of its first character cell at
    // the current position, transparently, in the default text colour.
    virtual void printNumber(float value) = 0;
    [[nodiscard]] virtual float outerWidthTwips() const = 0;
};

} // namespace lumivar
