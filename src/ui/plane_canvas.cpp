#include "plane_canvas.h"

#include "fonts.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPointF>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace lumivar {

namespace {

QRgb toQRgb(Rgb colour)
{
    return qRgb(colour.red, colour.green, colour.blue);
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

void PlaneCanvas::rebuild(PlaneScale scale, QSize interior, qreal ratio)
{
    // The device image is filled anew from the record, whatever it was
    // drawn at before. Another size or scale needs a record of its own,
    // made by drawing the old one's plane units again.
    const bool sameRecord = interior == interiorSize() && scale.left == m_scale.left
                            && scale.top == m_scale.top && scale.width == m_scale.width
                            && scale.height == m_scale.height;
    std::optional<PlaneRecord> drawn;
    if (!sameRecord) {
        drawn = std::exchange(m_record, PlaneRecord(scale, interior.width(), interior.height()));
    }
    m_scale = scale;
    m_ratio = ratio;
    m_thickness = thicknessAt(ratio);
    m_image = QImage(interior * ratio, QImage::Format_RGB32);
    m_image.setDevicePixelRatio(ratio);
    m_image.fill(toQRgb(kBackgroundWhite));
    m_mapping = PlaneMapping(scale, interior.width(), interior.height());
    m_deviceMapping = PlaneMapping(scale, m_image.width(), m_image.height());
    m_glyphs.clear();
    if (drawn) {
        drawn->replay(*this, kCurveRed);
        markDirty({0, 0}, {m_image.width() - 1, m_image.height() - 1});
    } else {
        redraw();
    }
}

void PlaneCanvas::redraw()
{
    m_image.fill(toQRgb(kBackgroundWhite));
    m_replaying = true;
    m_record.replay(*this, kCurveRed);
    m_replaying = false;
    markDirty({0, 0}, {m_image.width() - 1, m_image.height() - 1});
}

void PlaneCanvas::markDirty(PixelIndex topLeft, PixelIndex bottomRight)
{
    const QRect device =
        QRect(QPoint(topLeft.column, topLeft.row), QPoint(bottomRight.column, bottomRight.row))
            .intersected(m_image.rect());
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
    if (device.isNull()) {
        return {};
    }
    const QPoint first(static_cast<int>(std::floor(device.left() / m_ratio)),
                       static_cast<int>(std::floor(device.top() / m_ratio)));
    const QPoint last(static_cast<int>(std::ceil((device.right() + 1) / m_ratio)) - 1,
                      static_cast<int>(std::ceil((device.bottom() + 1) / m_ratio)) - 1);
    return {first, last};
}

void PlaneCanvas::fillSquare(PixelIndex at, QRgb colour)
{
    const int right = std::min(at.column + m_thickness, m_image.width());
    const int bottom = std::min(at.row + m_thickness, m_image.height());
    for (int row = at.row; row < bottom; ++row) {
        auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(row));
        std::fill(line + at.column, line + right, colour);
    }
}

void PlaneCanvas::clear()
{
    m_record.clear();
    m_image.fill(toQRgb(kBackgroundWhite));
    markDirty({0, 0}, {m_image.width() - 1, m_image.height() - 1});
}

void PlaneCanvas::setScale(PlanePoint upperLeft, PlanePoint lowerRight)
{
    rebuild(PlaneScale::fromCorners(upperLeft, lowerRight), interiorSize(), m_ratio);
}

void PlaneCanvas::drawLine(PlanePoint from, PlanePoint to, Rgb colour)
{
    if (!m_replaying) {
        m_record.recordLine(from, to, colour);
    }
    const QRgb rgb = toQRgb(colour);
    PixelIndex first{m_image.width(), m_image.height()};
    PixelIndex last{-1, -1};
    forEachLinePixel(m_deviceMapping, from, to, [&](PixelIndex pixel) {
        fillSquare(pixel, rgb);
        first = {std::min(first.column, pixel.column), std::min(first.row, pixel.row)};
        last = {std::max(last.column, pixel.column), std::max(last.row, pixel.row)};
    });
    markDirty(first, {last.column + m_thickness - 1, last.row + m_thickness - 1});
}

void PlaneCanvas::setPoint(PlanePoint at, Rgb colour)
{
    // Every output puts the point where the record keeps it.
    const auto kept = m_replaying ? std::optional<PlanePoint>(at) : m_record.recordPoint(at);
    if (!kept) {
        return;
    }
    if (const auto pixel = m_deviceMapping.pixelOf(*kept)) {
        fillSquare(*pixel, toQRgb(colour));
        markDirty(*pixel, {pixel->column + m_thickness - 1, pixel->row + m_thickness - 1});
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
    const QRgb black = qRgb(0, 0, 0);
    for (const Glyphs::Run& run : label.runs) {
        const int row = top + run.row;
        if (row < 0 || row >= m_image.height()) {
            continue;
        }
        const int first = std::max(left + run.first, 0);
        const int end = std::min(left + run.end, m_image.width());
        auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(row));
        for (int column = first; column < end; ++column) {
            line[column] = black;
        }
    }
    markDirty({left, top}, {left + label.deviceSize.width() - 1, top + label.deviceSize.height() - 1});
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
        label.fill(Qt::transparent);
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
