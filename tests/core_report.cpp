// Prints what the numeric core makes of the golden plot and of its edge
// cases, one line each, bit for bit, so that the Linux and the Windows
// builds can be compared line by line. Lines marked "limit" may differ: the
// system's sine differs in its last bit at some phases.
#include "plot/axes.h"
#include "plot/compat.h"
#include "plot/light_curve.h"
#include "plot/text_to_number.h"
#include "shared/plane_raster.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

using namespace lumivar;

namespace {

class Fnv {
public:
    void add(std::uint64_t value)
    {
        for (int byte = 0; byte < 8; ++byte) {
            m_hash = (m_hash ^ ((value >> (8 * byte)) & 0xffU)) * 0x100000001b3ULL;
        }
    }
    void add(PlanePoint point)
    {
        add(std::uint64_t{compat::bitCast<std::uint32_t>(point.x)} << 32U
            | compat::bitCast<std::uint32_t>(point.y));
    }
    [[nodiscard]] std::uint64_t value() const { return m_hash; }

private:
    std::uint64_t m_hash = 0xcbf29ce484222325ULL;
};

// Every primitive a plot sends, hashed in order.
class HashingSurface final : public Surface {
public:
    void clear() override { m_hash.add(1); }
    void setScale(PlanePoint a, PlanePoint b) override
    {
        m_hash.add(a);
        m_hash.add(b);
    }
    void drawLine(PlanePoint a, PlanePoint b, Rgb /*colour*/) override
    {
        m_hash.add(a);
        m_hash.add(b);
    }
    void setPoint(PlanePoint at, Rgb /*colour*/) override { m_hash.add(at); }
    void setCurrentX(float x) override { m_hash.add(compat::bitCast<std::uint32_t>(x)); }
    void setCurrentY(float y) override { m_hash.add(compat::bitCast<std::uint32_t>(y)); }
    void printNumber(float value) override { m_hash.add(compat::bitCast<std::uint32_t>(value)); }
    [[nodiscard]] float outerWidthTwips() const override { return 11175.0F; }
    [[nodiscard]] std::uint64_t hash() const { return m_hash.value(); }

private:
    Fnv m_hash;
};

struct Case {
    bool limit;
    std::array<std::string_view, 4> texts;
};

constexpr std::array kPlots{
    Case{false, {"0.3", "1.7", "11", "-1"}},   Case{false, {"", "9", "3", "8"}},
    Case{false, {"-2", "0.4", "30", ""}},      Case{false, {"1", "2.5", "17.9", "0.1"}},
    Case{false, {"0.5", "0.8", "6", "-2"}},    Case{false, {"", "1", "30", ""}},
    Case{false, {"3", "0", "10", "4"}},        Case{false, {"", "1", "1E39", ""}},
    Case{false, {"", "", "", "3.4028235E38"}}, Case{false, {"", "", "1E39", "4"}},
    Case{true, {"", "1.7E308", "1", ""}},      Case{false, {"1E300", "1E10", "5", ""}},
    Case{false, {"", "1E6", "17", ""}},        Case{true, {"", "1E20", "17", ""}},
};

constexpr std::array<std::string_view, 14> kNumbers{
    "",
    "1,5",
    "  2.5e1",
    "&HFF",
    "&o178",
    "1 e - 2",
    "0.1",
    "1E400",
    "-1E400",
    "1E-400",
    "1e99999999999999999999",
    "&H200000000000018",
    "&O20000000000000000040001",
    "3.14.15",
};

// The plane at ratio 1 after what a user does, labels aside: its pixels.
std::uint64_t sessionPixels(double ratio)
{
    PlaneRaster raster(nullptr);
    raster.resize(741, 541, ratio);
    raster.setOuterWidthTwips(11175.0F);
    raster.clear();
    raster.setScale(kPlaneUpperLeft, kPlaneLowerRight);
    PlotCursor cursor;
    for (const Case& plot : {kPlots[0], kPlots[1], kPlots[2], kPlots[3]}) {
        (void)plotCurves(raster, cursor, CurveInput{true, plot.texts});
    }
    raster.drawLine({-1.0F, 17.0F}, {17.5F, -16.0F}, kCurveRed);
    Fnv hash;
    for (const Pixel pixel :
         std::span(raster.pixels(), std::size_t(raster.deviceWidth()) * std::size_t(raster.deviceHeight()))) {
        // As colours: the browser keeps its pixels in another byte order.
        const auto byte = [pixel](unsigned shift) { return (pixel >> shift) & 0xffU; };
        hash.add(0xff000000U | (byte(kRedShift) << 16U) | (byte(8U) << 8U) | byte(kBlueShift));
    }
    return hash.value();
}

} // namespace

int main()
{
    for (const std::string_view text : kNumbers) {
        std::printf("number \"%.*s\" %a\n", static_cast<int>(text.size()), text.data(), textToNumber(text));
    }
    for (const Case& plot : kPlots) {
        HashingSurface surface;
        PlotCursor cursor;
        const PlotOutcome outcome = plotCurves(surface, cursor, CurveInput{true, plot.texts});
        std::printf("%s plot %.*s|%.*s|%.*s|%.*s fault %d at %a points %d primitives %016llx\n",
                    plot.limit ? "limit" : "same", static_cast<int>(plot.texts[0].size()),
                    plot.texts[0].data(), static_cast<int>(plot.texts[1].size()), plot.texts[1].data(),
                    static_cast<int>(plot.texts[2].size()), plot.texts[2].data(),
                    static_cast<int>(plot.texts[3].size()), plot.texts[3].data(),
                    static_cast<int>(outcome.fault), double(outcome.faultAbscissa), outcome.pointsSet,
                    static_cast<unsigned long long>(surface.hash()));
    }
    for (const double ratio : {1.0, 1.25, 1.5}) {
        std::printf("pixels at %.2f %016llx\n", ratio, static_cast<unsigned long long>(sessionPixels(ratio)));
    }
    return 0;
}
