// Tests of the Qt plane canvas.
#include "pixel_count.h"
#include "plot/axes.h"
#include "plot/light_curve.h"
#include "qt/plane_canvas.h"
#include "qt/plane_widget.h"
#include "resident_memory.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QSet>
#include <QTest>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <utility>

using namespace lumivar;

namespace {

// Passes everything on but the labels, whose glyphs are meant to differ
// between resolutions.
class WithoutLabels final : public Surface {
public:
    explicit WithoutLabels(Surface& target) : m_target(target) {}
    void clear() override { m_target.clear(); }
    void setScale(PlanePoint a, PlanePoint b) override { m_target.setScale(a, b); }
    void drawLine(PlanePoint a, PlanePoint b, Rgb colour) override { m_target.drawLine(a, b, colour); }
    void setPoint(PlanePoint at, Rgb colour) override { m_target.setPoint(at, colour); }
    void setCurrentX(float) override {}
    void setCurrentY(float) override {}
    void printNumber(float) override {}
    [[nodiscard]] float outerWidthTwips() const override { return m_target.outerWidthTwips(); }

private:
    Surface& m_target;
};

std::unique_ptr<PlaneCanvas> designedCanvas(qreal ratio)
{
    auto canvas = std::make_unique<PlaneCanvas>();
    canvas->resize({741, 541}, ratio);
    canvas->setOuterWidthTwips(11175.0F);
    canvas->clear();
    canvas->setScale(kPlaneUpperLeft, kPlaneLowerRight);
    return canvas;
}

void drawGridAndCurve(Surface& plane)
{
    PlotCursor cursor;
    const CurveInput input{true, {"0.3", "1.7", "11", "-1"}};
    QVERIFY(plotCurves(plane, cursor, input).fault == PlotFault::None);
    plane.drawLine({-1.0F, 17.0F}, {17.5F, -16.0F}, kCurveRed); // a slanted line too
}

// What a user does: curves over curves, a reset, more curves.
void drawSession(Surface& plane)
{
    PlotCursor cursor;
    for (const CurveInput& input : {CurveInput{true, {"0.3", "1.7", "11", "-1"}},
                                    CurveInput{true, {"", "9", "3", "8"}}, CurveInput{false, {}}}) {
        QVERIFY(plotCurves(plane, cursor, input).fault == PlotFault::None);
    }
    plane.clear();
    DisegnaAssi(plane, cursor);
    for (const CurveInput& input :
         {CurveInput{true, {"-2", "0.4", "30", ""}}, CurveInput{true, {"1", "2.5", "17.9", "0.1"}}}) {
        QVERIFY(plotCurves(plane, cursor, input).fault == PlotFault::None);
    }
}

} // namespace

class TestPlaneCanvas : public QObject {
    Q_OBJECT

private slots:
    void ratioOneIsUnchanged();
    void gridLinesHaveOneThickness_data();
    void gridLinesHaveOneThickness();
    void redrawMatchesDrawing_data();
    void redrawMatchesDrawing();
    void recordStaysSmall();
    void edgesStaySharp();
    void labelsUseTheFullResolution();
    void widgetDrawsAtTheScreenRatio();
};

void TestPlaneCanvas::ratioOneIsUnchanged()
{
    // Lines and points at ratio 1 are exactly those of the logical-pixel
    // drawing the program has always made; labels depend on the fonts.
    const auto canvas = designedCanvas(1.0);
    WithoutLabels surface(*canvas);
    drawSession(surface);
    const QImage& image = canvas->image();
    QCOMPARE(image.size(), QSize(741, 541));
    const QByteArray digest = QCryptographicHash::hash(QByteArrayView(image.constBits(), image.sizeInBytes()),
                                                       QCryptographicHash::Sha256);
    QCOMPARE(digest.toHex(), QByteArray("7483b5794995ae3fbb413d6bc357900e82551aea7b02e8b1110f2d1eefe487c7"));
}

void TestPlaneCanvas::gridLinesHaveOneThickness_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<int>("thickness");
    QTest::newRow("1.25") << 1.25 << 1;
    QTest::newRow("1.5") << 1.5 << 2;
    QTest::newRow("2") << 2.0 << 2;
    QTest::newRow("3") << 3.0 << 3;
}

void TestPlaneCanvas::gridLinesHaveOneThickness()
{
    QFETCH(qreal, ratio);
    QFETCH(int, thickness);
    const auto canvas = designedCanvas(ratio);
    WithoutLabels surface(*canvas);
    PlotCursor cursor;
    DisegnaAssi(surface, cursor);
    const QImage& image = canvas->image();
    const PlaneMapping device(PlaneScale::fromCorners(kPlaneUpperLeft, kPlaneLowerRight), image.width(),
                              image.height());
    // Across a row and down a column between grid lines: the lines at x = 18
    // and y = -18 lie on the far edges, just outside the interior.
    const auto runs = [&image](QPoint start, QPoint step) {
        QList<int> widths;
        int run = 0;
        for (QPoint at = start; image.rect().contains(at); at += step) {
            if (image.pixel(at) != qRgb(255, 255, 255)) {
                ++run;
            } else if (run > 0) {
                widths.append(std::exchange(run, 0));
            }
        }
        return run > 0 ? widths << run : widths;
    };
    const QList<int> vertical = runs({0, device.pixelOf({0.0F, 10.5F})->row}, {1, 0});
    const QList<int> horizontal = runs({device.pixelOf({9.5F, 0.0F})->column, 0}, {0, 1});
    QCOMPARE(vertical, QList<int>(19, thickness));
    QCOMPARE(horizontal, QList<int>(36, thickness));
}

