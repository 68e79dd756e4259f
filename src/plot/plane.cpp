#include "plane.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace lumivar {

PlaneScale PlaneScale::fromCorners(PlanePoint upperLeft, PlanePoint lowerRight)
{
    return {upperLeft.x, upperLeft.y, double{lowerRight.x} - upperLeft.x, double{lowerRight.y} - upperLeft.y};
}

PlaneMapping::PlaneMapping(const PlaneScale& scale, int interiorWidth, int interiorHeight)
    : m_scale(scale)
    , m_width(interiorWidth)
    , m_height(interiorHeight)
    , m_pixelsPerUnitX(interiorWidth / scale.width)
    , m_pixelsPerUnitY(interiorHeight / scale.height)
{
}

PixelPoint PlaneMapping::toPixel(PlanePoint point) const
{
    return {(point.x - m_scale.left) * m_pixelsPerUnitX, (point.y - m_scale.top) * m_pixelsPerUnitY};
}

PlanePoint PlaneMapping::toPlane(PixelPoint pixel) const
{
    return {static_cast<float>(m_scale.left + pixel.column / m_pixelsPerUnitX),
            static_cast<float>(m_scale.top + pixel.row / m_pixelsPerUnitY)};
}

std::optional<PixelIndex> PlaneMapping::pixelOf(PlanePoint point) const
{
    const PixelPoint pixel = toPixel(point);
    // Written so that NaN fails the test as well. Inside the interior the
    // coordinates are not negative, where truncation is the floor.
    if (!(pixel.column >= 0 && pixel.column < m_width && pixel.row >= 0 && pixel.row < m_height)) {
        return std::nullopt;
    }
    return PixelIndex{static_cast<int>(pixel.column), static_cast<int>(pixel.row)};
}

std::string labelText(float value)
{
    const float shown = value == 0.0F ? 0.0F : value; // a negative zero prints like zero
    std::array<char, 32> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), shown);
    std::string text(digits.data(), result.ptr);
    std::replace(text.begin(), text.end(), 'e', 'E');
    if (!std::signbit(shown)) {
        text.insert(text.begin(), ' ');
    }
    text.push_back(' ');
    return text;
}

} // namespace lumivar
