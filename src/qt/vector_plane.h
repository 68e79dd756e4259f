// The plane drawn with a painter at a printer's own resolution.
#pragma once

#include "plot/plane.h"
#include "plot/surface.h"

#include <QFont>
#include <QImage>

class QPainter;

namespace lumivar {

// The plane drawn with a painter at the painter's own resolution, for
// printers: lines as thin straight lines and labels as text, both placed
// exactly; curve points as red squares of a logical pixel centred on their
// positions, gathered into transparent layers between the lines and labels
// that cover them. Coordinates are the interior's logical pixels.
class VectorPlane final : public Surface {
public:
    // `layerPixelsPerPixel` sets the layers' resolution; see layerResolution().
    VectorPlane(QPainter& painter, const PlaneMapping& mapping, const QFont& labelFont,
                int layerPixelsPerPixel);
    ~VectorPlane() override;
    VectorPlane(const VectorPlane&) = delete;
    VectorPlane& operator=(const VectorPlane&) = delete;
    VectorPlane(VectorPlane&&) = delete;
    VectorPlane& operator=(VectorPlane&&) = delete;

    // The coarsest layer resolution, in layer pixels to a logical pixel, that
    // still gives at least 300 pixels to the inch on the painter's device.
    [[nodiscard]] static int layerResolution(const QPainter& painter);

    void clear() override;
    void setScale(PlanePoint upperLeft, PlanePoint lowerRight) override;
    void drawLine(PlanePoint from, PlanePoint to, Rgb colour) override;
    void setPoint(PlanePoint at, Rgb colour) override;
    void setCurrentX(float x) override { m_current.x = x; }
    void setCurrentY(float y) override { m_current.y = y; }
    void printNumber(float value) override;
    [[nodiscard]] float outerWidthTwips() const override { return 0.0F; }

private:
    // Paints the points gathered so far, below what comes next.
    void flushLayer();

    QPainter& m_painter;
    PlaneMapping m_mapping;
    QFont m_labelFont;
    int m_layerResolution;
    QImage m_layer; // one bit a pixel: transparent or curve red
    bool m_layerUsed = false;
    PlanePoint m_current;
};

} // namespace lumivar
