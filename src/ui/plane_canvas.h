#pragma once

#include "plot/plane.h"
#include "plot/surface.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSize>

#include <functional>

namespace lumivar {

// The plane's interior as an image at device resolution. Every primitive is
// placed on the logical pixel grid first and then filled out to the device
// pixels that logical pixel covers, so a line stays one logical pixel wide
// and sharp at any device pixel ratio; labels are rendered at full
// resolution.
class PlaneCanvas final : public Surface {
public:
    PlaneCanvas();
    ~PlaneCanvas() override;

    // Interior size in logical pixels and device pixels to a logical one.
    // What is already drawn stays where it was.
    void resize(QSize interior, qreal devicePixelRatio);
    void setOuterWidthTwips(float twips) { m_outerWidthTwips = twips; }
    // Called when the first primitive after takeDirty() lands.
    void setDirtyListener(std::function<void()> listener) { m_dirtyListener = std::move(listener); }

    void clear() override;
    void setScale(PlanePoint upperLeft, PlanePoint lowerRight) override;
    void drawLine(PlanePoint from, PlanePoint to, Rgb colour) override;
    void setPoint(PlanePoint at, Rgb colour) override;
    void setCurrentX(float x) override { m_current.x = x; }
    void setCurrentY(float y) override { m_current.y = y; }
    void printNumber(float value) override;
    [[nodiscard]] float outerWidthTwips() const override { return m_outerWidthTwips; }

    // The interior as drawn so far, in device pixels, with its ratio set.
    [[nodiscard]] const QImage& image() const;
    [[nodiscard]] const PlaneMapping& mapping() const { return m_mapping; }
    [[nodiscard]] QSize interiorSize() const
    {
        return {m_mapping.interiorWidth(), m_mapping.interiorHeight()};
    }
    // The logical rectangle drawn over since the last call.
    QRect takeDirty();

private:
    void fillLogicalPixel(PixelIndex pixel, QRgb colour);
    void markDirty(QRect logical);
    void markDirty(PixelIndex pixel);
    QPainter& imagePainter();
    void finishPainting() const;
    const QImage& labelImage(const QString& text);

    QImage m_image;
    qreal m_ratio = 1.0;
    // Kept open between labels: a grid draws 57 of them inside one click,
    // and the image is only read once control is back in the event loop.
    mutable QPainter m_painter;
    PlaneScale m_scale = PlaneScale::fromCorners(kPlaneUpperLeft, kPlaneLowerRight);
    PlaneMapping m_mapping;
    PlanePoint m_current;
    float m_outerWidthTwips = 0.0F;
    QFont m_labelFont;
    int m_labelAscent = 0;
    int m_labelHeight = 0;
    QHash<QString, QImage> m_labels;
    QRect m_dirty;
    std::function<void()> m_dirtyListener;
};

} // namespace lumivar