void TestPlaneCanvas::redrawMatchesDrawing_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("1") << 1.0;
    QTest::newRow("1.25") << 1.25;
    QTest::newRow("2") << 2.0;
}

void TestPlaneCanvas::redrawMatchesDrawing()
{
    QFETCH(qreal, ratio);
    const auto drawn = designedCanvas(ratio);
    drawSession(*drawn);
    const QImage incremental = drawn->image().copy();
    QVERIFY(countColour(incremental, qRgb(255, 0, 0)) > 1000);
    drawn->redraw();
    QCOMPARE(drawn->image(), incremental);

    // Drawn at another ratio first, then moved to this one.
    const auto moved = designedCanvas(3.0);
    drawSession(*moved);
    moved->resize({741, 541}, ratio);
    QCOMPARE(moved->image(), incremental);
}

void TestPlaneCanvas::recordStaysSmall()
{
    const auto canvas = designedCanvas(1.0);
    PlotCursor cursor;
    const auto plot = [&](int i) {
        const std::array<std::string, 4> texts{std::to_string(i * 0.37), std::to_string(0.5 + (i % 17) * 0.3),
                                               std::to_string(3 + i % 13), std::to_string(i % 7 - 3)};
        const CurveInput input{true, {texts[0], texts[1], texts[2], texts[3]}};
        QVERIFY(plotCurves(*canvas, cursor, input).fault == PlotFault::None);
    };
    plot(0);
    const qint64 firstPlot = residentKilobytes();
    for (int i = 1; i < 1000; ++i) {
        plot(i);
    }
    const qint64 growth = residentKilobytes() - firstPlot;
    QVERIFY2(growth <= 16 * 1024, qPrintable(QStringLiteral("%1 kB more").arg(growth)));
}

void TestPlaneCanvas::edgesStaySharp()
{
    const auto canvas = designedCanvas(2.0);
    drawGridAndCurve(*canvas);
    QSet<QRgb> colours;
    const QImage& image = canvas->image();
    for (int row = 0; row < image.height(); ++row) {
        for (int column = 0; column < image.width(); ++column) {
            colours.insert(image.pixel(column, row));
        }
    }
    // No colour in between: nothing was interpolated or blended.
    QCOMPARE(colours, (QSet<QRgb>{qRgb(255, 255, 255), qRgb(0, 0, 255), qRgb(10, 10, 10), qRgb(0, 0, 0),
                                  qRgb(255, 0, 0)}));
}

void TestPlaneCanvas::labelsUseTheFullResolution()
{
    const auto canvas = designedCanvas(2.0);
    PlotCursor cursor;
    DisegnaAssi(*canvas, cursor);
    const QImage& image = canvas->image();
    // A label blown up from the logical grid would ink whole 2 x 2 blocks
    // only; one rendered for the device has blocks half inked.
    int mixedBlocks = 0;
    for (int row = 0; row + 1 < image.height(); row += 2) {
        for (int column = 0; column + 1 < image.width(); column += 2) {
            int ink = 0;
            for (const QPoint p : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)}) {
                ink += image.pixel(column + p.x(), row + p.y()) == qRgb(0, 0, 0) ? 1 : 0;
            }
            mixedBlocks += ink > 0 && ink < 4 ? 1 : 0;
        }
    }
    QVERIFY(mixedBlocks > 100);
}

void TestPlaneCanvas::widgetDrawsAtTheScreenRatio()
{
    PlaneWidget plane;
    plane.resize(745, 545);
    plane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plane));
    QCOMPARE(plane.devicePixelRatioF(), 2.0);
    plane.clear();
    plane.setScale(kPlaneUpperLeft, kPlaneLowerRight);

    // The samples still come from the logical width in twips.
    QCOMPARE(plane.outerWidthTwips(), 11175.0F);
    PlotCursor cursor;
    const PlotOutcome outcome = plotCurves(plane, cursor, {true, {}});
    QCOMPARE(outcome.pointsSet, 10586);
    QCOMPARE(plane.image().size(), QSize(1482, 1082));
    QCOMPARE(plane.mapping().interiorWidth(), 741);

    const QImage shown = plane.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.devicePixelRatio(), 2.0);
    QImage interior = shown.copy(QRect(plane.contentsRect().topLeft() * 2, plane.contentsRect().size() * 2));
    interior.setDevicePixelRatio(2.0);
    QCOMPARE(interior, plane.image());
}

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestPlaneCanvas test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_plane_canvas.moc"
