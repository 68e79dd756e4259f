// The shared raster: the plane's surface as 32-bit pixels, with its record.
#include "plane_raster.h"

#include "plot/compat.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define LUMIVAR_HAS_AVX_STATE 1
#endif

namespace lumivar {

namespace {

#ifdef LUMIVAR_HAS_AVX_STATE
__attribute__((target("avx"))) void zeroUpperHalves()
{
    _mm256_zeroupper();
}
#endif

// A toolkit's image fills, and so whatever the program painted before a
// plot, may leave the upper halves of the AVX registers in use. Until they
// are cleared, every SSE instruction runs slower on processors that track
// that state: the whole plot takes twice as long. Clearing them costs a cycle.
void settleVectorUnit()
{
#ifdef LUMIVAR_HAS_AVX_STATE
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx) {
        zeroUpperHalves();
    }
#endif
}

int thicknessAt(double ratio)
{
    return std::max(1, static_cast<int>(std::lround(ratio)));
}

int scaled(int logical, double ratio)
{
    return static_cast<int>(std::lround(logical * ratio));
}

} // namespace

PlaneRaster::PlaneRaster(LabelRasteriser labels) : m_labels(std::move(labels)), m_record(m_scale, 0, 0) {}

void PlaneRaster::resize(int width, int height, double ratio)
{
    if (width != m_mapping.interiorWidth() || height != m_mapping.interiorHeight() || ratio != m_ratio
        || m_pixels.empty()) {
        rebuild(m_scale, width, height, ratio);
    }
}

void PlaneRaster::rebuild(const PlaneScale& scale, int width, int height, double ratio)
{
    // The device pixels are filled anew from the record, whatever they were
    // drawn at before. Another size or scale needs a record of its own,
    // made by drawing the old one's plane units again.
    std::optional<PlaneRecord> drawn;
    if (width != m_mapping.interiorWidth() || height != m_mapping.interiorHeight() || scale != m_scale) {
        drawn = std::exchange(m_record, PlaneRecord(scale, width, height));
    }
    m_scale = scale;
    m_ratio = ratio;
    m_thickness = thicknessAt(ratio);
    m_deviceWidth = std::max(0, scaled(width, ratio));
    m_deviceHeight = std::max(0, scaled(height, ratio));
    // Never empty, so that pixels() always points somewhere.
    m_pixels.assign(std::max<std::size_t>(1, std::size_t(m_deviceWidth) * std::size_t(m_deviceHeight)), 0);
    m_mapping = PlaneMapping(scale, width, height);
    m_deviceMapping = PlaneMapping(scale, m_deviceWidth, m_deviceHeight);
    m_devicePerCellX = m_record.cellColumns() > 0 ? double(m_deviceWidth) / m_record.cellColumns() : 0.0;
    m_devicePerCellY = m_record.cellRows() > 0 ? double(m_deviceHeight) / m_record.cellRows() : 0.0;
    m_glyphs.clear();
    if (drawn) {
        drawFrom(*drawn, true);
    } else {
        redraw();
    }
}

void PlaneRaster::redraw()
{
    drawFrom(m_record, false);
}

void PlaneRaster::drawFrom(const PlaneRecord& source, bool keep)
{
    fill(0, 0, m_deviceWidth, m_deviceHeight, toPixel(kBackgroundWhite));
    m_replaying = !keep;
    source.replay(*this, kCurveRed);
    m_replaying = false;
    markAllDirty();
}

void PlaneRaster::markDirty(int left, int top, int right, int bottom)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, m_deviceWidth);
    bottom = std::min(bottom, m_deviceHeight);
    if (left >= right || top >= bottom) {
        return;
    }
    if (m_dirty) {
        m_dirty = PixelRect{std::min(left, m_dirty->left), std::min(top, m_dirty->top),
                            std::max(right, m_dirty->right), std::max(bottom, m_dirty->bottom)};
        return;
    }
    m_dirty = PixelRect{left, top, right, bottom};
    if (m_dirtyListener) {
        m_dirtyListener();
    }
}

std::optional<PixelRect> PlaneRaster::takeDirty()
{
    return std::exchange(m_dirty, std::nullopt);
}

void PlaneRaster::fill(int left, int top, int right, int bottom, Pixel colour)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, m_deviceWidth);
    bottom = std::min(bottom, m_deviceHeight);
    if (left >= right) {
        return;
    }
    for (int row = top; row < bottom; ++row) {
        Pixel* line = m_pixels.data() + std::ptrdiff_t(row) * m_deviceWidth;
        std::fill(line + left, line + right, colour);
    }
}

void PlaneRaster::clear()
{
    m_record.clear();
    fill(0, 0, m_deviceWidth, m_deviceHeight, toPixel(kBackgroundWhite));
    markAllDirty();
}

void PlaneRaster::setScale(PlanePoint upperLeft, PlanePoint lowerRight)
{
    rebuild(PlaneScale::fromCorners(upperLeft, lowerRight), m_mapping.interiorWidth(),
            m_mapping.interiorHeight(), m_ratio);
}

