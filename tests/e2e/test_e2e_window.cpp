// The real program under a real X server, driven with mouse and keyboard.
#include "x_session.h"

#include "form1_rect.h"
#include "resident_memory.h"

#include "plot/plane.h"
#include "qt/main_window.h"
#include "shared/texts.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

using namespace lumivar;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGrid = qRgb(10, 10, 10);
const QRgb kBlue = qRgb(0, 0, 255);

PlaneMapping planeMapping(const QImage& interior)
{
    return {PlaneScale::fromCorners(kPlaneUpperLeft, kPlaneLowerRight), interior.width(), interior.height()};
}

// A plane showing more than `count` red pixels.
Lumivar::PlaneCheck redAbove(int count)
{
    return [count](const QImage& plane) {
        const int red = countColour(plane, kRed);
        return red > count ? QString()
                           : QStringLiteral("more than %1 red pixels (saw %2)").arg(count).arg(red);
    };
}

// The grid of a reset: dark lines and the blue stub of the abscissa axis,
// and no curve.
QString freshGrid(const QImage& plane)
{
    const PlaneMapping mapping = planeMapping(plane);
    const auto at = *mapping.pixelOf({5.0F, 10.0F});
    const int red = countColour(plane, kRed);
    if (plane.pixel(400, at.row) != kGrid || plane.pixel(at.column, 100) != kGrid
        || plane.pixel(10, mapping.pixelOf({0.0F, 0.0F})->row) != kBlue || red != 0) {
        return QStringLiteral("a fresh grid with no curve (saw %1 red pixels, %2 grid pixels)")
            .arg(red)
            .arg(countColour(plane, kGrid));
    }
    return {};
}

// Clicks a place on a nested compositor's screen once its pointer is there;
// fails naming what was to be clicked.
#define CLICK_ON(nested, point, what)                                                                        \
    do {                                                                                                     \
        const QString missed = (nested).click(point, QStringLiteral(what));                                  \
        QVERIFY2(missed.isEmpty(), qPrintable(missed));                                                      \
    } while (false)

// A window's place as the failure messages show it.
QString placeOf(const std::optional<QRect>& rect)
{
    return rect ? QStringLiteral("%1,%2 %3 x %4")
                      .arg(rect->x())
                      .arg(rect->y())
                      .arg(rect->width())
                      .arg(rect->height())
                : QStringLiteral("none");
}

// A display number with no X server behind it.
int freeDisplayNumber()
{
    int free = 900;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(free))) {
        ++free;
    }
    return free;
}

// The main window's client area on a screen drawn at `scale`, found by its
// plane: the first row with a white run as wide as the plane's interior.
std::optional<QPoint> clientOnScreen(const QImage& screen, int scale)
{
    const QRect interior =
        form1ControlRect(Form1Control::PicPianoCart)
            .adjusted(kPlaneFrameLogical, kPlaneFrameLogical, -kPlaneFrameLogical, -kPlaneFrameLogical);
    for (int row = 0; row < screen.height(); ++row) {
        int run = 0;
        for (int column = 0; column < screen.width(); ++column) {
            run = screen.pixel(column, row) == kWhite ? run + 1 : 0;
            if (run == interior.width() * scale) {
                return QPoint(column + 1 - run, row) - interior.topLeft() * scale;
            }
        }
    }
    return std::nullopt;
}

int firstRowOf(const QImage& screen, int column, QRgb colour)
{
    for (int row = 0; row < screen.height(); ++row) {
        if (screen.pixel(column, row) == colour) {
            return row;
        }
    }
    return -1;
}

// How thick the vertical grid lines are along a row of the plane, right of
// the labels: one thickness each, or 0 for a line blended into the white.
QList<int> gridThicknesses(const QImage& plane, int row)
{
    QList<int> thicknesses;
    int run = 0;
    for (int column = plane.width() / 10; column < plane.width(); ++column) {
        const QRgb pixel = plane.pixel(column, row);
        run = pixel == kGrid ? run + 1 : run;
        if (pixel != kGrid && (run > 0 || pixel != kWhite)) {
            thicknesses.append(pixel == kWhite ? run : 0);
            run = 0;
        }
    }
    return thicknesses;
}

