// Tests of the plane's mapping and label format.
#include "plot/plane.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace lumivar;

Q_DECLARE_METATYPE(PixelIndex)

class TestPlane : public QObject {
    Q_OBJECT

private slots:
    void pixelOf_data();
    void pixelOf();
    void cornersMapToInteriorCorners();
    void inverseUndoesForward();
    void labelText_data();
    void labelText();

private:
    static PlaneMapping designed()
    {
        return {PlaneScale::fromCorners(kPlaneUpperLeft, kPlaneLowerRight), 741, 541};
    }
};

void TestPlane::pixelOf_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<bool>("inside");
    QTest::addColumn<PixelIndex>("pixel");

    QTest::newRow("upper-left corner") << -1.0F << 18.0F << true << PixelIndex{0, 0};
    QTest::newRow("origin") << 0.0F << 0.0F << true << PixelIndex{39, 270};
    QTest::newRow("just inside lower-right") << 17.999F << -17.999F << true << PixelIndex{740, 540};
    QTest::newRow("lower-right corner is past the last pixel") << 18.0F << -18.0F << false << PixelIndex{};
    QTest::newRow("left of the plane") << -1.01F << 0.0F << false << PixelIndex{};
    QTest::newRow("above the plane") << 0.0F << 18.01F << false << PixelIndex{};
    QTest::newRow("huge") << 1.0e30F << -1.0e30F << false << PixelIndex{};
    QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN() << 0.0F << false << PixelIndex{};
}

void TestPlane::pixelOf()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(bool, inside);
    QFETCH(PixelIndex, pixel);

    const auto found = designed().pixelOf({x, y});
    QCOMPARE(found.has_value(), inside);
    if (inside) {
        QCOMPARE(found->column, pixel.column);
        QCOMPARE(found->row, pixel.row);
    }
}

void TestPlane::cornersMapToInteriorCorners()
{
    const PlaneMapping mapping = designed();
    const PixelPoint upperLeft = mapping.toPixel(kPlaneUpperLeft);
    const PixelPoint lowerRight = mapping.toPixel(kPlaneLowerRight);
    QCOMPARE(upperLeft.column, 0.0);
    QCOMPARE(upperLeft.row, 0.0);
    QCOMPARE(lowerRight.column, 741.0);
    QCOMPARE(lowerRight.row, 541.0);
    // The origin sits 1/19 of the width from the left and halfway down.
    const PixelPoint origin = mapping.toPixel({0.0F, 0.0F});
    QCOMPARE(origin.column, 741.0 / 19.0);
    QCOMPARE(origin.row, 541.0 / 2.0);
}

void TestPlane::inverseUndoesForward()
{
    const PlaneMapping mapping = designed();
    for (const PlanePoint p :
         {PlanePoint{-1.0F, 18.0F}, PlanePoint{3.25F, -7.5F}, PlanePoint{17.5F, 0.125F}}) {
        const PlanePoint back = mapping.toPlane(mapping.toPixel(p));
        QVERIFY(std::fabs(back.x - p.x) < 1e-5F);
        QVERIFY(std::fabs(back.y - p.y) < 1e-5F);
    }
}

void TestPlane::labelText_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("positive") << 5.0F << " 5 ";
    QTest::newRow("negative") << -3.0F << "-3 ";
    QTest::newRow("zero") << 0.0F << " 0 ";
    QTest::newRow("negative zero") << -0.0F << " 0 ";
    QTest::newRow("two digits") << 18.0F << " 18 ";
    QTest::newRow("lowest label") << -18.0F << "-18 ";
    QTest::newRow("fraction") << 0.5F << " 0.5 ";
    QTest::newRow("shortest form of a single") << 0.1F << " 0.1 ";
    QTest::newRow("large") << 1.0e20F << " 1E+20 ";
}

void TestPlane::labelText()
{
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(lumivar::labelText(value)), text);
}

QTEST_GUILESS_MAIN(TestPlane)
#include "test_plane.moc"