void PlaneRaster::drawLine(PlanePoint from, PlanePoint to, Rgb colour)
{
    settleVectorUnit(); // every plot starts with lines
    if (!m_replaying) {
        m_record.recordLine(from, to, colour);
    }
    const auto ends = clippedLine(m_deviceMapping, from, to);
    if (!ends) {
        return;
    }
    const Pixel pixel = toPixel(colour);
    const auto [a, b] = *ends;
    const int t = m_thickness;
    // The grid's lines run straight across: one run of stores each, the
    // same pixels as the general walk below gives them.
    if (a.row == b.row || a.column == b.column) {
        const int left = std::max(std::min(a.column, b.column), 0);
        const int right = std::min(std::max(a.column, b.column), m_deviceWidth - 1);
        const int top = std::max(std::min(a.row, b.row), 0);
        const int bottom = std::min(std::max(a.row, b.row), m_deviceHeight - 1);
        if (left <= right && top <= bottom) {
            fill(left, top, right + t, bottom + t, pixel);
            markDirty(left, top, right + t, bottom + t);
        }
        return;
    }
    int left = m_deviceWidth;
    int top = m_deviceHeight;
    int right = -1;
    int bottom = -1;
    forEachLinePixel(m_deviceMapping, *ends, [&](PixelIndex at) {
        fill(at.column, at.row, at.column + t, at.row + t, pixel);
        left = std::min(left, at.column);
        top = std::min(top, at.row);
        right = std::max(right, at.column);
        bottom = std::max(bottom, at.row);
    });
    markDirty(left, top, right + t, bottom + t);
}

void PlaneRaster::setPoints(std::span<const PlanePoint> points, Rgb colour)
{
    settleVectorUnit();
    // Held in locals: a store through the pixel pointer could alias any
    // member, which would then be read again for every point.
    const Pixel pixel = toPixel(colour);
    Pixel* const store = m_pixels.data();
    const std::ptrdiff_t stride = m_deviceWidth;
    const int thickness = m_thickness;
    const double perCellX = m_devicePerCellX;
    const double perCellY = m_devicePerCellY;
    int left = std::numeric_limits<int>::max();
    int top = std::numeric_limits<int>::max();
    int right = std::numeric_limits<int>::min();
    int bottom = std::numeric_limits<int>::min();
    PlaneRecord::CellBits kept;  // gathered while the cells share a word
    PixelIndex previous{-1, -1}; // no cell
    for (const PlanePoint at : points) {
        // Every output puts the point where the record keeps it, in its cell.
        const auto cell = m_record.cellOf(at);
        // A curve's neighbouring samples often share a cell, and with it
        // every pixel: only the first of them is kept and drawn.
        if (!cell || *cell == previous) {
            continue;
        }
        previous = *cell;
        if (!m_replaying) {
            const PlaneRecord::CellBits bits = m_record.cellBits(*cell);
            if (bits.word != kept.word && kept.bits != 0) {
                m_record.recordPoints(kept);
                kept.bits = 0;
            }
            kept.word = bits.word;
            kept.bits |= bits.bits;
        }
        const int column = static_cast<int>((cell->column + 0.5) * perCellX);
        const int row = static_cast<int>((cell->row + 0.5) * perCellY);
        if (thickness == 1) {
            store[row * stride + column] = pixel;
        } else {
            fill(column, row, column + thickness, row + thickness, pixel);
        }
        left = std::min(left, column);
        top = std::min(top, row);
        right = std::max(right, column);
        bottom = std::max(bottom, row);
    }
    if (kept.bits != 0) {
        m_record.recordPoints(kept);
    }
    if (left <= right) {
        markDirty(left, top, right + thickness, bottom + thickness);
    }
}

void PlaneRaster::printNumber(float value)
{
    if (!m_replaying) {
        m_record.recordLabel(m_current, value);
    }
    // Labels far outside are clipped anyway; the bound keeps coordinates well
    // inside what an int holds.
    constexpr double kFarOutsidePixels = 1.0e6;
    const PixelPoint at = m_deviceMapping.toPixel(m_current);
    if (!(std::fabs(at.column) < kFarOutsidePixels && std::fabs(at.row) < kFarOutsidePixels)) {
        return;
    }
    const LabelGlyphs& label = glyphs(value);
    const int left = static_cast<int>(std::floor(at.column));
    const int top = static_cast<int>(std::floor(at.row));
    const Pixel black = toPixel(Rgb{0, 0, 0});
    for (const LabelGlyphs::Run& run : label.runs) {
        fill(left + run.first, top + run.row, left + run.end, top + run.row + 1, black);
    }
    markDirty(left, top, left + label.width, top + label.height);
}

const LabelGlyphs& PlaneRaster::glyphs(float value)
{
    // The same label always comes out as the same pixels, so each is
    // rendered once, at the device's resolution, and then only copied.
    const auto key = compat::bitCast<std::uint32_t>(value);
    auto found = m_glyphs.find(key);
    if (found == m_glyphs.end()) {
        found = m_glyphs.emplace(key, m_labels ? m_labels(labelText(value), m_ratio) : LabelGlyphs{}).first;
    }
    return found->second;
}

} // namespace lumivar