// The share of an area's pixels that differ between two pictures of a screen.
double changedShare(const QImage& one, const QImage& other, const QRect& area)
{
    qint64 changed = 0;
    for (int row = area.top(); row <= area.bottom(); ++row) {
        for (int column = area.left(); column <= area.right(); ++column) {
            changed += one.pixel(column, row) != other.pixel(column, row) ? 1 : 0;
        }
    }
    return static_cast<double>(changed) / (static_cast<double>(area.width()) * area.height());
}

// What a screen reader reads of the Windows program's main window, or of
// "message", its open message box, through MSAA: a line a control.
std::optional<QString> readAccessible(const XSession& session, const QString& what)
{
    QStringList arguments{qEnvironmentVariable("LUMIVAR_E2E_ACCESSIBLE_NAMES")};
    if (!what.isEmpty()) {
        arguments.append(what);
    }
    return session.run(QStringLiteral("wine"), arguments);
}

} // namespace

class TestEndToEndWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void planeIsWhiteAtStart();
    void resetDrawsTheGrid();
    void typedCurveAppearsWhereTheFormulaPutsIt();
    void helpWindowsOpen();
    void screenReaderReadsEachControl();
    void withoutDisplayItSaysSo_data();
    void withoutDisplayItSaysSo();
    void fallsBackToX11Silently();
    void shortScreenScrollsToEveryControl();
    void onWaylandAtEachScale_data();
    void onWaylandAtEachScale();
    void overflowDoesNotEndTheProgram();
    void thousandQuickClicksStayBounded();
    void twoCurvesOverlay();
    void chiudiEndsTheProcess();

private:
    std::unique_ptr<XSession> m_session;
    std::unique_ptr<Lumivar> m_program;
};

void TestEndToEndWindow::initTestCase()
{
    m_session = std::make_unique<XSession>();
    QVERIFY2(m_session->isReady(), qPrintable(m_session->startFailure()));
    m_program = std::make_unique<Lumivar>(*m_session);
    QVERIFY(m_program->isRunning());
    QVERIFY(m_program->mainWindow().has_value());
}

void TestEndToEndWindow::cleanupTestCase()
{
    // Where a test failed before «Chiudi», the program is ended now, and how
    // it ended checked all the same.
    if (m_program && m_program->isRunning()) {
        VERIFY_ENDED(m_program->end());
    }
    m_program.reset();
    m_session.reset();
}

void TestEndToEndWindow::planeIsWhiteAtStart()
{
    AWAIT_PLANE(seen, *m_program, [](const QImage& plane) {
        const int white = countColour(plane, kWhite);
        return plane.size() == QSize(741, 541) && white == 741 * 541
                   ? QString()
                   : QStringLiteral("741 x 541 white pixels (saw %1 of %2 x %3)")
                         .arg(white)
                         .arg(plane.width())
                         .arg(plane.height());
    });
}

void TestEndToEndWindow::resetDrawsTheGrid()
{
    m_program->clickControl(Form1Control::Command2);
    AWAIT_PLANE(seen, *m_program, freshGrid);
}

void TestEndToEndWindow::typedCurveAppearsWhereTheFormulaPutsIt()
{
    m_program->clickControl(Form1Control::Check1);
    m_program->typeInto(1, QStringLiteral("0.5"));
    m_program->typeInto(2, QStringLiteral("1"));
    m_program->typeInto(3, QStringLiteral("8"));
    m_program->typeInto(4, QStringLiteral("-2"));
    m_program->clickControl(Form1Control::Command1);

    AWAIT_PLANE(seen, *m_program, redAbove(1000));
    const QImage& plane = seen.plane;
    const PlaneMapping mapping = planeMapping(plane);
    const int originColumn = mapping.pixelOf({0.0F, 0.0F})->column;
    for (int row = 0; row < plane.height(); ++row) {
        for (int column = 0; column <= originColumn - 1; ++column) {
            QVERIFY2(plane.pixel(column, row) != kRed, "no point at x <= 0");
        }
    }
    // Off the grid lines, every sampled column carries its point.
    for (const float x : {0.4F, 2.3F, 7.7F, 12.6F, 16.4F}) {
        const float y = static_cast<float>(8.0 * std::sin((double{x} + 0.5) * 1.0) - 2.0);
        const auto at = mapping.pixelOf({x, y});
        bool found = false;
        for (int dy = -2; dy <= 2 && !found; ++dy) {
            found = plane.pixel(at->column, at->row + dy) == kRed;
        }
        QVERIFY2(found, qPrintable(QStringLiteral("curve at x = %1").arg(x)));
    }
}

