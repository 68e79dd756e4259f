// The Linux plane widget: the canvas painted on the screen, redrawn at each resolution.
#include "plane_widget.h"

#include "pixels.h"
#include "program_font.h"
#include "shared/form_layout.h"
#include "vector_plane.h"

#include <QMetaObject>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace lumivar {

PlaneWidget::PlaneWidget(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kPlaneFrameLogical);
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setFont(programFont(kSansSerif825));
    m_screenRatio = devicePixelRatioF();
    // One repaint per batch of primitives rather than one per primitive.
    m_canvas.setDirtyListener([this] {
        QMetaObject::invokeMethod(
            this, [this] { update(m_canvas.takeDirtyRect().translated(contentsRect().topLeft())); },
            Qt::QueuedConnection);
    });
}

void PlaneWidget::fitCanvas()
{
    m_canvasFitsSize = size();
    m_canvasRatio = m_screenRatio;
    m_canvas.resize(contentsRect().size(), m_screenRatio);
    m_canvas.setOuterWidthTwips(outerWidthTwips());
}

bool PlaneWidget::event(QEvent* event)
{
    // Asking for the ratio costs too much to do per primitive; it changes
    // only when the widget shows or moves to another screen, and then the
    // plane is drawn again from its record at the new ratio.
    if (event->type() == QEvent::Show || event->type() == QEvent::ScreenChangeInternal) {
        m_screenRatio = devicePixelRatioF();
        if (m_canvasRatio != m_screenRatio) {
            (void)canvas();
            update();
        }
    }
    return QFrame::event(event);
}

void PlaneWidget::clear()
{
    canvas().clear();
}

void PlaneWidget::setScale(PlanePoint upperLeft, PlanePoint lowerRight)
{
    canvas().setScale(upperLeft, lowerRight);
}

void PlaneWidget::drawLine(PlanePoint from, PlanePoint to, Rgb colour)
{
    canvas().drawLine(from, to, colour);
}

void PlaneWidget::setPoint(PlanePoint at, Rgb colour)
{
    canvas().setPoint(at, colour);
}

void PlaneWidget::setPoints(std::span<const PlanePoint> points, Rgb colour)
{
    canvas().setPoints(points, colour);
}

void PlaneWidget::setCurrentX(float x)
{
    m_canvas.setCurrentX(x);
}

void PlaneWidget::setCurrentY(float y)
{
    m_canvas.setCurrentY(y);
}

void PlaneWidget::printNumber(float value)
{
    canvas().printNumber(value);
}

float PlaneWidget::outerWidthTwips() const
{
    return static_cast<float>(pixelsToTwips(width()));
}

void PlaneWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (painter.paintEngine()->type() != QPaintEngine::Raster) {
        // A printer, or another device of its own resolution.
        paintFromRecord(painter);
        drawFrame(&painter);
        return;
    }
    const QImage& drawn = canvas().image();
    const QRect interior = contentsRect();
    const QRect dirty = event->rect().intersected(interior);
    if (!dirty.isEmpty()) {
        const qreal ratio = drawn.devicePixelRatio();
        const QRectF source(QPointF(dirty.topLeft() - interior.topLeft()) * ratio,
                            QSizeF(dirty.size()) * ratio);
        painter.drawImage(QRectF(dirty), drawn, source);
    }
    drawFrame(&painter);
}

void PlaneWidget::paintFromRecord(QPainter& painter)
{
    const QRect interior = contentsRect();
    painter.save();
    painter.setClipRect(interior);
    painter.translate(interior.topLeft());
    {
        VectorPlane plane(painter, canvas().mapping(), m_canvas.labelFont(),
                          VectorPlane::layerResolution(painter));
        plane.clear();
        m_canvas.record().replay(plane, kCurveRed);
    } // the last points are painted as it goes
    painter.restore();
}

void PlaneWidget::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    (void)canvas();
}

} // namespace lumivar
