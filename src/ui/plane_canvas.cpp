#include "plane_canvas.h"

#include "fonts.h"

#include <QFontMetrics>
#include <QPointF>

#include <cmath>

namespace lumivar {

namespace {

QRgb toQRgb(Rgb colour)
{
    return qRgb(colour.red, colour.green, colour.blue);
}

// Device pixels [first, last) covered by logical pixel `index`.
struct DeviceSpan {
    int first;
    int last;
};

DeviceSpan deviceSpan(int index, qreal ratio)
{
    return {static_cast<int>(std::floor(index * ratio)), static_cast<int>(std::floor((index + 1) * ratio))};
}

} // namespace

PlaneCanvas::PlaneCanvas() : m_labelFont(programFont(kSansSerif825))
{
    // Labels are drawn the way a bitmap font is: redrawing one leaves exactly
    // the same pixels instead of darkening its edges.
    m_labelFont.setStyleStrategy(QFont::NoAntialias);
    m_labelFont.setHintingPreference(QFont::PreferFullHinting);
    const QFontMetrics metrics(m_labelFont);
    m_labelAscent = metrics.ascent();
    m_labelHeight = metrics.height();
}

PlaneCanvas::~PlaneCanvas()
{
    finishPainting();
}

void PlaneCanvas::resize(QSize interior, qreal devicePixelRatio)
{
    if (interior == interiorSize() && devicePixelRatio == m_ratio && !m_image.isNull()) {
        return;
    }
    finishPainting();
    QImage resized(interior * devicePixelRatio, QImage::Format_RGB32);
    resized.setDevicePixelRatio(devicePixelRatio);
    resized.fill(toQRgb(kBackgroundWhite));
    if (!m_image.isNull()) {
        QPainter copier(&resized);
        copier.drawImage(QPointF(0, 0), m_image);
    }
    m_image = resized;
    m_ratio = devicePixelRatio;
    m_labels.clear();
    m_mapping = PlaneMapping(m_scale, interior.width(), interior.height());
}

QPainter& PlaneCanvas::imagePainter()
{
    if (!m_painter.isActive()) {
        m_painter.begin(&m_image);
        m_painter.setRenderHint(QPainter::Antialiasing, false);
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    }
    return m_painter;
}

void PlaneCanvas::finishPainting() const
{
    if (m_painter.isActive()) {
        m_painter.end();
    }
}

void PlaneCanvas::markDirty(QRect logical)
{
    const QRect inside = logical.intersected(QRect(QPoint(0, 0), interiorSize()));
    if (inside.isEmpty()) {
        return;
    }
    const bool first = m_dirty.isNull();
    m_dirty |= inside;
    if (first && m_dirtyListener) {
        m_dirtyListener();
    }
}

void PlaneCanvas::markDirty(PixelIndex pixel)
{
    // The hot path of a plot: a pixel known to be inside, usually within
    // what is already marked.
    if (!m_dirty.contains(pixel.column, pixel.row)) {
        markDirty(QRect(pixel.column, pixel.row, 1, 1));
    }
}

QRect PlaneCanvas::takeDirty()
{
    const QRect dirty = m_dirty;
    m_dirty = QRect();
    return dirty;
}

void PlaneCanvas::fillLogicalPixel(PixelIndex pixel, QRgb colour)
{
    if (m_ratio == 1.0) {
        reinterpret_cast<QRgb*>(m_image.scanLine(pixel.row))[pixel.column] = colour;
        return;
    }
    const DeviceSpan columns = deviceSpan(pixel.column, m_ratio);
    const DeviceSpan rows = deviceSpan(pixel.row, m_ratio);
    for (int row = rows.first; row < rows.last; ++row) {
        auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(row));
        for (int column = columns.first; column < columns.last; ++column) {
            line[column] = colour;
        }
    }
}

void PlaneCanvas::clear()
{
    finishPainting();
    m_image.fill(toQRgb(kBackgroundWhite));
    markDirty(QRect(QPoint(0, 0), interiorSize()));
}

void PlaneCanvas::setScale(PlanePoint upperLeft, PlanePoint lowerRight)
{
    m_scale = PlaneScale::fromCorners(upperLeft, lowerRight);
    m_mapping = PlaneMapping(m_scale, m_mapping.interiorWidth(), m_mapping.interiorHeight());
}

void PlaneCanvas::drawLine(PlanePoint from, PlanePoint to, Rgb colour)
{
    const QRgb rgb = toQRgb(colour);
    QRect covered;
    forEachLinePixel(m_mapping, from, to, [&](PixelIndex pixel) {
        fillLogicalPixel(pixel, rgb);
        covered |= QRect(pixel.column, pixel.row, 1, 1);
    });
    markDirty(covered);
}

void PlaneCanvas::setPoint(PlanePoint at, Rgb colour)
{
    if (const auto pixel = m_mapping.pixelOf(at)) {
        fillLogicalPixel(*pixel, toQRgb(colour));
        markDirty(*pixel);
    }
}

void PlaneCanvas::printNumber(float value)
{
    // Labels far outside are clipped anyway; the bound keeps coordinates well
    // inside what the painter handles.
    constexpr double kFarOutsidePixels = 1.0e6;
    const PixelPoint at = m_mapping.toPixel(m_current);
    if (!(std::fabs(at.column) < kFarOutsidePixels && std::fabs(at.row) < kFarOutsidePixels)) {
        return;
    }
    const QImage& label = labelImage(QString::fromStdString(labelText(value)));
    const QPoint cellCorner(static_cast<int>(std::floor(at.column)), static_cast<int>(std::floor(at.row)));
    imagePainter().drawImage(cellCorner, label);
    markDirty(QRect(cellCorner, label.deviceIndependentSize().toSize()));
}

const QImage& PlaneCanvas::labelImage(const QString& text)
{
    // The same label always comes out as the same pixels, so each is drawn
    // once, on a transparent ground, and then only copied.
    auto found = m_labels.find(text);
    if (found == m_labels.end()) {
        const QFontMetrics metrics(m_labelFont);
        const QSize logical(qMax(1, metrics.horizontalAdvance(text)), m_labelHeight);
        QImage label(logical * m_ratio, QImage::Format_ARGB32_Premultiplied);
        label.setDevicePixelRatio(m_ratio);
        label.fill(Qt::transparent);
        QPainter painter(&label);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(m_labelFont);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(0, m_labelAscent), text);
        painter.end();
        found = m_labels.insert(text, label);
    }
    return found.value();
}

const QImage& PlaneCanvas::image() const
{
    finishPainting();
    return m_image;
}

} // namespace lumivar