void TestEndToEndWindow::helpWindowsOpen()
{
    m_program->clickControl(Form1Control::Command5);
    m_program->clickControl(Form1Control::Command5);
    QVERIFY(m_session->waitForWindows(QStringLiteral("Aiuto"), 2));
    const QStringList windows = m_session->windows(QStringLiteral("Aiuto"));
    // A window may be mapped before the window manager has placed it.
    const QRect designed(QPoint(184, 250), QSize(800, 310));
    std::optional<QRect> first;
    std::optional<QRect> second;
    QVERIFY2(waitUntil([&] {
                 first = m_session->geometry(windows[0]);
                 second = m_session->geometry(windows[1]);
                 return first == designed && second == designed;
             }),
             qPrintable(QStringLiteral("both help windows at 184,250 800 x 310 (saw %1 and %2)")
                            .arg(placeOf(first))
                            .arg(placeOf(second))));
    QVERIFY(m_program->isRunning());

    // A click on the main window brings it above them where they belong to
    // a hidden owner (Windows), and leaves them above it where they are
    // transient for it; out of the task bar either way.
    m_program->clickControl(Form1Control::Label2);
    const quint32 main = m_program->mainWindowId().toUInt();
    const auto mainOnTop = [&] {
        const QList<quint32> order = m_session->stackingOrder();
        return !order.isEmpty() && order.last() == main;
    };
    if (Lumivar::isWindowsProgram()) {
        QVERIFY2(waitUntil(mainOnTop), "the clicked main window on top");
    } else {
        QVERIFY(m_program->waitUntilIdle());
        QVERIFY2(!mainOnTop(), "the help windows above the clicked main window");
    }
    const auto inTaskbar = [&] {
        const auto state = m_session->run(
            QStringLiteral("xprop"), {QStringLiteral("-id"), windows[0], QStringLiteral("_NET_WM_STATE")});
        return state && !state->contains(QLatin1String("_NET_WM_STATE_SKIP_TASKBAR"));
    };
    QVERIFY(!inTaskbar());
    // Minimised all the same, as some window managers allow, a help window
    // is listed in the task bar until it is restored. (Windows shows a
    // minimised window without a task bar entry above the task bar.)
    if (!Lumivar::isWindowsProgram()) {
        QVERIFY(m_session->run(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), windows[0]}));
        QVERIFY2(waitUntil(inTaskbar), "the minimised help window in the task bar");
        QVERIFY(m_session->run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), windows[0]}));
        QVERIFY2(waitUntil([&] { return !inTaskbar(); }), "the restored help window out of the task bar");
    }
    // Closed with Alt+F4, each alone, they leave the plane to the tests after.
    for (const QString& window : windows) {
        QVERIFY(m_session->run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), window}));
        QVERIFY(m_session->waitForActive(window));
        m_session->key(QStringLiteral("alt+F4"));
    }
    QVERIFY2(m_session->waitForWindows(QStringLiteral("Aiuto"), 0), "both help windows closed");
    QVERIFY(m_program->isRunning());
}

