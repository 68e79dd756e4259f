#include "plane_canvas.h"

#include "fonts.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPointF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define LUMIVAR_HAS_AVX_STATE 1
#endif

namespace lumivar {

namespace {

QRgb toQRgb(Rgb colour)
{
    return qRgb(colour.red, colour.green, colour.blue);
}

#ifdef LUMIVAR_HAS_AVX_STATE
__attribute__((target("avx"))) void zeroUpperHalves()
{
    _mm256_zeroupper();
}
#endif

// Qt's image fills, and so whatever the program painted before a plot, may
// leave the upper halves of the AVX registers in use. Until they are
// cleared, every SSE instruction runs slower on processors that track that
// state: the whole plot takes twice as long. Clearing them costs a cycle.
void settleVectorUnit()
{
#ifdef LUMIVAR_HAS_AVX_STATE
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx) {
        zeroUpperHalves();
    }
#endif
}

int thicknessAt(qreal ratio)
{
    return std::max(1, static_cast<int>(std::lround(ratio)));
}

} // namespace

PlaneCanvas::PlaneCanvas() : m_record(m_scale, 0, 0), m_labelFont(programFont(kSansSerif825))
{
    // Labels are drawn the way a bitmap font is: redrawing one leaves exactly
    // the same pixels instead of darkening its edges.
    m_labelFont.setStyleStrategy(QFont::NoAntialias);
    m_labelFont.setHintingPreference(QFont::PreferFullHinting);
    const QFontMetrics metrics(m_labelFont);
    m_labelAscent = metrics.ascent();
    m_labelHeight = metrics.height();
}

void PlaneCanvas::resize(QSize interior, qreal devicePixelRatio)
{
    if (interior != interiorSize() || devicePixelRatio != m_ratio || m_image.isNull()) {
        rebuild(m_scale, interior, devicePixelRatio);
    }
}

void PlaneCanvas::rebuild(const PlaneScale& scale, QSize interior, qreal ratio)
{
    // The device image is filled anew from the record, whatever it was
    // drawn at before. Another size or scale needs a record of its own,
    // made by drawing the old one's plane units again.
    std::optional<PlaneRecord> drawn;
    if (interior != interiorSize() || scale != m_scale) {
        drawn = std::exchange(m_record, PlaneRecord(scale, interior.width(), interior.height()));
    }
    m_scale = scale;
    m_ratio = ratio;
    m_thickness = thicknessAt(ratio);
    m_image = QImage(interior * ratio, QImage::Format_RGB32);
    m_image.setDevicePixelRatio(ratio);
    m_mapping = PlaneMapping(scale, interior.width(), interior.height());
    m_deviceMapping = PlaneMapping(scale, m_image.width(), m_image.height());
    m_devicePerCellX = m_record.cellColumns() > 0 ? double(m_image.width()) / m_record.cellColumns() : 0.0;
    m_devicePerCellY = m_record.cellRows() > 0 ? double(m_image.height()) / m_record.cellRows() : 0.0;
    m_glyphs.clear();
    if (drawn) {
        drawFrom(*drawn, true);
    } else {
        redraw();
    }
}

void PlaneCanvas::takePixels()
{
    // bits() also gives the image a pixel store of its own if it shares
    // one, and tells painters caching it that it changed.
    m_pixels = reinterpret_cast<QRgb*>(m_image.bits());
    m_stride = m_image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
}

void PlaneCanvas::redraw()
{
    drawFrom(m_record, false);
}

void PlaneCanvas::blank()
{
    takePixels();
    fill(0, 0, m_image.width(), m_image.height(), toQRgb(kBackgroundWhite));
}

void PlaneCanvas::drawFrom(const PlaneRecord& source, bool keep)
{
    blank();
    m_replaying = !keep;
    source.replay(*this, kCurveRed);
    m_replaying = false;
    markAllDirty();
}

void PlaneCanvas::markDirty(int left, int top, int right, int bottom)
{
    const QRect device = QRect(left, top, right - left, bottom - top).intersected(m_image.rect());
    if (device.isEmpty()) {
        return;
    }
    const bool first = m_dirty.isNull();
    m_dirty |= device;
    if (first && m_dirtyListener) {
        m_dirtyListener();
    }
}

QRect PlaneCanvas::takeDirty()
{
    const QRect device = std::exchange(m_dirty, QRect());
    takePixels();
    if (device.isNull()) {
        return {};
    }
    const QPoint first(static_cast<int>(std::floor(device.left() / m_ratio)),
                       static_cast<int>(std::floor(device.top() / m_ratio)));
    const QPoint last(static_cast<int>(std::ceil((device.right() + 1) / m_ratio)) - 1,
                      static_cast<int>(std::ceil((device.bottom() + 1) / m_ratio)) - 1);
    return {first, last};
}

