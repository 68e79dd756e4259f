// The light-curve plotter: its input from the window, the curve's parameters and what a plot
// comes to.
#pragma once

#include "axes.h"
#include "surface.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace lumivar {

// y = amplitude * sin((x + startValue) * frequency) + meanMagnitude
struct CurveParameters {
    double startValue = 0.0;    // A
    double frequency = 0.0;     // B
    double amplitude = 0.0;     // C
    double meanMagnitude = 0.0; // D
};

// What the plotter reads from the window: the "CURVA" box and the texts of the
// four parameter boxes in the order A, B, C, D. The texts cannot change while
// a plot runs, so they are handed over once.
struct CurveInput {
    bool curveTicked = false;
    std::array<std::string_view, 4> texts{};
};

enum class PlotFault : std::uint8_t {
    None,
    Overflow,
    DivisionByZero,
    InvalidOperation,
};

struct PlotOutcome {
    PlotFault fault = PlotFault::None;
    float faultAbscissa = 0.0F; // where the plot stopped, when it did
    int pointsSet = 0;
};

[[nodiscard]] CurveParameters readParameters(const CurveInput& input);

// Redraws the axes and grid, then, when the curve box is ticked, samples the
// curve from just right of the ordinate axis to the right edge, one sample per
// twip of the plane's outer width, setting a red point wherever the ordinate
// lies within the plane. Nothing is erased. An arithmetic fault stops the plot
// where it happens and is returned; the points set so far stay.
[[nodiscard]] PlotOutcome plotCurves(Surface& plane, PlotCursor& cursor, const CurveInput& input);

} // namespace lumivar