void TestEndToEndWindow::shortScreenScrollsToEveryControl()
{
    // A 1280 x 720 screen, under a window manager that leaves a new window
    // as large as it asks to be: the program fits itself into the screen,
    // wider by the vertical bar than the design, so that no horizontal bar
    // hides the plane's right edge.
    XSession session(QSize(1280, 720), QStringLiteral("openbox"));
    QVERIFY2(session.isReady(), qPrintable(session.startFailure()));
    // wine's processes serve the display they started on: this screen's own.
    const QTemporaryDir folder;
    if (Lumivar::isWindowsProgram()) {
        QVERIFY(session.useWinePrefixCopy(folder.filePath(QStringLiteral("wine"))));
    }
    Lumivar program(session);
    std::optional<QRect> client;
    QVERIFY2(waitUntil([&] {
                 client = program.mainWindow();
                 return client && client->top() >= 0 && client->bottom() < 720 && client->height() < 736
                        && client->width() > 760;
             }),
             qPrintable(QStringLiteral("the window within the screen (saw %1)").arg(placeOf(client))));
    QVERIFY(program.waitUntilIdle());

    // How far the design has scrolled shows where the plane's white ends:
    // the first white run down the window, as a scroll bar may be white too.
    const auto planeBottom = [&] {
        const QImage screen = session.screenshot();
        const int x = client->x() + lumivar::form1ControlRect(Form1Control::PicPianoCart).left() + 180;
        int bottom = -1;
        for (int y = client->top(); y <= client->bottom(); ++y) {
            if (screen.pixel(x, y) == qRgb(255, 255, 255)) {
                bottom = y;
            } else if (bottom >= 0) {
                break;
            }
        }
        return bottom;
    };
    int before = -1;
    QVERIFY2(waitUntil([&] { return (before = planeBottom()) > client->top(); }), "the plane painted");
    // Tab from the plane to "Chiudi", below the screen's edge: the view
    // follows the focus.
    program.clickControl(Form1Control::PicPianoCart);
    for (int i = 0; i < 4; ++i) {
        session.key(QStringLiteral("Tab"));
    }
    QVERIFY2(waitUntil([&] { return planeBottom() < before; }),
             "the view scrolled to the focused \"Chiudi\"");

    // The wheel turns over the plane and scrolls back, and down again.
    const QPoint wheel = client->topLeft() + QPoint(300, 300);
    for (const auto& [button, awaited] : {std::pair{"4", "the wheel scrolls the window back"},
                                          std::pair{"5", "the wheel scrolls the window down"}}) {
        QVERIFY(session.run(QStringLiteral("xdotool"),
                            {QStringLiteral("mousemove"), QString::number(wheel.x()),
                             QString::number(wheel.y()), QStringLiteral("click"), QStringLiteral("--repeat"),
                             QStringLiteral("10"), QLatin1String(button)}));
        QVERIFY2(waitUntil([&, up = button[0] == '4'] { return (planeBottom() == before) == up; }), awaited);
    }
    QVERIFY(program.waitUntilIdle());
    const QPoint scrolled(0, before - planeBottom());

    // "Aiuto" keeps the focus while a help window is active; back in the
    // main window, the focus is "Aiuto" again, and Enter opens another.
    program.clickClient(lumivar::form1ControlRect(Form1Control::Command5).center() - scrolled);
    QVERIFY(session.waitForWindows(QStringLiteral("Aiuto"), 1));
    const QString help = session.windows(QStringLiteral("Aiuto")).value(0);
    const auto helpArea = session.geometry(help);
    QVERIFY(helpArea);
    session.click(helpArea->center());
    QVERIFY2(session.waitForActive(help), "the clicked help window active");
    QVERIFY(
        session.run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), program.mainWindowId()}));
    QVERIFY(session.waitForActive(program.mainWindowId()));
    session.key(QStringLiteral("Return"));
    QVERIFY2(session.waitForWindows(QStringLiteral("Aiuto"), 2), "Enter on \"Aiuto\", focused again");
    QVERIFY(
        session.run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), program.mainWindowId()}));
    QVERIFY(session.waitForActive(program.mainWindowId()));
    program.clickClient(lumivar::form1ControlRect(Form1Control::Command4).center() - scrolled);
    QVERIFY2(program.waitForExit(kDeadlineMs), "the program ended by «Chiudi», scrolled into view");
    VERIFY_ENDED(program.howItEnded());
}

void TestEndToEndWindow::onWaylandAtEachScale_data()
{
    QTest::addColumn<Compositor>("compositor");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QSize>("screen"); // in device pixels
    QTest::newRow("weston, 1, 1280 x 720") << Compositor::Weston << 1 << QSize(1280, 720);
    QTest::newRow("weston, 2, 1280 x 800") << Compositor::Weston << 2 << QSize(2560, 1600);
    QTest::newRow("mutter, 1, 1366 x 768") << Compositor::Mutter << 1 << QSize(1366, 768);
}

