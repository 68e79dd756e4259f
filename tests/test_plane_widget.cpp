// Tests of the Linux plane widget.
#include "plot/axes.h"
#include "plot/light_curve.h"
#include "qt/plane_widget.h"

#include <QApplication>
#include <QSet>
#include <QTest>

using namespace lumivar;

namespace {

QRgb rgb(Rgb colour)
{
    return qRgb(colour.red, colour.green, colour.blue);
}

int countInRow(const QImage& image, int row, QRgb colour)
{
    int count = 0;
    for (int column = 0; column < image.width(); ++column) {
        count += image.pixel(column, row) == colour ? 1 : 0;
    }
    return count;
}

int columnOf(const PlaneWidget& plane, float x)
{
    return plane.mapping().pixelOf({x, 0.0F})->column;
}
int rowOf(const PlaneWidget& plane, float y)
{
    return plane.mapping().pixelOf({0.0F, y})->row;
}

} // namespace

class TestPlaneWidget : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void hasTheDesignedSize();
    void clearPaintsWhite();
    void interiorCornersOfTheMapping();
    void gridColumnsAndRows_data();
    void gridColumnsAndRows();
    void onlyTheAxisStubStaysBlue();
    void labelsArePlainBitmaps();
    void redrawingTheGridChangesNothing();
    void laterLineCoversEarlier();
    void emptyBoxesDrawARedAbscissa();
    void gridCoversPointsOnItsLines();
    void primitivesOutsideAreClipped();
    void paintsFromItsImage();

private:
    PlaneWidget* m_plane = nullptr;
    PlotCursor m_cursor;
};

void TestPlaneWidget::init()
{
    m_plane = new PlaneWidget;
    m_plane->resize(745, 545);
    m_plane->clear();
    m_plane->setScale(kPlaneUpperLeft, kPlaneLowerRight);
}

void TestPlaneWidget::cleanup()
{
    delete m_plane;
    m_plane = nullptr;
}

void TestPlaneWidget::hasTheDesignedSize()
{
    QCOMPARE(m_plane->outerWidthTwips(), 11175.0F);
    QCOMPARE(m_plane->image().size(), QSize(741, 541));
    QCOMPARE(m_plane->contentsRect(), QRect(2, 2, 741, 541));
}

void TestPlaneWidget::clearPaintsWhite()
{
    DisegnaAssi(*m_plane, m_cursor);
    m_plane->clear();
    const QImage& image = m_plane->image();
    for (int row = 0; row < image.height(); ++row) {
        QCOMPARE(countInRow(image, row, rgb(kBackgroundWhite)), image.width());
    }
}

void TestPlaneWidget::interiorCornersOfTheMapping()
{
    m_plane->setPoint({-1.0F, 18.0F}, kCurveRed);
    m_plane->setPoint({17.9999F, -17.9999F}, kCurveRed);
    m_plane->setPoint({0.0F, 0.0F}, kAxisBlue);
    const QImage& image = m_plane->image();
    QCOMPARE(image.pixel(0, 0), rgb(kCurveRed));
    QCOMPARE(image.pixel(740, 540), rgb(kCurveRed));
    QCOMPARE(image.pixel(39, 270), rgb(kAxisBlue));
    QCOMPARE(countInRow(image, 0, rgb(kCurveRed)), 1);
}

void TestPlaneWidget::gridColumnsAndRows_data()
{
    QTest::addColumn<float>("at");
    QTest::addColumn<bool>("vertical");
    for (const float x : {-1.0F, 0.0F, 1.0F, 9.0F, 17.0F}) {
        QTest::addRow("x = %g", double(x)) << x << true;
    }
    for (const float y : {18.0F, 10.0F, 1.0F, -1.0F, -17.0F}) {
        QTest::addRow("y = %g", double(y)) << y << false;
    }
}

void TestPlaneWidget::gridColumnsAndRows()
{
    QFETCH(float, at);
    QFETCH(bool, vertical);
    DisegnaAssi(*m_plane, m_cursor);
    const QImage& image = m_plane->image();
    if (vertical) {
        // Away from the labels under the abscissa axis the line is unbroken.
        const int column = columnOf(*m_plane, at);
        for (int row = 0; row < 250; ++row) {
            QCOMPARE(image.pixel(column, row), rgb(kGridDark));
        }
    } else {
        const int row = rowOf(*m_plane, at);
        for (int column = columnOf(*m_plane, 0.5F); column < 741; ++column) {
            QCOMPARE(image.pixel(column, row), rgb(kGridDark));
        }
        // The label column left of -0.1 carries no horizontal line.
        QCOMPARE(image.pixel(2, row), rgb(kBackgroundWhite));
    }
}

void TestPlaneWidget::onlyTheAxisStubStaysBlue()
{
    DisegnaAssi(*m_plane, m_cursor);
    const QImage& image = m_plane->image();
    const int axisRow = rowOf(*m_plane, 0.0F);
    const int stubEnd = columnOf(*m_plane, -0.1F);
    for (int row = 0; row < image.height(); ++row) {
        for (int column = 0; column < image.width(); ++column) {
            const bool blue = image.pixel(column, row) == rgb(kAxisBlue);
            // The grid line at x = -1 covers the stub's first column.
            const bool onStub = row == axisRow && column > 0 && column < stubEnd;
            if (blue != onStub && !(onStub && image.pixel(column, row) == qRgb(0, 0, 0))) {
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2)").arg(column).arg(row)));
            }
        }
    }
    QVERIFY(countInRow(image, axisRow, rgb(kAxisBlue)) > stubEnd / 2);
}

