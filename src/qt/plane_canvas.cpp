// The plane's raster for Qt: labels rendered in Qt's label font, pixels as a QImage.
#include "plane_canvas.h"

#include "program_font.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPointF>

#include <algorithm>
#include <cmath>

namespace lumivar {

namespace {

QFont labelFontOf()
{
    // Labels are drawn the way a bitmap font is: redrawing one leaves exactly
    // the same pixels instead of darkening its edges.
    QFont font = programFont(kSansSerif825);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

LabelGlyphs rasterise(const QFont& font, std::string_view text, double ratio)
{
    const QString label = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(font);
    const QSize logical(std::max(1, metrics.horizontalAdvance(label)), metrics.height());
    QImage image(logical * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    std::fill_n(image.bits(), image.sizeInBytes(), 0); // transparent, without Qt's vector fill
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(0, metrics.ascent()), label);
    painter.end();

    constexpr int kInked = 128;
    return inkedRuns(image.width(), image.height(), [&image](int row, int column) {
        return qAlpha(reinterpret_cast<const QRgb*>(image.constScanLine(row))[column]) >= kInked;
    });
}

} // namespace

PlaneCanvas::PlaneCanvas()
    // Labels are rendered only once the canvas is made and sized.
    : PlaneRaster([this](std::string_view text, double ratio) { return rasterise(m_labelFont, text, ratio); })
    , m_labelFont(labelFontOf())
{
}

const QImage& PlaneCanvas::image() const
{
    // A view, not a copy: rebuilt only when the raster's store moved. The
    // image's own pixels are never written through it.
    const auto* store = reinterpret_cast<const uchar*>(pixels());
    if (m_image.constBits() != store || m_image.width() != deviceWidth() || m_image.height() != deviceHeight()
        || m_image.devicePixelRatio() != ratio()) {
        m_image = QImage(store, deviceWidth(), deviceHeight(), deviceWidth() * qsizetype(sizeof(Pixel)),
                         QImage::Format_RGB32);
        m_image.setDevicePixelRatio(ratio());
    }
    return m_image;
}

QRect PlaneCanvas::takeDirtyRect()
{
    const auto dirty = PlaneRaster::takeDirty();
    // A new view tells anything that caches images by key that it changed.
    m_image = QImage();
    if (!dirty) {
        return {};
    }
    // Every logical pixel that shares a device pixel with the drawing.
    const double r = ratio();
    return {QPoint(int(std::floor(dirty->left / r)), int(std::floor(dirty->top / r))),
            QPoint(int(std::ceil(dirty->right / r)) - 1, int(std::ceil(dirty->bottom / r)) - 1)};
}

} // namespace lumivar
