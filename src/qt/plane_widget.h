// The Linux plane widget, PicPianoCart.
#pragma once

#include "plane_canvas.h"
#include "plot/plane.h"
#include "plot/surface.h"

#include <QFrame>
#include <QImage>

namespace lumivar {

// The Cartesian plane: a sunken box whose interior is an off-screen canvas
// at the screen's resolution, in which every primitive is drawn. The screen
// is painted from that canvas, so a drawing survives being covered or
// minimised; a printer gets the canvas's record drawn at its own resolution.
class PlaneWidget final : public QFrame, public Surface {
    Q_OBJECT

public:
    explicit PlaneWidget(QWidget* parent = nullptr);

    void clear() override;
    void setScale(PlanePoint upperLeft, PlanePoint lowerRight) override;
    void drawLine(PlanePoint from, PlanePoint to, Rgb colour) override;
    void setPoint(PlanePoint at, Rgb colour) override;
    void setPoints(std::span<const PlanePoint> points, Rgb colour) override;
    void setCurrentX(float x) override;
    void setCurrentY(float y) override;
    void printNumber(float value) override;
    [[nodiscard]] float outerWidthTwips() const override;

    // The interior as drawn so far, in device pixels.
    [[nodiscard]] const QImage& image() const { return m_canvas.image(); }
    [[nodiscard]] const PlaneMapping& mapping() const { return m_canvas.mapping(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void paintFromRecord(QPainter& painter);
    // A hidden widget gets no resize events, yet the window draws on the
    // plane before it is first shown: the canvas follows size and screen on
    // demand. Inline, as every primitive asks.
    PlaneCanvas& canvas()
    {
        if (size() != m_canvasFitsSize || m_canvasRatio != m_screenRatio) {
            fitCanvas();
        }
        return m_canvas;
    }
    void fitCanvas();

    PlaneCanvas m_canvas;
    QSize m_canvasFitsSize;
    qreal m_canvasRatio = 0.0;
    qreal m_screenRatio = 1.0;
};

} // namespace lumivar