void TestPlaneWidget::labelsArePlainBitmaps()
{
    DisegnaAssi(*m_plane, m_cursor);
    const QImage& image = m_plane->image();
    QSet<QRgb> colours;
    int ink = 0;
    for (int row = 0; row < image.height(); ++row) {
        for (int column = 0; column < image.width(); ++column) {
            colours.insert(image.pixel(column, row));
            ink += image.pixel(column, row) == qRgb(0, 0, 0) ? 1 : 0;
        }
    }
    // No antialiasing: every pixel is background, a line colour or pure text black.
    QCOMPARE(colours, (QSet<QRgb>{rgb(kBackgroundWhite), rgb(kAxisBlue), rgb(kGridDark), qRgb(0, 0, 0)}));
    QVERIFY(ink > 57 * 4);
    // The label of -1 at the left edge is visible, just under the abscissa axis.
    const QImage corner = image.copy(0, rowOf(*m_plane, 0.0F) + 1, 36, 20);
    bool inked = false;
    for (int row = 0; row < corner.height() && !inked; ++row) {
        inked = countInRow(corner, row, qRgb(0, 0, 0)) > 0;
    }
    QVERIFY(inked);
}

void TestPlaneWidget::redrawingTheGridChangesNothing()
{
    DisegnaAssi(*m_plane, m_cursor);
    const QImage once = m_plane->image().copy();
    DisegnaAssi(*m_plane, m_cursor);
    QCOMPARE(m_plane->image(), once);
}

void TestPlaneWidget::laterLineCoversEarlier()
{
    m_plane->drawLine({2.0F, -5.0F}, {9.0F, 7.0F}, kCurveRed);
    const QImage first = m_plane->image().copy();
    m_plane->drawLine({2.0F, -5.0F}, {9.0F, 7.0F}, kAxisBlue);
    const QImage& second = m_plane->image();
    int covered = 0;
    for (int row = 0; row < first.height(); ++row) {
        for (int column = 0; column < first.width(); ++column) {
            if (first.pixel(column, row) == rgb(kCurveRed)) {
                QCOMPARE(second.pixel(column, row), rgb(kAxisBlue));
                ++covered;
            }
        }
        QCOMPARE(countInRow(second, row, rgb(kCurveRed)), 0);
    }
    QVERIFY(covered > 150);
}

void TestPlaneWidget::emptyBoxesDrawARedAbscissa()
{
    const PlotOutcome outcome = plotCurves(*m_plane, m_cursor, {true, {}});
    QVERIFY(outcome.fault == PlotFault::None);
    const QImage& image = m_plane->image();
    const int axisRow = rowOf(*m_plane, 0.0F);
    // From just right of the ordinate axis to the right edge, unbroken.
    for (int column = columnOf(*m_plane, 0.0F); column < 741; ++column) {
        QCOMPARE(image.pixel(column, axisRow), rgb(kCurveRed));
    }
    QCOMPARE(countInRow(image, axisRow, rgb(kCurveRed)), 741 - columnOf(*m_plane, 0.0F));
    QCOMPARE(countInRow(image, axisRow - 1, rgb(kCurveRed)), 0);
}

void TestPlaneWidget::gridCoversPointsOnItsLines()
{
    const std::array<std::string, 4> texts{"0", "1", "10", "0"};
    CurveInput input{true, {texts[0], texts[1], texts[2], texts[3]}};
    QVERIFY(plotCurves(*m_plane, m_cursor, input).fault == PlotFault::None);
    const QImage plotted = m_plane->image().copy();
    DisegnaAssi(*m_plane, m_cursor);
    const QImage& redrawn = m_plane->image();

    const int gridColumn = columnOf(*m_plane, 5.0F);
    int kept = 0;
    for (int row = 0; row < plotted.height(); ++row) {
        // On a grid line the point is gone, covered by grid dark.
        if (plotted.pixel(gridColumn, row) == rgb(kCurveRed)) {
            QCOMPARE(redrawn.pixel(gridColumn, row), rgb(kGridDark));
        }
        for (int column = 0; column < plotted.width(); ++column) {
            kept += redrawn.pixel(column, row) == rgb(kCurveRed) ? 1 : 0;
        }
    }
    QVERIFY(kept > 1000); // the rest of the curve stays
    QCOMPARE(countInRow(redrawn, rowOf(*m_plane, 0.0F), rgb(kCurveRed)), 0);
}

void TestPlaneWidget::primitivesOutsideAreClipped()
{
    const QImage before = m_plane->image().copy();
    m_plane->setPoint({18.0F, -18.0F}, kCurveRed);
    m_plane->setPoint({-30.0F, 40.0F}, kCurveRed);
    m_plane->setPoint({1.0e30F, 1.0e30F}, kCurveRed);
    m_plane->drawLine({-1.0e30F, 50.0F}, {1.0e30F, 50.0F}, kCurveRed);
    m_plane->setCurrentX(1.0e30F);
    m_plane->printNumber(5.0F);
    QCOMPARE(m_plane->image(), before);

    // A line crossing the whole plane and beyond is drawn where it is inside.
    m_plane->drawLine({-100.0F, 9.0F}, {100.0F, 9.0F}, kCurveRed);
    QCOMPARE(countInRow(m_plane->image(), rowOf(*m_plane, 9.0F), rgb(kCurveRed)), 741);
}

void TestPlaneWidget::paintsFromItsImage()
{
    DisegnaAssi(*m_plane, m_cursor);
    (void)plotCurves(*m_plane, m_cursor, {true, {}});
    const QImage shown = m_plane->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.copy(m_plane->contentsRect()), m_plane->image());
}

QTEST_MAIN(TestPlaneWidget)
#include "test_plane_widget.moc"
