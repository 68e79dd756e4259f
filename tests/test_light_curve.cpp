// Tests of the light-curve plotter.
#include "plot/light_curve.h"
#include "plot/text_to_number.h"

#include "recording_surface.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

using namespace lumivar;
using Kind = RecordingSurface::Kind;

Q_DECLARE_METATYPE(PlotFault)

namespace {

struct Plot {
    explicit Plot(float outerWidth) : plane(outerWidth) {}

    RecordingSurface plane;
    PlotCursor cursor;
    PlotOutcome outcome;
    std::vector<RecordingSurface::Call> points;
};

// Keeps the texts alive for the plot; CurveInput only views them.
std::unique_ptr<Plot> plot(const std::array<std::string, 4>& texts, bool ticked = true,
                           float outerWidth = 11175.0F)
{
    auto result = std::make_unique<Plot>(outerWidth);
    CurveInput input;
    input.curveTicked = ticked;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        input.texts[i] = texts[i];
    }
    result->outcome = plotCurves(result->plane, result->cursor, input);
    result->points = result->plane.ofKind(Kind::Point);
    return result;
}

} // namespace

class TestLightCurve : public QObject {
    Q_OBJECT

private slots:
    void emptyBoxesDrawTheAbscissaLine();
    void samplesFollowTheSingleStep();
    void untickedOnlyRedrawsTheGrid();
    void neverErasesAndDrawsGridFirst();
    void clipsToThePlane();
    void flatLineAtFrequencyZero_data();
    void flatLineAtFrequencyZero();
    void noPointLeftOfTheOrdinateAxis_data();
    void noPointLeftOfTheOrdinateAxis();
    void pointsFollowTheFormula();
    void faults_data();
    void faults();
    void overflowKeepsEarlierPoints();
    void lateFaultKeepsEveryEarlierPoint();
    void widthsThatCannotStep_data();
    void widthsThatCannotStep();
};

void TestLightCurve::emptyBoxesDrawTheAbscissaLine()
{
    const auto p = plot({"", "", "", ""});
    QVERIFY(p->outcome.fault == PlotFault::None);
    QCOMPARE(p->points.size(), std::size_t{10586});
    QCOMPARE(p->outcome.pointsSet, 10586);
    for (const auto& point : p->points) {
        QCOMPARE(point.a.y, 0.0F);
        QVERIFY(point.colour == kCurveRed);
    }
    QVERIFY(std::fabs(p->points.front().a.x - 0.00143F) < 1e-5F);
    QVERIFY(std::fabs(p->points.back().a.x - 17.9986F) < 1e-4F);
}

void TestLightCurve::samplesFollowTheSingleStep()
{
    const auto p = plot({"", "", "", ""});
    const float step = 19.0F / 11175.0F;
    QVERIFY(std::fabs(step - 0.0017002237F) < 1e-10F);
    // Every sample is the previous one plus the step, rounded to single
    // precision; the abscissa is never recomputed from a counter.
    float x = -1.0F;
    int passes = 0;
    std::size_t next = 0;
    while (x <= 18.0F) {
        if (x > 0.0F) {
            QVERIFY(next < p->points.size());
            QCOMPARE(p->points[next].a.x, x);
            ++next;
        }
        x += step;
        ++passes;
    }
    QCOMPARE(passes, 11175);
    QCOMPARE(next, p->points.size());
    QVERIFY(std::fabs(p->cursor.x - 18.0003F) < 1e-4F);
}

void TestLightCurve::untickedOnlyRedrawsTheGrid()
{
    const auto p = plot({"1", "1", "5", "0"}, false);
    QVERIFY(p->outcome.fault == PlotFault::None);
    QVERIFY(p->points.empty());
    QCOMPARE(p->plane.ofKind(Kind::Line).size(), std::size_t{59});
    QCOMPARE(p->plane.ofKind(Kind::Label).size(), std::size_t{57});
}

void TestLightCurve::neverErasesAndDrawsGridFirst()
{
    const auto p = plot({"0", "1", "5", "0"});
    QVERIFY(p->plane.ofKind(Kind::Clear).empty());
    // The grid (59 lines, 57 labels) comes before the first point.
    QVERIFY(p->plane.calls[116].kind == Kind::Point);
    for (std::size_t i = 0; i < 116; ++i) {
        QVERIFY(p->plane.calls[i].kind != Kind::Point);
    }
}