void TestEndToEndWindow::onWaylandAtEachScale()
{
    QFETCH(Compositor, compositor);
    QFETCH(int, scale);
    QFETCH(QSize, screen);
    if (Lumivar::isWindowsProgram()) {
        QSKIP("Windows has no Wayland");
    }
    // The compositor and an X server both answer: the program is a Wayland
    // client, or the plane would not be found at the scale.
    XSession session(screen, QString());
    QVERIFY2(session.isReady(), qPrintable(session.startFailure()));
    if (compositor == Compositor::Mutter
        && !session.run(QStringLiteral("mutter"), {QStringLiteral("--help")})
                .value_or(QString())
                .contains(QLatin1String("--nested"))) {
        QSKIP("this mutter has no nested mode");
    }
    std::optional<NestedCompositor> nested; // a busy machine may lose a start: once more
    for (int attempt = 0; attempt < 2 && (!nested || !nested->startFailure().isEmpty()); ++attempt) {
        nested.emplace(session, compositor, scale);
    }
    QVERIFY2(nested->startFailure().isEmpty(), qPrintable(nested->startFailure()));
    Lumivar program(session);
    std::optional<QPoint> client;
    QVERIFY2(waitUntil([&] { return (client = clientOnScreen(session.screenshot(), scale)).has_value(); }),
             "the main window's plane whole on the screen, and no horizontal bar");
    const QRect plane(*client
                          + (form1ControlRect(Form1Control::PicPianoCart).topLeft()
                             + QPoint(kPlaneFrameLogical, kPlaneFrameLogical))
                                * scale,
                      QSize(741, 541) * scale);

    // Drawn at the output's resolution: every grid line `scale` pixels thick.
    CLICK_ON(*nested, *client + form1ControlRect(Form1Control::Command2).center() * scale, "«Reset»");
    QImage grid;
    QVERIFY2(waitUntil([&] { return freshGrid(grid = session.screenshot().copy(plane)).isEmpty(); }),
             qPrintable(QStringLiteral("after «Reset»: ") + freshGrid(grid)));
    const QList<int> lines = gridThicknesses(grid, planeMapping(grid).pixelOf({0.0F, 9.5F})->row);
    QVERIFY2(lines.size() >= 16 && lines.count(scale) == lines.size(),
             qPrintable(QStringLiteral("%1 of %2 lines %3 pixels thick")
                            .arg(lines.count(scale))
                            .arg(lines.size())
                            .arg(scale)));

    // Within the screen: Tab from the plane to "Chiudi", and the view
    // scrolls it into the mouse's reach, by as much as the abscissa axis rises.
    const int axisColumn = plane.left() + 10;
    const int axisBefore = firstRowOf(session.screenshot(), axisColumn, kBlue);
    CLICK_ON(*nested, plane.center(), "the plane");
    for (int i = 0; i < 4; ++i) {
        session.key(QStringLiteral("Tab"));
    }
    // A busy machine may pass the program's idle before the compositor has
    // handed it every Tab: the view is at rest once it reads the same twice.
    int axisAfter = -1;
    QVERIFY2(waitUntil([&] {
                 const int was = axisAfter;
                 (void)program.waitUntilIdle(nested->pid());
                 axisAfter = firstRowOf(session.screenshot(), axisColumn, kBlue);
                 return axisAfter == was;
             }),
             qPrintable(QStringLiteral("the view scrolled to «Chiudi» and at rest (abscissa axis at row %1, "
                                       "then %2)")
                            .arg(axisBefore)
                            .arg(axisAfter)));
    const QPoint shift(0, (axisBefore - axisAfter) / scale);
    const auto at = [&](Form1Control control) {
        return *client + (form1ControlRect(control).center() - shift) * scale;
    };

    // Help windows stay above the main window when it is clicked; where
    // the compositor places them over it, they leave its controls clear.
    const QImage alone = session.screenshot();
    // Twice before the first opens: weston may place it over «Aiuto».
    CLICK_ON(*nested, at(Form1Control::Command5), "«Aiuto»");
    CLICK_ON(*nested, at(Form1Control::Command5), "«Aiuto»");
    QImage helped;
    QVERIFY2(
        waitUntil([&] { return changedShare(helped = session.screenshot(), alone, alone.rect()) > 0.1; }),
        "help windows on the screen after «Aiuto»");
    QVERIFY(program.waitUntilIdle(nested->pid()));
    helped = session.screenshot();
    CLICK_ON(*nested, at(Form1Control::Label2), "the label \"frequenza\"");
    QVERIFY(program.waitUntilIdle(nested->pid()));
    QVERIFY2(changedShare(session.screenshot(), helped, helped.rect()) < 0.1,
             "help windows above the clicked main window");
    const QString shots = qEnvironmentVariable("LUMIVAR_SCREENSHOT_DIR"); // the README's, on request
    if (!shots.isEmpty()) {
        const QString name =
            compositor == Compositor::Weston ? QStringLiteral("weston") : QStringLiteral("mutter");
        QVERIFY(session.screenshot().save(QStringLiteral("%1/linux-%2-%3x.png").arg(shots, name).arg(scale)));
    }
    const QRect controls(at(Form1Control::Check1) - QPoint(0, 20 * scale), QSize(741, 160) * scale);
    if (compositor == Compositor::Mutter) {
        QVERIFY2(changedShare(session.screenshot(), alone, controls) < 0.1,
                 "the controls clear of the help windows");
    }
    // A failure tells a missed click (a help window over «Chiudi») from a
    // program that did not end (its stack).
    const QRect chiudi = form1ControlRect(Form1Control::Command4);
    const double covered =
        changedShare(session.screenshot(), alone,
                     QRect(*client + (chiudi.topLeft() - shift) * scale, chiudi.size() * scale));
    CLICK_ON(*nested, at(Form1Control::Command4), "«Chiudi»");
    (void)program.waitForExit(kDeadlineMs);
    const QString ended = program.howItEnded();
    QVERIFY2(ended.isEmpty(),
             qPrintable(QStringLiteral("«Chiudi» clicked on the screen, the view scrolled by %1, "
                                       "%2 % of it changed since the help windows opened: %3")
                            .arg(shift.y())
                            .arg(qRound(covered * 100))
                            .arg(ended)));
}

