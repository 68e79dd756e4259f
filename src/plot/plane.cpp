// The plane's mapping from plane units to pixels, line clipping and the label format.
#include "plane.h"

#include "compat.h"

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

PlanePoint PlaneMapping::toPlane(PixelPoint pixel) const
{
    return {static_cast<float>(m_scale.left + pixel.column / m_pixelsPerUnitX),
            static_cast<float>(m_scale.top + pixel.row / m_pixelsPerUnitY)};
}

std::optional<std::pair<PixelIndex, PixelIndex>> clippedLine(const PlaneMapping& mapping, PlanePoint from,
                                                             PlanePoint to)
{
    // Liang-Barsky against the interior widened by a pixel, so that ends
    // inside keep their own pixel and far-away ends cannot overflow an int.
    const PixelPoint a = mapping.toPixel(from);
    const PixelPoint b = mapping.toPixel(to);
    const double dx = b.column - a.column;
    const double dy = b.row - a.row;
    double enter = 0.0;
    double leave = 1.0;
    const auto clip = [&enter, &leave](double denominator, double numerator) {
        if (denominator == 0.0) {
            return numerator >= 0.0;
        }
        const double t = numerator / denominator;
        if (denominator < 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
        return enter <= leave;
    };
    const double low = -1.0;
    const double right = mapping.interiorWidth() + 1.0;
    const double bottom = mapping.interiorHeight() + 1.0;
    if (!std::isfinite(dx) || !std::isfinite(dy) || !clip(-dx, a.column - low) || !clip(dx, right - a.column)
        || !clip(-dy, a.row - low) || !clip(dy, bottom - a.row)) {
        return std::nullopt;
    }
    const auto index = [](double column, double row) {
        return PixelIndex{static_cast<int>(std::floor(column)), static_cast<int>(std::floor(row))};
    };
    return std::pair{index(a.column + enter * dx, a.row + enter * dy),
                     index(a.column + leave * dx, a.row + leave * dy)};
}

std::string labelText(float value)
{
    const float shown = value == 0.0F ? 0.0F : value; // a negative zero prints like zero
    std::array<char, 32> digits{};
    const auto result = compat::toChars(digits.data(), digits.data() + digits.size(), shown);
    std::string text(digits.data(), result.ptr);
    compat::ranges::replace(text, 'e', 'E');
    if (!std::signbit(shown)) {
        text.insert(text.begin(), ' ');
    }
    text.push_back(' ');
    return text;
}

} // namespace lumivar