void TestLightCurve::clipsToThePlane()
{
    const auto p = plot({"", "1", "30", ""});
    QVERIFY(p->outcome.fault == PlotFault::None);
    QVERIFY(!p->points.empty());
    QVERIFY(p->points.size() < std::size_t{10586});
    float highest = -100.0F;
    float lowest = 100.0F;
    for (const auto& point : p->points) {
        QVERIFY(point.a.y >= -18.0F && point.a.y <= 18.0F);
        highest = std::max(highest, point.a.y);
        lowest = std::min(lowest, point.a.y);
    }
    // Cut off, not squashed: the points near the cut lie right at it.
    QVERIFY(highest > 17.9F);
    QVERIFY(lowest < -17.9F);
}

void TestLightCurve::flatLineAtFrequencyZero_data()
{
    QTest::addColumn<QByteArray>("mean");
    QTest::addColumn<int>("points");

    QTest::newRow("inside") << QByteArray("7") << 10586;
    QTest::newRow("on the lower edge") << QByteArray("-18") << 10586;
    QTest::newRow("on the upper edge") << QByteArray("18") << 10586;
    QTest::newRow("above") << QByteArray("18.5") << 0;
    QTest::newRow("below") << QByteArray("-19") << 0;
}

void TestLightCurve::flatLineAtFrequencyZero()
{
    QFETCH(QByteArray, mean);
    QFETCH(int, points);
    const auto p = plot({"3", "0", "10", mean.toStdString()});
    QVERIFY(p->outcome.fault == PlotFault::None);
    QCOMPARE(static_cast<int>(p->points.size()), points);
    for (const auto& point : p->points) {
        QCOMPARE(double(point.a.y), lumivar::textToNumber(mean.toStdString()));
    }
}

void TestLightCurve::noPointLeftOfTheOrdinateAxis_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("no shift") << QByteArray("0");
    QTest::newRow("shift left") << QByteArray("-5");
    QTest::newRow("shift right") << QByteArray("3.7");
    QTest::newRow("large shift") << QByteArray("1e6");
}

void TestLightCurve::noPointLeftOfTheOrdinateAxis()
{
    QFETCH(QByteArray, start);
    const auto p = plot({start.toStdString(), "2", "4", "1"});
    QVERIFY(!p->points.empty());
    for (const auto& point : p->points) {
        QVERIFY(point.a.x > 0.0F);
        QVERIFY(point.a.x <= 18.0F);
    }
}

void TestLightCurve::pointsFollowTheFormula()
{
    const auto p = plot({"0.5", "0.8", "6", "-2"});
    QCOMPARE(p->points.size(), std::size_t{10586});
    for (const auto& point : p->points) {
        const double expected = 6.0 * std::sin((double{point.a.x} + 0.5) * 0.8) - 2.0;
        QCOMPARE(point.a.y, static_cast<float>(expected));
    }
}

void TestLightCurve::faults_data()
{
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<QByteArray>("c");
    QTest::addColumn<QByteArray>("d");
    QTest::addColumn<PlotFault>("fault");

    QTest::newRow("ordinate beyond single range")
        << QByteArray("") << QByteArray("1") << QByteArray("1E39") << QByteArray("") << PlotFault::Overflow;
    QTest::newRow("mean beyond single range")
        << QByteArray("") << QByteArray("") << QByteArray("") << QByteArray("-1E39") << PlotFault::Overflow;
    QTest::newRow("infinite start") << QByteArray("1E400") << QByteArray("1") << QByteArray("")
                                    << QByteArray("") << PlotFault::Overflow;
    QTest::newRow("infinite start times zero frequency")
        << QByteArray("1E400") << QByteArray("") << QByteArray("") << QByteArray("")
        << PlotFault::InvalidOperation;
    QTest::newRow("infinite frequency")
        << QByteArray("") << QByteArray("1E400") << QByteArray("") << QByteArray("") << PlotFault::Overflow;
    QTest::newRow("infinite amplitude times zero") << QByteArray("") << QByteArray("") << QByteArray("1E400")
                                                   << QByteArray("") << PlotFault::InvalidOperation;
    QTest::newRow("infinite amplitude")
        << QByteArray("") << QByteArray("1") << QByteArray("1E400") << QByteArray("") << PlotFault::Overflow;
    QTest::newRow("infinite mean") << QByteArray("") << QByteArray("") << QByteArray("")
                                   << QByteArray("1E400") << PlotFault::Overflow;
    QTest::newRow("phase overflows") << QByteArray("1.7E308") << QByteArray("1.7E308") << QByteArray("1")
                                     << QByteArray("") << PlotFault::Overflow;
    QTest::newRow("infinities cancel") << QByteArray("") << QByteArray("1") << QByteArray("1E400")
                                       << QByteArray("-1E400") << PlotFault::InvalidOperation;
}

