// The plane drawn with a painter at a printer's own resolution.
#include "vector_plane.h"

#include "shared/twips.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <array>
#include <cmath>

namespace lumivar {

namespace {

constexpr double kLeastPixelsPerInch = 300.0;

QColor toQColor(Rgb colour)
{
    return {colour.red, colour.green, colour.blue};
}

QPointF toPointF(PixelPoint pixel)
{
    return {pixel.column, pixel.row};
}

} // namespace

VectorPlane::VectorPlane(QPainter& painter, const PlaneMapping& mapping, const QFont& labelFont,
                         int layerPixelsPerPixel)
    : m_painter(painter)
    , m_mapping(mapping)
    , m_labelFont(labelFont)
    , m_layerResolution(layerPixelsPerPixel)
    , m_layer(mapping.interiorWidth() * layerPixelsPerPixel, mapping.interiorHeight() * layerPixelsPerPixel,
              QImage::Format_Mono)
{
    m_layer.setColorTable({qRgba(0, 0, 0, 0), qRgb(kCurveRed.red, kCurveRed.green, kCurveRed.blue)});
    m_layer.fill(0);
    // Labels are real text here: let the printer smooth them.
    m_labelFont.setStyleStrategy(QFont::PreferDefault);
}

VectorPlane::~VectorPlane()
{
    flushLayer();
}

int VectorPlane::layerResolution(const QPainter& painter)
{
    const double devicePerPixel = std::abs(painter.deviceTransform().m11());
    const double deviceDpi =
        painter.device() != nullptr ? painter.device()->logicalDpiX() : double{kDesignDpi};
    const double needed = kLeastPixelsPerInch * devicePerPixel / deviceDpi;
    constexpr std::array<int, 4> kResolutions{1, 2, 4, 8};
    const auto* enough = std::find_if(kResolutions.begin(), kResolutions.end() - 1,
                                      [needed](int resolution) { return resolution >= needed; });
    return *enough;
}

void VectorPlane::flushLayer()
{
    if (m_layerUsed) {
        m_painter.drawImage(QRectF(0, 0, m_mapping.interiorWidth(), m_mapping.interiorHeight()), m_layer);
        m_layer.fill(0);
        m_layerUsed = false;
    }
}

void VectorPlane::clear()
{
    m_layer.fill(0);
    m_layerUsed = false;
    m_painter.fillRect(QRectF(0, 0, m_mapping.interiorWidth(), m_mapping.interiorHeight()), Qt::white);
}

void VectorPlane::setScale(PlanePoint upperLeft, PlanePoint lowerRight)
{
    m_mapping = PlaneMapping(PlaneScale::fromCorners(upperLeft, lowerRight), m_mapping.interiorWidth(),
                             m_mapping.interiorHeight());
}

void VectorPlane::drawLine(PlanePoint from, PlanePoint to, Rgb colour)
{
    flushLayer();
    // A line of one logical pixel, as on the screen, along its exact course.
    m_painter.setPen(QPen(toQColor(colour), 1.0, Qt::SolidLine, Qt::SquareCap));
    m_painter.drawLine(QLineF(toPointF(m_mapping.toPixel(from)), toPointF(m_mapping.toPixel(to))));
}

void VectorPlane::setPoint(PlanePoint at, Rgb /*colour*/)
{
    const PixelPoint centre = m_mapping.toPixel(at);
    const int size = m_layerResolution;
    const double left = std::floor((centre.column - 0.5) * size);
    const double top = std::floor((centre.row - 0.5) * size);
    if (!(left > -size && left < m_layer.width() && top > -size && top < m_layer.height())) {
        return;
    }
    const int firstColumn = std::max(0, static_cast<int>(left));
    const int endColumn = std::min(m_layer.width(), static_cast<int>(left) + size);
    const int endRow = std::min(m_layer.height(), static_cast<int>(top) + size);
    for (int row = std::max(0, static_cast<int>(top)); row < endRow; ++row) {
        uchar* line = m_layer.scanLine(row);
        for (int column = firstColumn; column < endColumn; ++column) {
            line[column >> 3] |= static_cast<uchar>(0x80U >> (column & 7));
        }
    }
    m_layerUsed = true;
}

void VectorPlane::printNumber(float value)
{
    flushLayer();
    const PixelPoint cell = m_mapping.toPixel(m_current);
    m_painter.setFont(m_labelFont);
    m_painter.setPen(Qt::black);
    m_painter.drawText(QPointF(cell.column, cell.row + QFontMetricsF(m_labelFont).ascent()),
                       QString::fromStdString(labelText(value)));
}

} // namespace lumivar