void TestEndToEndWindow::screenReaderReadsEachControl()
{
    // The Linux program's tree is walked over AT-SPI by a test of its own.
    if (!Lumivar::isWindowsProgram()) {
        QSKIP("MSAA is the Windows program's");
    }
    const auto said = readAccessible(*m_session, QString());
    QVERIFY2(said, "the MSAA reader beside the program");
    qInfo("MSAA, id role name description:\n%s", qPrintable(*said));
    // id, role, name, description: wine names every control and calls each a
    // client, and gives no description it was handed.
    // MSAA's roles: a client, a push button, a check button, a text, a static text.
    constexpr int kClient = 10;
    const auto roleOf = [](ControlKind kind) {
        switch (kind) {
        case ControlKind::PushButton:
            return 43;
        case ControlKind::CheckBox:
            return 44;
        case ControlKind::TextBox:
            return 42;
        case ControlKind::Label:
            return 41;
        case ControlKind::DrawingBox:
            break;
        }
        return kClient;
    };
    QList<std::pair<int, QString>> read;
    for (const QString& line : said->split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        read.append({fields.value(1).toInt(), fields.value(2).simplified()});
    }
    for (const ControlEntry& entry : lumivar::kForm1Controls) {
        const std::string_view designed = entry.accessibleName.empty() ? entry.caption : entry.accessibleName;
        const QString name =
            QString::fromUtf8(designed.data(), static_cast<qsizetype>(designed.size())).simplified();
        QVERIFY2(std::any_of(read.cbegin(), read.cend(),
                             [&](const auto& control) {
                                 return control.second == name
                                        && (control.first == kClient || control.first == roleOf(entry.kind));
                             }),
                 qPrintable(QStringLiteral("«%1» read with its role").arg(name)));
    }
}

