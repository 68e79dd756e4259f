#include "plane_widget.h"

#include "fonts.h"
#include "twips.h"

#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace lumivar {

PlaneWidget::PlaneWidget(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setFont(programFont(kSansSerif825));
    m_screenRatio = devicePixelRatioF();
    // One repaint per batch of primitives rather than one per primitive.
    m_canvas.setDirtyListener([this] {
        QMetaObject::invokeMethod(
            this, [this] { update(m_canvas.takeDirty().translated(contentsRect().topLeft())); },
            Qt::QueuedConnection);
    });
}

PlaneCanvas& PlaneWidget::canvas()
{
    if (size() != m_canvasFitsSize || m_canvasRatio != m_screenRatio) {
        m_canvasFitsSize = size();
        m_canvasRatio = m_screenRatio;
        m_canvas.resize(contentsRect().size(), m_screenRatio);
        m_canvas.setOuterWidthTwips(outerWidthTwips());
    }
    return m_canvas;
}

bool PlaneWidget::event(QEvent* event)
{
    // Asking for the ratio costs too much to do per primitive; it changes
    // only when the widget shows or moves to another screen.
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
    return static_cast<float>(width() * kTwipsPerPixel);
}

void PlaneWidget::paintEvent(QPaintEvent* event)
{
    const QImage& drawn = canvas().image();
    QPainter painter(this);
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

void PlaneWidget::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    (void)canvas();
}

} // namespace lumivar
