#include "light_curve.h"

#include "plane.h"
#include "text_to_number.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <span>

namespace lumivar {

namespace {

// An intermediate result the plot cannot go on with.
std::optional<PlotFault> faultOf(double value)
{
    if (std::isnan(value)) {
        return PlotFault::InvalidOperation;
    }
    if (std::isinf(value)) {
        return PlotFault::Overflow;
    }
    return std::nullopt;
}

// The smallest magnitude that rounds to infinity in single precision: half
// way from the largest float to the next power of two, where the tie goes
// to the even neighbour, infinity.
constexpr double kFloatOverflowAt = (2.0 - 0x1p-24) * 0x1p127;

} // namespace

CurveParameters readParameters(const CurveInput& input)
{
    return {textToNumber(input.texts[0]), textToNumber(input.texts[1]), textToNumber(input.texts[2]),
            textToNumber(input.texts[3])};
}

PlotOutcome plotCurves(Surface& plane, PlotCursor& cursor, const CurveInput& input)
{
    DisegnaAssi(plane, cursor);

    // The sample point lives in registers while the loop runs and is
    // written back when it stops.
    float x = cursor.x;
    float y = cursor.y;
    PlotOutcome outcome;
    const auto stopWith = [&](std::optional<PlotFault> fault) {
        cursor = {x, y};
        if (fault) {
            outcome.fault = *fault;
            outcome.faultAbscissa = x;
        }
        return outcome;
    };

    const float outerWidth = plane.outerWidthTwips();
    if (outerWidth == 0.0F) {
        return stopWith(PlotFault::DivisionByZero);
    }
    const float step = (kPlaneRight - kPlaneLeft) / outerWidth;
    if (std::isinf(step)) {
        return stopWith(PlotFault::Overflow);
    }

    // A step that no longer moves the abscissa (a negative, infinite or
    // vanishing width) would never end the loop.
    x = kPlaneLeft;
    while (x <= kPlaneRight && !(input.curveTicked && x > 0.0F)) {
        const float next = x + step;
        if (!(next > x)) {
            return stopWith(PlotFault::InvalidOperation);
        }
        x = next;
    }
    if (x > kPlaneRight) {
        return stopWith(std::nullopt);
    }
    // Only now: with the box unticked the texts are never read.
    const CurveParameters p = readParameters(input);

    // The samples are taken in batches, in three passes: their abscissas
    // and phases, their sines in a loop with nothing else to keep across the
    // call, and the checks and points in sample order. A fault stops the
    // plot at the first sample that has one, exactly as sample by sample.
    constexpr std::size_t kBatch = 256;
    std::array<float, kBatch> abscissas{};
    std::array<double, kBatch> phases{};
    std::array<PlanePoint, kBatch> points{};
    std::size_t inside = 0;
    const auto deliver = [&] {
        plane.setPoints(std::span(points.data(), inside), kCurveRed);
        outcome.pointsSet += static_cast<int>(inside);
        inside = 0;
    };
    float ahead = x;
    while (ahead <= kPlaneRight) {
        std::size_t count = 0;
        bool stuck = false;
        bool phaseFault = false;
        while (count < kBatch && ahead <= kPlaneRight) {
            const double phase = (double{ahead} + p.startValue) * p.frequency;
            abscissas[count] = ahead;
            phases[count++] = phase;
            if (!std::isfinite(phase)) {
                phaseFault = true;
                break;
            }
            const float next = ahead + step;
            if (!(next > ahead)) {
                stuck = true;
                break;
            }
            ahead = next;
        }
        const std::size_t finite = phaseFault ? count - 1 : count;
        for (std::size_t i = 0; i < finite; ++i) {
            phases[i] = std::sin(phases[i]);
        }
        for (std::size_t i = 0; i < finite; ++i) {
            const double magnitude = p.amplitude * phases[i] + p.meanMagnitude;
            // Stored rounded to single precision; only what rounds to
            // infinity does not fit (converting it is undefined in C++).
            if (!(std::fabs(magnitude) < kFloatOverflowAt)) {
                deliver();
                x = abscissas[i];
                return stopWith(faultOf(magnitude).value_or(PlotFault::Overflow));
            }
            y = static_cast<float>(magnitude);
            if (y >= kPlaneBottom && y <= kPlaneTop) {
                points[inside++] = {abscissas[i], y};
            }
        }
        deliver();
        if (phaseFault) {
            x = abscissas[finite];
            return stopWith(faultOf(phases[finite]));
        }
        if (stuck) {
            x = abscissas[count - 1];
            return stopWith(PlotFault::InvalidOperation);
        }
    }
    x = ahead;
    return stopWith(std::nullopt);
}

} // namespace lumivar