void TestEndToEndWindow::withoutDisplayItSaysSo_data()
{
    QTest::addColumn<QString>("x11");     // DISPLAY, unset when empty
    QTest::addColumn<QString>("wayland"); // WAYLAND_DISPLAY, unset when empty
    QTest::addColumn<QString>("said");
    const QString staleX = QStringLiteral(":%1").arg(freeDisplayNumber());
    const QString staleWayland = QStringLiteral("lumivar-gone-0");
    const QString none =
        QString::fromUtf8(lumivar::kNoDisplayMessage.data(), lumivar::kNoDisplayMessage.size());
    const QString silent = QString::fromUtf8(lumivar::kDisplayNotAnsweringMessage.data(),
                                             lumivar::kDisplayNotAnsweringMessage.size());
    QTest::newRow("neither set") << QString() << QString() << none;
    QTest::newRow("stale X") << staleX << QString() << silent;
    QTest::newRow("stale Wayland") << QString() << staleWayland << silent;
    QTest::newRow("both stale") << staleX << staleWayland << silent;
}

void TestEndToEndWindow::withoutDisplayItSaysSo()
{
    QFETCH(QString, x11);
    QFETCH(QString, wayland);
    QFETCH(QString, said);
    if (Lumivar::isWindowsProgram()) {
        QSKIP("Windows always has a display");
    }
    QTemporaryDir runtime;
    QProcess program;
    QProcessEnvironment environment = m_session->environment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    for (const auto& [name, value] :
         {std::pair{QStringLiteral("DISPLAY"), x11}, std::pair{QStringLiteral("WAYLAND_DISPLAY"), wayland}}) {
        if (value.isEmpty()) {
            environment.remove(name);
        } else {
            environment.insert(name, value);
        }
    }
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(LUMIVAR_BINARY), {});
    QVERIFY(program.waitForFinished(kDeadlineMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    // The program's own line, and nothing from the toolkit.
    QCOMPARE(QString::fromUtf8(program.readAllStandardError()), said + QLatin1Char('\n'));
}

void TestEndToEndWindow::fallsBackToX11Silently()
{
    if (Lumivar::isWindowsProgram()) {
        QSKIP("Windows always has a display");
    }
    // A WAYLAND_DISPLAY where nothing answers, beside the session's X server.
    const QTemporaryDir runtime;
    QProcessEnvironment environment = m_session->environment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("lumivar-gone-0"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(LUMIVAR_BINARY), {});
    const QString title = QString::fromUtf8(kProgramTitle.data(), kProgramTitle.size());
    QVERIFY2(m_session->waitForWindows(title, 2), "a second main window on the X server");
    // Closed by its close box, as a user would, so that it ends on its own.
    QStringList windows = m_session->windows(title);
    windows.removeAll(m_program->mainWindowId());
    QVERIFY(windows.size() == 1
            && m_session->run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), windows[0]}));
    QVERIFY(m_session->waitForActive(windows[0]));
    m_session->key(QStringLiteral("alt+F4"));
    QVERIFY2(program.waitForFinished(kDeadlineMs), "the second program ended by its close box");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(m_session->waitForWindows(title, 1));
    // Nothing of a try on Wayland: Qt's warnings for it name it.
    const QString said = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(!said.contains(QLatin1String("ayland")), qPrintable(said));
}

void TestEndToEndWindow::overflowDoesNotEndTheProgram()
{
    const int before = countColour(m_program->awaitPlane(redAbove(1000)).plane, kRed);
    m_program->typeInto(1, QString());
    m_program->typeInto(3, QStringLiteral("1E39"));
    m_program->typeInto(4, QString());
    m_program->clickControl(Form1Control::Command1);
    // The message box carries the program's title, next to the main window;
    // a screen reader reads its text.
    if (Lumivar::isWindowsProgram()) {
        std::optional<QString> read;
        QVERIFY2(
            waitUntil([&] {
                return (read = readAccessible(*m_session, QStringLiteral("message")))
                       && read->contains(QStringLiteral("Errore di calcolo (overflow"));
            }),
            qPrintable(
                QStringLiteral("the message's text through MSAA (read: %1)").arg(read.value_or(QString()))));
        qInfo("MSAA of the message, id role name description:\n%s", qPrintable(*read));
    }
    const auto message = m_program->dismissMessage();
    QVERIFY2(message, qPrintable(m_program->dismissProblem()));
    QVERIFY2(message->startsWith(QStringLiteral("Errore di calcolo (overflow")), qPrintable(*message));
    QVERIFY(m_program->isRunning());
    // The earlier curve is still there, as far as the redrawn grid allows.
    AWAIT_PLANE(after, *m_program, redAbove(before / 2));

    // And the window goes on plotting.
    m_program->typeInto(3, QStringLiteral("3"));
    m_program->clickControl(Form1Control::Command1);
    AWAIT_PLANE(more, *m_program, redAbove(countColour(after.plane, kRed)));
}

