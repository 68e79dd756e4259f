#include "plane.h"

#include <array>
#include <charconv>
#include <cmath>

namespace lumivar {

PlaneScale PlaneScale::fromCorners(PlanePoint upperLeft, PlanePoint lowerRight)
{
    return {upperLeft.x, upperLeft.y, double{lowerRight.x} - upperLeft.x, double{lowerRight.y} - upperLeft.y};
}

PlaneMapping::PlaneMapping(PlaneScale scale, int interiorWidth, int interiorHeight)
    : m_scale(scale), m_width(interiorWidth), m_height(interiorHeight)
{
}

PixelPoint PlaneMapping::toPixel(PlanePoint point) const
{
    return {(point.x - m_scale.left) / m_scale.width * m_width,
            (point.y - m_scale.top) / m_scale.height * m_height};
}

PlanePoint PlaneMapping::toPlane(PixelPoint pixel) const
{
    return {static_cast<float>(m_scale.left + pixel.column / m_width * m_scale.width),
            static_cast<float>(m_scale.top + pixel.row / m_height * m_scale.height)};
}

std::optional<PixelIndex> PlaneMapping::pixelOf(PlanePoint point) const
{
    const PixelPoint pixel = toPixel(point);
    const double column = std::floor(pixel.column);
    const double row = std::floor(pixel.row);
    // Written so that NaN fails the test as well.
    if (!(column >= 0 && column < m_width && row >= 0 && row < m_height)) {
        return std::nullopt;
    }
    return PixelIndex{static_cast<int>(column), static_cast<int>(row)};
}

std::string labelText(float value)
{
    if (value == 0.0F) {
        value = 0.0F; // a negative zero prints like zero
    }
    std::array<char, 32> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    std::string text(digits.data(), result.ptr);
    for (char& c : text) {
        if (c == 'e') {
            c = 'E';
        }
    }
    if (!std::signbit(value)) {
        text.insert(text.begin(), ' ');
    }
    text.push_back(' ');
    return text;
}

} // namespace lumivar
