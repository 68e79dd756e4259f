#include "plane_widget.h"

#include "fonts.h"
#include "twips.h"

#include <QFontMetrics>
#include <QLineF>
#include <QMetaObject>
#include <QPaintEvent>
#include <QPointF>
#include <QResizeEvent>

#include <cmath>

namespace lumivar {

namespace {

QColor toQColor(Rgb colour)
{
    return {colour.red, colour.green, colour.blue};
}

// Pixels of a line or a label this far outside the interior are clipped anyway;
// the bound keeps coordinates well inside what the rasteriser handles.
constexpr double kFarOutsidePixels = 1.0e6;

bool isDrawable(PixelPoint p)
{
    return std::fabs(p.column) < kFarOutsidePixels && std::fabs(p.row) < kFarOutsidePixels;
}

QPointF pixelCorner(PixelPoint p)
{
    return {std::floor(p.column), std::floor(p.row)};
}

} // namespace

PlaneWidget::PlaneWidget(QWidget* parent) : QFrame(parent), m_labelFont(programFont(kSansSerif825))
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    // Labels are drawn the way a bitmap font is: redrawing one leaves exactly
    // the same pixels instead of darkening its edges.
    m_labelFont.setStyleStrategy(QFont::NoAntialias);
    m_labelFont.setHintingPreference(QFont::PreferFullHinting);
    setFont(m_labelFont);
}

PlaneWidget::~PlaneWidget()
{
    finishPainting();
}

QPainter& PlaneWidget::imagePainter()
{
    if (!m_painter.isActive() && !m_image.isNull()) {
        m_painter.begin(&m_image);
        m_painter.setRenderHint(QPainter::Antialiasing, false);
        m_painter.setRenderHint(QPainter::TextAntialiasing, false);
        m_painter.setFont(m_labelFont);
    }
    return m_painter;
}

void PlaneWidget::finishPainting() const
{
    if (m_painter.isActive()) {
        m_painter.end();
    }
}

void PlaneWidget::markDirty(QRect interiorRect)
{
    const QRect inside = interiorRect.intersected(m_image.rect());
    if (inside.isEmpty()) {
        return;
    }
    if (m_dirty.isNull()) {
        m_dirty = inside;
        // One repaint per batch of primitives rather than one per primitive.
        QMetaObject::invokeMethod(
            this,
            [this] {
                update(m_dirty.translated(contentsRect().topLeft()));
                m_dirty = QRect();
            },
            Qt::QueuedConnection);
    } else {
        m_dirty |= inside;
    }
}

void PlaneWidget::markDirty(PixelIndex pixel)
{
    // The hot path of a plot: a pixel known to be inside, and usually a
    // batch already pending.
    if (m_dirty.contains(pixel.column, pixel.row)) {
        return;
    }
    markDirty(QRect(pixel.column, pixel.row, 1, 1));
}

void PlaneWidget::clear()
{
    fitImage();
    finishPainting();
    m_image.fill(toQColor(kBackgroundWhite));
    markDirty(m_image.rect());
}

void PlaneWidget::setScale(PlanePoint upperLeft, PlanePoint lowerRight)
{
    fitImage();
    m_scale = PlaneScale::fromCorners(upperLeft, lowerRight);
    m_mapping = PlaneMapping(m_scale, m_image.width(), m_image.height());
}

void PlaneWidget::drawLine(PlanePoint from, PlanePoint to, Rgb colour)
{
    fitImage();
    const PixelPoint a = m_mapping.toPixel(from);
    const PixelPoint b = m_mapping.toPixel(to);
    if (m_image.isNull() || !isDrawable(a) || !isDrawable(b)) {
        return;
    }
    const QLineF line(pixelCorner(a), pixelCorner(b));
    QPainter& painter = imagePainter();
    painter.setPen(QPen(toQColor(colour), 1.0, Qt::SolidLine, Qt::SquareCap));
    painter.drawLine(line);
    markDirty(QRectF(line.p1(), line.p2()).normalized().toAlignedRect().adjusted(-1, -1, 1, 1));
}

void PlaneWidget::setPoint(PlanePoint at, Rgb colour)
{
    fitImage();
    const auto pixel = m_mapping.pixelOf(at);
    if (!pixel || m_image.isNull()) {
        return;
    }
    auto* row = reinterpret_cast<QRgb*>(m_image.scanLine(pixel->row));
    row[pixel->column] = qRgb(colour.red, colour.green, colour.blue);
    markDirty(*pixel);
}

void PlaneWidget::setCurrentX(float x)
{
    m_current.x = x;
}

void PlaneWidget::setCurrentY(float y)
{
    m_current.y = y;
}

void PlaneWidget::printNumber(float value)
{
    fitImage();
    const PixelPoint at = m_mapping.toPixel(m_current);
    if (m_image.isNull() || !isDrawable(at)) {
        return;
    }
    const QImage& label = labelImage(QString::fromStdString(labelText(value)));
    const QPointF cellCorner = pixelCorner(at);
    imagePainter().drawImage(cellCorner, label);
    markDirty(QRectF(cellCorner, QSizeF(label.size())).toAlignedRect());
}

const QImage& PlaneWidget::labelImage(const QString& text)
{
    // The same label always comes out as the same pixels, so each is drawn
    // once, on a transparent ground, and then only copied.
    auto found = m_labels.find(text);
    if (found == m_labels.end()) {
        const QFontMetrics metrics(m_labelFont);
        QImage label(qMax(1, metrics.horizontalAdvance(text)), metrics.height(),
                     QImage::Format_ARGB32_Premultiplied);
        label.fill(Qt::transparent);
        QPainter painter(&label);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(m_labelFont);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QPointF(0, metrics.ascent()), text);
        painter.end();
        found = m_labels.insert(text, label);
    }
    return found.value();
}

float PlaneWidget::outerWidthTwips() const
{
    return static_cast<float>(width() * kTwipsPerPixel);
}

const QImage& PlaneWidget::image() const
{
    finishPainting();
    return m_image;
}

void PlaneWidget::paintEvent(QPaintEvent* event)
{
    finishPainting();
    QPainter painter(this);
    const QRect interior = contentsRect();
    const QRect dirty = event->rect().intersected(interior);
    if (!dirty.isEmpty()) {
        painter.drawImage(dirty, m_image, dirty.translated(-interior.topLeft()));
    }
    drawFrame(&painter);
}

void PlaneWidget::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    fitImage();
}

void PlaneWidget::fitImage()
{
    if (size() == m_imageFitsWidget) {
        return;
    }
    m_imageFitsWidget = size();
    const QSize interior = contentsRect().size();
    if (interior == m_image.size()) {
        return;
    }
    finishPainting();
    // What is drawn stays where it was; new room is background.
    QImage resized(interior, QImage::Format_RGB32);
    resized.fill(toQColor(kBackgroundWhite));
    if (!m_image.isNull()) {
        QPainter copier(&resized);
        copier.drawImage(QPoint(0, 0), m_image);
    }
    m_image = resized;
    m_mapping = PlaneMapping(m_scale, m_image.width(), m_image.height());
}

} // namespace lumivar