void PlaneCanvas::fill(int left, int top, int right, int bottom, QRgb colour)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, m_image.width());
    bottom = std::min(bottom, m_image.height());
    if (left >= right) {
        return;
    }
    for (int row = top; row < bottom; ++row) {
        QRgb* line = m_pixels + row * m_stride;
        std::fill(line + left, line + right, colour);
    }
}

void PlaneCanvas::clear()
{
    m_record.clear();
    blank();
    markAllDirty();
}

void PlaneCanvas::setScale(PlanePoint upperLeft, PlanePoint lowerRight)
{
    rebuild(PlaneScale::fromCorners(upperLeft, lowerRight), interiorSize(), m_ratio);
}

void PlaneCanvas::drawLine(PlanePoint from, PlanePoint to, Rgb colour)
{
    settleVectorUnit(); // every plot starts with lines
    if (!m_replaying) {
        m_record.recordLine(from, to, colour);
    }
    const auto ends = clippedLine(m_deviceMapping, from, to);
    if (!ends) {
        return;
    }
    const QRgb rgb = toQRgb(colour);
    const auto [a, b] = *ends;
    const int t = m_thickness;
    // The grid's lines run straight across: one run of stores each, the
    // same pixels as the general walk below gives them.
    const int width = m_image.width();
    const int height = m_image.height();
    if (a.row == b.row || a.column == b.column) {
        const int left = std::max(std::min(a.column, b.column), 0);
        const int right = std::min(std::max(a.column, b.column), width - 1);
        const int top = std::max(std::min(a.row, b.row), 0);
        const int bottom = std::min(std::max(a.row, b.row), height - 1);
        if (left <= right && top <= bottom) {
            fill(left, top, right + t, bottom + t, rgb);
            markDirty(left, top, right + t, bottom + t);
        }
        return;
    }
    int left = width;
    int top = height;
    int right = -1;
    int bottom = -1;
    forEachLinePixel(m_deviceMapping, from, to, [&](PixelIndex pixel) {
        fill(pixel.column, pixel.row, pixel.column + t, pixel.row + t, rgb);
        left = std::min(left, pixel.column);
        top = std::min(top, pixel.row);
        right = std::max(right, pixel.column);
        bottom = std::max(bottom, pixel.row);
    });
    markDirty(left, top, right + t, bottom + t);
}

void PlaneCanvas::setPoints(std::span<const PlanePoint> points, Rgb colour)
{
    settleVectorUnit();
    // Held in locals: a store through the pixel pointer could alias any
    // member, which would then be read again for every point.
    const QRgb rgb = toQRgb(colour);
    QRgb* const pixels = m_pixels;
    const qsizetype stride = m_stride;
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
            pixels[row * stride + column] = rgb;
        } else {
            fill(column, row, column + thickness, row + thickness, rgb);
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

void PlaneCanvas::printNumber(float value)
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
    const Glyphs& label = glyphs(value);
    const int left = static_cast<int>(std::floor(at.column));
    const int top = static_cast<int>(std::floor(at.row));
    for (const Glyphs::Run& run : label.runs) {
        fill(left + run.first, top + run.row, left + run.end, top + run.row + 1, qRgb(0, 0, 0));
    }
    markDirty(left, top, left + label.deviceSize.width(), top + label.deviceSize.height());
}

const PlaneCanvas::Glyphs& PlaneCanvas::glyphs(float value)
{
    // The same label always comes out as the same pixels, so each is drawn
    // once, at the device's resolution, and then only copied.
    auto found = m_glyphs.find(value);
    if (found == m_glyphs.end()) {
        const QString text = QString::fromStdString(labelText(value));
        const QFontMetrics metrics(m_labelFont);
        const QSize logical(std::max(1, metrics.horizontalAdvance(text)), m_labelHeight);
        QImage label(logical * m_ratio, QImage::Format_ARGB32_Premultiplied);
        label.setDevicePixelRatio(m_ratio);
        std::fill_n(label.bits(), label.sizeInBytes(), 0); // transparent, see blank()
        QPainter painter(&label);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(m_labelFont);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(0, m_labelAscent), text);
        painter.end();

        Glyphs inked;
        inked.deviceSize = label.size();
        constexpr int kInked = 128;
        for (int row = 0; row < label.height(); ++row) {
            const auto* pixels = reinterpret_cast<const QRgb*>(label.constScanLine(row));
            for (int column = 0; column < label.width();) {
                if (qAlpha(pixels[column]) < kInked) {
                    ++column;
                    continue;
                }
                const int first = column;
                while (column < label.width() && qAlpha(pixels[column]) >= kInked) {
                    ++column;
                }
                inked.runs.push_back({row, first, column});
            }
        }
        found = m_glyphs.insert(value, inked);
    }
    return found.value();
}

} // namespace lumivar
