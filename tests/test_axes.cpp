// Tests of DisegnaAssi: the axes, the grid and the labels.
#include "plot/axes.h"

#include "recording_surface.h"

#include <QTest>

using namespace lumivar;
using Kind = RecordingSurface::Kind;

class TestAxes : public QObject {
    Q_OBJECT

private slots:
    void drawsAxesThenGridInOrder();
    void labelsSitBesideTheirLines();
    void leavesCursorPastTheLoops();
    void secondCallRepeatsTheSamePrimitives();
    void neverClears();
};

void TestAxes::drawsAxesThenGridInOrder()
{
    RecordingSurface plane;
    PlotCursor cursor;
    DisegnaAssi(plane, cursor);

    QCOMPARE(plane.calls.size(), std::size_t{2 + 20 * 2 + 37 * 2});
    QCOMPARE(plane.ofKind(Kind::Line).size(), std::size_t{59});
    QCOMPARE(plane.ofKind(Kind::Label).size(), std::size_t{57});

    const auto& calls = plane.calls;
    QVERIFY(calls[0].kind == Kind::Line);
    QVERIFY((calls[0].a == PlanePoint{-1, 0}) && (calls[0].b == PlanePoint{18, 0}));
    QVERIFY(calls[0].colour == kAxisBlue);
    QVERIFY((calls[1].a == PlanePoint{0, -18}) && (calls[1].b == PlanePoint{0, 18}));
    QVERIFY(calls[1].colour == kAxisBlue);

    // 20 passes, each a vertical grid line followed by its label.
    for (int i = 0; i < 20; ++i) {
        const auto& line = calls[static_cast<std::size_t>(2 + 2 * i)];
        const auto& label = calls[static_cast<std::size_t>(3 + 2 * i)];
        const float x = static_cast<float>(i - 1);
        QVERIFY(line.kind == Kind::Line);
        QVERIFY((line.a == PlanePoint{x, -18}) && (line.b == PlanePoint{x, 18}));
        QVERIFY(line.colour == kGridDark);
        QVERIFY(label.kind == Kind::Label);
        QCOMPARE(QString::fromStdString(label.text), QString::fromStdString(labelText(x)));
    }
    // 37 passes, each a horizontal grid line from the label column's edge.
    for (int i = 0; i < 37; ++i) {
        const auto& line = calls[static_cast<std::size_t>(42 + 2 * i)];
        const auto& label = calls[static_cast<std::size_t>(43 + 2 * i)];
        const float y = static_cast<float>(i - 18);
        QVERIFY(line.kind == Kind::Line);
        QVERIFY((line.a == PlanePoint{-0.1F, y}) && (line.b == PlanePoint{18, y}));
        QVERIFY(line.colour == kGridDark);
        QVERIFY(label.kind == Kind::Label);
        QCOMPARE(QString::fromStdString(label.text), QString::fromStdString(labelText(y)));
    }
}

void TestAxes::labelsSitBesideTheirLines()
{
    RecordingSurface plane;
    PlotCursor cursor;
    DisegnaAssi(plane, cursor);
    const auto labels = plane.ofKind(Kind::Label);

    QVERIFY((labels.front().a == PlanePoint{-1, -0.1F}));
    QCOMPARE(QString::fromStdString(labels.front().text), QStringLiteral("-1 "));
    // Two labels of zero near the origin: the abscissa's and the ordinate's.
    QVERIFY((labels[1].a == PlanePoint{0, -0.1F}));
    QCOMPARE(QString::fromStdString(labels[1].text), QStringLiteral(" 0 "));
    QVERIFY((labels[20 + 18].a == PlanePoint{-0.5F, 0}));
    QCOMPARE(QString::fromStdString(labels[20 + 18].text), QStringLiteral(" 0 "));
    QVERIFY((labels.back().a == PlanePoint{-0.5F, 18}));
    QCOMPARE(QString::fromStdString(labels.back().text), QStringLiteral(" 18 "));
}

void TestAxes::leavesCursorPastTheLoops()
{
    RecordingSurface plane;
    PlotCursor cursor{3.5F, -2.0F};
    DisegnaAssi(plane, cursor);
    QCOMPARE(cursor.x, 19.0F);
    QCOMPARE(cursor.y, 19.0F);
}

void TestAxes::secondCallRepeatsTheSamePrimitives()
{
    RecordingSurface plane;
    PlotCursor cursor;
    DisegnaAssi(plane, cursor);
    const auto first = plane.calls;
    plane.calls.clear();
    DisegnaAssi(plane, cursor);
    QCOMPARE(plane.calls.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        QVERIFY(plane.calls[i].kind == first[i].kind);
        QVERIFY(plane.calls[i].a == first[i].a);
        QVERIFY(plane.calls[i].b == first[i].b);
        QVERIFY(plane.calls[i].colour == first[i].colour);
        QCOMPARE(plane.calls[i].text, first[i].text);
    }
}

void TestAxes::neverClears()
{
    RecordingSurface plane;
    PlotCursor cursor;
    DisegnaAssi(plane, cursor);
    QVERIFY(plane.ofKind(Kind::Clear).empty());
    QVERIFY(plane.ofKind(Kind::Point).empty());
}

QTEST_GUILESS_MAIN(TestAxes)
#include "test_axes.moc"
