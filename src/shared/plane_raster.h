// The shared raster: the plane's surface as 32-bit pixels for every front-end.
#pragma once

#include "plot/plane.h"
#include "plot/plane_record.h"
#include "plot/surface.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lumivar {

// A pixel as the front-end's image stores it in a 32-bit word: 0xffRRGGBB,
// which is Qt's RGB32 and a Windows 32-bit DIB alike; in the browser the
// canvas's bytes red, green, blue, alpha, so that it takes the pixels as
// they are.
using Pixel = std::uint32_t;

// Where red and blue lie in a pixel's word; green is always bits 8 to 15.
#ifdef __EMSCRIPTEN__
inline constexpr unsigned kRedShift = 0U;
inline constexpr unsigned kBlueShift = 16U;
#else
inline constexpr unsigned kRedShift = 16U;
inline constexpr unsigned kBlueShift = 0U;
#endif

[[nodiscard]] constexpr Pixel toPixel(Rgb colour)
{
    return 0xff000000U | (Pixel{colour.red} << kRedShift) | (Pixel{colour.green} << 8U)
           | (Pixel{colour.blue} << kBlueShift);
}

// A label's inked device pixels, one run of them at a time, as the front-end's
// font renders it.
struct LabelGlyphs {
    struct Run {
        int row;
        int first;
        int end;
    };
    std::vector<Run> runs;
    int width = 0; // device pixels
    int height = 0;
};

// The inked runs of a label rendered `width` x `height` device pixels,
// where inked(row, column) tells whether a pixel is ink.
template <typename Inked> [[nodiscard]] LabelGlyphs inkedRuns(int width, int height, Inked inked)
{
    LabelGlyphs glyphs;
    glyphs.width = width;
    glyphs.height = height;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width;) {
            if (!inked(row, column)) {
                ++column;
                continue;
            }
            const int first = column;
            while (column < width && inked(row, column)) {
                ++column;
            }
            glyphs.runs.push_back({row, first, column});
        }
    }
    return glyphs;
}

// Renders a label's text in the label font at a ratio of device pixels to a
// logical one, without smoothing, with its first cell's top-left at (0, 0).
using LabelRasteriser = std::function<LabelGlyphs(std::string_view text, double ratio)>;

// Pixels, right and bottom excluded.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The plane's interior as 32-bit pixels at device resolution, drawn from its
// record. Every primitive is placed where its plane coordinates fall on the
// device pixels; lines and points are max(1, round(ratio)) device pixels
// thick, and labels come from the front-end's font at full resolution. A new
// size or ratio draws the record again.
class PlaneRaster : public Surface {
public:
    explicit PlaneRaster(LabelRasteriser labels);

    // Interior size in logical pixels and device pixels to a logical one.
    void resize(int width, int height, double ratio);
    void setOuterWidthTwips(float twips) { m_outerWidthTwips = twips; }
    // Called when the first primitive after takeDirty() lands.
    void setDirtyListener(std::function<void()> listener) { m_dirtyListener = std::move(listener); }

    void clear() override;
    void setScale(PlanePoint upperLeft, PlanePoint lowerRight) override;
    void drawLine(PlanePoint from, PlanePoint to, Rgb colour) override;
    void setPoint(PlanePoint at, Rgb colour) override { setPoints({&at, 1}, colour); }
    void setPoints(std::span<const PlanePoint> points, Rgb colour) override;
    void setCurrentX(float x) override { m_current.x = x; }
    void setCurrentY(float y) override { m_current.y = y; }
    void printNumber(float value) override;
    [[nodiscard]] float outerWidthTwips() const override { return m_outerWidthTwips; }

    // The interior as drawn so far, row after row without gaps. The store
    // moves on resize() and setScale().
    [[nodiscard]] const Pixel* pixels() const { return m_pixels.data(); }
    [[nodiscard]] int deviceWidth() const { return m_deviceWidth; }
    [[nodiscard]] int deviceHeight() const { return m_deviceHeight; }
    [[nodiscard]] double ratio() const { return m_ratio; }
    // What the plane shows, for outputs of other resolutions.
    [[nodiscard]] const PlaneRecord& record() const { return m_record; }
    // The transform to the interior's logical pixels.
    [[nodiscard]] const PlaneMapping& mapping() const { return m_mapping; }
    // Draws the pixels again from the record.
    void redraw();
    // The device rectangle drawn over since the last call.
    std::optional<PixelRect> takeDirty();

private:
    void rebuild(const PlaneScale& scale, int width, int height, double ratio);
    // Fills the pixels anew from a record; `keep` records what it draws too.
    void drawFrom(const PlaneRecord& source, bool keep);
    // Fills [left, right) x [top, bottom), clipped to the pixels.
    void fill(int left, int top, int right, int bottom, Pixel colour);
    void markDirty(int left, int top, int right, int bottom);
    void markAllDirty() { markDirty(0, 0, m_deviceWidth, m_deviceHeight); }
    const LabelGlyphs& glyphs(float value);

    LabelRasteriser m_labels;
    std::vector<Pixel> m_pixels;
    int m_deviceWidth = 0;
    int m_deviceHeight = 0;
    double m_ratio = 1.0;
    int m_thickness = 1; // device pixels
    PlaneScale m_scale = PlaneScale::fromCorners(kPlaneUpperLeft, kPlaneLowerRight);
    PlaneMapping m_mapping;
    PlaneMapping m_deviceMapping;
    PlaneRecord m_record;
    bool m_replaying = false;
    PlanePoint m_current;
    float m_outerWidthTwips = 0.0F;
    // By the value's bits: NaN finds itself.
    std::unordered_map<std::uint32_t, LabelGlyphs> m_glyphs;
    // Device pixels covered by a record cell, each way.
    double m_devicePerCellX = 0.0;
    double m_devicePerCellY = 0.0;
    std::optional<PixelRect> m_dirty;
    std::function<void()> m_dirtyListener;
};

} // namespace lumivar