void TestEndToEndWindow::thousandQuickClicksStayBounded()
{
    const auto window = m_program->mainWindow();
    QVERIFY(window);
    const QPoint plot = window->topLeft() + form1ControlRect(Form1Control::Command1).center();
    const QPoint reset = window->topLeft() + form1ControlRect(Form1Control::Command2).center();
    const auto clicks = [&](int pairs) {
        QStringList arguments;
        for (int i = 0; i < pairs; ++i) {
            for (const QPoint at : {plot, reset}) {
                arguments << QStringLiteral("mousemove") << QString::number(at.x()) << QString::number(at.y())
                          << QStringLiteral("click") << QStringLiteral("--delay") << QStringLiteral("1")
                          << QStringLiteral("1");
            }
        }
        QVERIFY(m_session->run(QStringLiteral("xdotool"), arguments, 120000).has_value());
    };

    clicks(100); // warm up: caches and the backing store settle
    QVERIFY2(m_program->waitUntilIdle(), "the program done with the first clicks");
    const qint64 before = residentKilobytes(QString::number(m_program->pid()));
    clicks(500);
    QVERIFY2(m_program->waitUntilIdle(), "the program done with every queued click");
    QVERIFY(m_program->isRunning());
    const qint64 after = residentKilobytes(QString::number(m_program->pid()));
    QVERIFY(before > 0);
    QVERIFY2(after - before < 20 * 1024, qPrintable(QStringLiteral("%1 kB -> %2 kB").arg(before).arg(after)));

    // Still answering: the last click was a reset.
    AWAIT_PLANE(seen, *m_program, freshGrid);
}

void TestEndToEndWindow::twoCurvesOverlay()
{
    m_program->clickControl(Form1Control::Command2);
    AWAIT_PLANE(reset, *m_program, freshGrid);
    m_program->typeInto(1, QString());
    m_program->typeInto(2, QStringLiteral("1"));
    m_program->typeInto(3, QStringLiteral("6"));
    m_program->typeInto(4, QStringLiteral("4"));
    m_program->clickControl(Form1Control::Command1);
    AWAIT_PLANE(first, *m_program, redAbove(1000));
    m_program->typeInto(1, QStringLiteral("2"));
    m_program->typeInto(2, QStringLiteral("0.6"));
    m_program->typeInto(3, QStringLiteral("9"));
    m_program->typeInto(4, QStringLiteral("-5"));
    m_program->clickControl(Form1Control::Command1);
    AWAIT_PLANE(both, *m_program, redAbove(countColour(first.plane, kRed) + 1000));

    // The project's screenshot is made here, on request.
    const QString screenshot = qEnvironmentVariable("LUMIVAR_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        const auto window = m_program->mainWindow();
        QVERIFY(window);
        QVERIFY(m_session->screenshot().copy(*window).save(screenshot));
    }
}

void TestEndToEndWindow::chiudiEndsTheProcess()
{
    m_program->clickControl(Form1Control::Command5);
    m_program->clickControl(Form1Control::Command5);
    QVERIFY(m_session->waitForWindows(QStringLiteral("Aiuto"), 2));
    m_program->clickControl(Form1Control::Command4);
    QVERIFY(m_program->waitForExit(10000));
    VERIFY_ENDED(m_program->howItEnded());
    QVERIFY(m_session->waitForWindows(QStringLiteral("Aiuto"), 0));
}

QTEST_GUILESS_MAIN(TestEndToEndWindow)
#include "test_e2e_window.moc"
