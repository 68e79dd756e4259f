#pragma once

#include "plot/plane.h"
#include "plot/plane_record.h"
#include "plot/surface.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QSize>

#include <functional>
#include <vector>

namespace lumivar {

// The plane's interior as an image at device resolution, drawn from its
// record. Every primitive is placed where its plane coordinates fall on the
// device pixels; lines and points are max(1, round(ratio)) device pixels
// thick, and labels are rendered in the label font at full resolution. A
// new size or ratio draws the record again.
class PlaneCanvas final : public Surface {
public:
    PlaneCanvas();

    // Interior size in logical pixels and device pixels to a logical one.
    void resize(QSize interior, qreal devicePixelRatio);
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

    // The interior as drawn so far, in device pixels, with its ratio set.
    // Drawing goes on in the same pixels: copy() it to keep what it shows.
    [[nodiscard]] const QImage& image() const { return m_image; }
    // What the plane shows, for outputs of other resolutions.
    [[nodiscard]] const PlaneRecord& record() const { return m_record; }
    // The transform to the interior's logical pixels.
    [[nodiscard]] const PlaneMapping& mapping() const { return m_mapping; }
    [[nodiscard]] QSize interiorSize() const
    {
        return {m_mapping.interiorWidth(), m_mapping.interiorHeight()};
    }
    [[nodiscard]] const QFont& labelFont() const { return m_labelFont; }
    // Draws the image again from the record.
    void redraw();
    // The logical rectangle drawn over since the last call.
    QRect takeDirty();

private:
    // A label's inked device pixels, one run of them at a time.
    struct Glyphs {
        struct Run {
            int row;
            int first;
            int end;
        };
        std::vector<Run> runs;
        QSize deviceSize;
    };

    void rebuild(const PlaneScale& scale, QSize interior, qreal ratio);
    // Fills the image anew from a record; `keep` records what it draws too.
    void drawFrom(const PlaneRecord& source, bool keep);
    // Fills the image with the background, with the program's own stores:
    // Qt's fill would slow down what follows (see settleVectorUnit()).
    void blank();
    // After anything that may have moved the image's pixels.
    void takePixels();
    // Fills [left, right) x [top, bottom), clipped to the image.
    void fill(int left, int top, int right, int bottom, QRgb colour);
    void markDirty(int left, int top, int right, int bottom);
    void markAllDirty() { markDirty(0, 0, m_image.width(), m_image.height()); }
    const Glyphs& glyphs(float value);

    QImage m_image;
    // Written directly: a call into the image per pixel would cost more
    // than the drawing itself.
    QRgb* m_pixels = nullptr;
    qsizetype m_stride = 0; // pixels from one row to the next
    qreal m_ratio = 1.0;
    int m_thickness = 1; // device pixels
    PlaneScale m_scale = PlaneScale::fromCorners(kPlaneUpperLeft, kPlaneLowerRight);
    PlaneMapping m_mapping;
    PlaneMapping m_deviceMapping;
    PlaneRecord m_record;
    bool m_replaying = false;
    PlanePoint m_current;
    float m_outerWidthTwips = 0.0F;
    QFont m_labelFont;
    int m_labelAscent = 0;
    int m_labelHeight = 0;
    QHash<float, Glyphs> m_glyphs;
    // Device pixels covered by a record cell, each way.
    double m_devicePerCellX = 0.0;
    double m_devicePerCellY = 0.0;
    QRect m_dirty; // device pixels
    std::function<void()> m_dirtyListener;
};

} // namespace lumivar