void TestLightCurve::faults()
{
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(QByteArray, c);
    QFETCH(QByteArray, d);
    QFETCH(PlotFault, fault);

    const auto p = plot({a.toStdString(), b.toStdString(), c.toStdString(), d.toStdString()});
    QVERIFY(p->outcome.fault == fault);
    QVERIFY(p->outcome.faultAbscissa > 0.0F);
    QVERIFY(p->outcome.faultAbscissa <= 18.0F);
}

void TestLightCurve::overflowKeepsEarlierPoints()
{
    // An amplitude of 1E39 never brings a sample into the plane, and the
    // ordinate leaves single range once sin(x) passes about 0.3403.
    const auto big = plot({"", "1", "1E39", ""});
    QVERIFY(big->outcome.fault == PlotFault::Overflow);
    QVERIFY(big->points.empty());
    QVERIFY(std::fabs(big->outcome.faultAbscissa - 0.348F) < 0.001F);

    // A mean just above the largest float rounds to it when stored: out of
    // the plane, yet no fault.
    const auto edge = plot({"", "", "", "3.4028235E38"});
    QVERIFY(edge->outcome.fault == PlotFault::None);
    QVERIFY(edge->points.empty());

    // With an empty frequency box the same amplitude is harmless.
    const auto flat = plot({"", "", "1E39", "4"});
    QVERIFY(flat->outcome.fault == PlotFault::None);
    QCOMPARE(flat->points.size(), std::size_t{10586});

    // Points set before the fault are reported and kept: shifting the phase
    // so that the first sample lands exactly on sin(0) puts one point at y = 0
    // before the same amplitude overflows.
    float first = -1.0F;
    while (first <= 0.0F) {
        first += 19.0F / 11175.0F;
    }
    const std::string shift = QByteArray::number(-double{first}, 'g', 17).toStdString();
    const auto late = plot({shift, "1", "1E39", ""});
    QVERIFY(late->outcome.fault == PlotFault::Overflow);
    QCOMPARE(late->outcome.pointsSet, 1);
    QCOMPARE(late->points.size(), std::size_t{1});
    QCOMPARE(late->points.front().a.x, first);
    QCOMPARE(late->points.front().a.y, 0.0F);
    QVERIFY(std::fabs(late->outcome.faultAbscissa - (first + 0.348F)) < 0.001F);
}

void TestLightCurve::lateFaultKeepsEveryEarlierPoint()
{
    // The phase x * 1.7E308 overflows once x passes 1.0575, hundreds of
    // samples in; every sample before that lands inside the plane.
    const auto p = plot({"", "1.7E308", "1", ""});
    QVERIFY(p->outcome.fault == PlotFault::Overflow);
    QVERIFY(std::fabs(p->outcome.faultAbscissa - 1.0575F) < 0.002F);
    int before = 0;
    for (float x = -1.0F; x < p->outcome.faultAbscissa; x += 19.0F / 11175.0F) {
        before += x > 0.0F ? 1 : 0;
    }
    QVERIFY(before > 600);
    QCOMPARE(p->outcome.pointsSet, before);
    QCOMPARE(p->points.size(), static_cast<std::size_t>(before));
    QCOMPARE(p->points.back().a.x + 19.0F / 11175.0F, p->outcome.faultAbscissa);
}

void TestLightCurve::widthsThatCannotStep_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<PlotFault>("fault");
    QTest::newRow("zero") << 0.0F << PlotFault::DivisionByZero;
    QTest::newRow("negative") << -100.0F << PlotFault::InvalidOperation;
    QTest::newRow("step too small to move the abscissa") << 1.0e9F << PlotFault::InvalidOperation;
    QTest::newRow("infinite") << std::numeric_limits<float>::infinity() << PlotFault::InvalidOperation;
    QTest::newRow("step beyond single range") << 1.0e-38F << PlotFault::Overflow;
}

void TestLightCurve::widthsThatCannotStep()
{
    QFETCH(float, width);
    QFETCH(PlotFault, fault);
    const auto p = plot({"", "", "", ""}, true, width);
    QVERIFY(p->outcome.fault == fault);
}

QTEST_GUILESS_MAIN(TestLightCurve)
#include "test_light_curve.moc"
