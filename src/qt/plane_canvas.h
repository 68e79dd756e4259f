// The plane's raster for Qt, seen as a QImage.
#pragma once

#include "shared/plane_raster.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QSize>

namespace lumivar {

// The plane's raster with its labels in Qt's rendering of the label font,
// and its pixels seen as a QImage.
class PlaneCanvas final : public PlaneRaster {
public:
    PlaneCanvas();

    // Interior size in logical pixels and device pixels to a logical one.
    void resize(QSize interior, qreal devicePixelRatio)
    {
        PlaneRaster::resize(interior.width(), interior.height(), devicePixelRatio);
    }

    // The interior as drawn so far, in device pixels, with its ratio set.
    // Drawing goes on in the same pixels: copy() it to keep what it shows.
    [[nodiscard]] const QImage& image() const;
    [[nodiscard]] const QFont& labelFont() const { return m_labelFont; }
    // The logical rectangle drawn over since the last call.
    QRect takeDirtyRect();

private:
    QFont m_labelFont;
    mutable QImage m_image; // over the raster's pixels
};

} // namespace lumivar
