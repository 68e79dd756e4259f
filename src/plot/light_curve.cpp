// The light-curve plotter: the walk along the abscissa, the samples and their points.
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

namespace {

// Samples are taken in batches, in passes: their abscissas and phases, then
// their sines in a loop with nothing else to keep across the call, then the
// checks and points in sample order. A fault stops the plot at the first
// sample that has one, exactly as sample by sample.
struct SampleBatch {
    static constexpr std::size_t kSize = 256;
    std::array<float, kSize> abscissas{};
    std::array<double, kSize> phases{}; // then their sines
    std::size_t count = 0;
    bool stuck = false;      // the step no longer moves the abscissa past the last sample
    bool phaseFault = false; // the last sample's phase is not finite
    [[nodiscard]] std::size_t finite() const { return phaseFault ? count - 1 : count; }
};

// The next batch, from `ahead` on; `ahead` is left at the abscissa after it.
void takeSamples(SampleBatch& batch, float& ahead, float step, const CurveParameters& p)
{
    batch.count = 0;
    batch.stuck = false;
    batch.phaseFault = false;
    while (batch.count < SampleBatch::kSize && ahead <= kPlaneRight) {
        const double phase = (double{ahead} + p.startValue) * p.frequency;
        batch.abscissas[batch.count] = ahead;
        batch.phases[batch.count++] = phase;
        if (!std::isfinite(phase)) {
            batch.phaseFault = true;
            break;
        }
        const float next = ahead + step;
        if (!(next > ahead)) {
            batch.stuck = true;
            break;
        }
        ahead = next;
    }
    const std::size_t finite = batch.finite();
    for (std::size_t i = 0; i < finite; ++i) {
        batch.phases[i] = std::sin(batch.phases[i]);
    }
}

// What drawing a batch came to.
struct DrawnBatch {
    int pointsSet = 0;
    std::optional<float> lastMagnitude; // of the last sample that fits in a float
    std::size_t faultAt = 0;            // the sample whose magnitude does not fit,
    std::optional<PlotFault> fault;     // and why
};

// The batch's points that fall inside the plane, in one call.
DrawnBatch drawSamples(Surface& plane, const SampleBatch& batch, const CurveParameters& p)
{
    std::array<PlanePoint, SampleBatch::kSize> points{};
    std::size_t inside = 0;
    DrawnBatch drawn;
    const std::size_t finite = batch.finite();
    for (std::size_t i = 0; i < finite; ++i) {
        const double magnitude = p.amplitude * batch.phases[i] + p.meanMagnitude;
        // Stored rounded to single precision; only what rounds to
        // infinity does not fit (converting it is undefined in C++).
        if (!(std::fabs(magnitude) < kFloatOverflowAt)) {
            drawn.faultAt = i;
            drawn.fault = faultOf(magnitude).value_or(PlotFault::Overflow);
            break;
        }
        const auto y = static_cast<float>(magnitude);
        drawn.lastMagnitude = y;
        if (y >= kPlaneBottom && y <= kPlaneTop) {
            points[inside++] = {batch.abscissas[i], y};
        }
    }
    plane.setPoints(std::span(points.data(), inside), kCurveRed);
    drawn.pointsSet = static_cast<int>(inside);
    return drawn;
}

// The first abscissa sampled: the plane's left edge walked, step by step, past
// the axis when the curve is ticked. A fault when the step does not move it.
std::optional<PlotFault> walkToFirstSample(float& x, float step, bool curveTicked)
{
    x = kPlaneLeft;
    while (x <= kPlaneRight && !(curveTicked && x > 0.0F)) {
        const float next = x + step;
        if (!(next > x)) {
            return PlotFault::InvalidOperation;
        }
        x = next;
    }
    return std::nullopt;
}

} // namespace

PlotOutcome plotCurves(Surface& plane, PlotCursor& cursor, const CurveInput& input)
{
    DisegnaAssi(plane, cursor);

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
    if (const auto fault = walkToFirstSample(x, step, input.curveTicked); fault || x > kPlaneRight) {
        return stopWith(fault);
    }
    // Only now: with the box unticked the texts are never read.
    const CurveParameters p = readParameters(input);

    SampleBatch batch;
    float ahead = x;
    while (ahead <= kPlaneRight) {
        takeSamples(batch, ahead, step, p);
        const DrawnBatch drawn = drawSamples(plane, batch, p);
        outcome.pointsSet += drawn.pointsSet;
        y = drawn.lastMagnitude.value_or(y);
        if (drawn.fault) {
            x = batch.abscissas[drawn.faultAt];
            return stopWith(drawn.fault);
        }
        if (batch.phaseFault) {
            x = batch.abscissas[batch.finite()];
            return stopWith(faultOf(batch.phases[batch.finite()]));
        }
        if (batch.stuck) {
            x = batch.abscissas[batch.count - 1];
            return stopWith(PlotFault::InvalidOperation);
        }
    }
    x = ahead;
    return stopWith(std::nullopt);
}

} // namespace lumivar
