// A whole plot from four fuzzed box texts and the "CURVA" box, on a surface
// that checks every point it is given.
#include "plot/light_curve.h"
#include "plot/plane.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

class CheckingSurface final : public lumivar::Surface {
public:
    void clear() override {}
    void setScale(lumivar::PlanePoint, lumivar::PlanePoint) override {}
    void drawLine(lumivar::PlanePoint, lumivar::PlanePoint, lumivar::Rgb) override { ++lines; }
    void setPoint(lumivar::PlanePoint at, lumivar::Rgb colour) override
    {
        require(at.x > 0.0F && at.x <= lumivar::kPlaneRight);
        require(at.y >= lumivar::kPlaneBottom && at.y <= lumivar::kPlaneTop);
        require(colour == lumivar::kCurveRed);
        ++points;
    }
    void setCurrentX(float) override {}
    void setCurrentY(float) override {}
    void printNumber(float) override {}
    [[nodiscard]] float outerWidthTwips() const override { return 11175.0F; }

    int lines = 0;
    int points = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    // First byte: the check box; the rest: four texts separated by NUL bytes.
    lumivar::CurveInput input;
    input.curveTicked = (data[0] & 1U) != 0;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    for (auto& text : input.texts) {
        const std::size_t end = rest.find('\0');
        text = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }

    CheckingSurface plane;
    lumivar::PlotCursor cursor;
    const lumivar::PlotOutcome outcome = lumivar::plotCurves(plane, cursor, input);

    require(plane.lines == 59); // the grid always comes first
    require(outcome.pointsSet == plane.points);
    require(outcome.pointsSet <= 10586);
    if (!input.curveTicked) {
        require(outcome.fault == lumivar::PlotFault::None && plane.points == 0);
    }
    if (outcome.fault != lumivar::PlotFault::None) {
        require(outcome.fault != lumivar::PlotFault::DivisionByZero); // the width is never 0 here
        require(outcome.faultAbscissa > 0.0F && outcome.faultAbscissa <= lumivar::kPlaneRight);
    }
    return 0;
}
