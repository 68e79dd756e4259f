#pragma once

#include "plot/plane.h"
#include "plot/surface.h"

#include <QFont>
#include <QFrame>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRect>

namespace lumivar {

// The Cartesian plane: a sunken box whose interior is an off-screen image in
// which every primitive is drawn. The widget paints only from that image, so a
// drawing survives being covered, minimised, resized or printed.
class PlaneWidget final : public QFrame, public Surface {
    Q_OBJECT

public:
    explicit PlaneWidget(QWidget* parent = nullptr);
    ~PlaneWidget() override;

    void clear() override;
    void setScale(PlanePoint upperLeft, PlanePoint lowerRight) override;
    void drawLine(PlanePoint from, PlanePoint to, Rgb colour) override;
    void setPoint(PlanePoint at, Rgb colour) override;
    void setCurrentX(float x) override;
    void setCurrentY(float y) override;
    void printNumber(float value) override;
    [[nodiscard]] float outerWidthTwips() const override;

    // The interior as drawn so far.
    [[nodiscard]] const QImage& image() const;
    [[nodiscard]] const PlaneMapping& mapping() const { return m_mapping; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // A hidden widget gets no resize events, yet the window draws on the
    // plane before it is first shown: the image follows the size on demand.
    void fitImage();
    QPainter& imagePainter();
    const QImage& labelImage(const QString& text);
    void finishPainting() const;
    void markDirty(QRect interiorRect);
    void markDirty(PixelIndex pixel);

    QImage m_image;
    // Kept open between primitives: a plot draws thousands of them inside one
    // click, and the image is only read once control is back in the event loop.
    mutable QPainter m_painter;
    PlaneScale m_scale = PlaneScale::fromCorners(kPlaneUpperLeft, kPlaneLowerRight);
    PlaneMapping m_mapping;
    PlanePoint m_current;
    QFont m_labelFont;
    QHash<QString, QImage> m_labels;
    QRect m_dirty;
    QSize m_imageFitsWidget;
};

} // namespace lumivar
