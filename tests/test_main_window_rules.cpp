// Tests of the main window's rules against a fake front-end.
#include "shared/main_window_rules.h"

#include "recording_surface.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <map>

using namespace lumivar;
using Kind = RecordingSurface::Kind;

Q_DECLARE_METATYPE(Form1Control)

namespace {

// A front-end that remembers what the rules asked of it.
class FakePlatform final : public Form1Platform {
public:
    Surface& planeSurface() override { return surface; }
    [[nodiscard]] bool curveTicked() const override { return ticked; }
    [[nodiscard]] std::string boxText(Form1Control box) const override
    {
        ++boxReads;
        const auto found = boxes.find(box);
        return found == boxes.end() ? std::string() : found->second;
    }
    void showMessage(std::string_view message) override { messages.emplace_back(message); }
    [[nodiscard]] std::optional<PrintFailure> printWindow() override
    {
        ++prints;
        return printFailure;
    }
    [[nodiscard]] bool openHelpWindow() override
    {
        ++helpWindows;
        return helpOpens;
    }
    void endProgram() override { ended = true; }

    void type(const std::array<std::string, 4>& texts)
    {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            boxes[kParameterBoxes[i]] = texts[i];
        }
    }

    RecordingSurface surface;
    bool ticked = false;
    std::map<Form1Control, std::string> boxes;
    mutable int boxReads = 0;
    std::vector<std::string> messages;
    std::optional<PrintFailure> printFailure;
    int prints = 0;
    bool helpOpens = true;
    int helpWindows = 0;
    bool ended = false;
};

struct Window {
    Window() { rules.load(); }

    FakePlatform platform;
    Form1Rules rules{platform};

    [[nodiscard]] std::size_t count(Kind kind) const { return platform.surface.ofKind(kind).size(); }
};

} // namespace

class TestMainWindowRules : public QObject {
    Q_OBJECT

private slots:
    void eachControlRunsItsCommand_data();
    void eachControlRunsItsCommand();
    void curvesOverlayUntilReset();
    void faultIsReportedAndPointsStay_data();
    void faultIsReportedAndPointsStay();
    void boxesReadWhatTheRuleSays();
    void failuresBecomeTheirMessages();
};

void TestMainWindowRules::eachControlRunsItsCommand_data()
{
    QTest::addColumn<Form1Control>("control");
    QTest::addColumn<int>("clears"); // after load's
    QTest::addColumn<bool>("gridDrawn");
    QTest::addColumn<int>("prints");
    QTest::addColumn<int>("helpWindows");
    QTest::addColumn<bool>("ended");
    QTest::newRow("Disegna grafico e curve, unticked")
        << Form1Control::Command1 << 0 << true << 0 << 0 << false;
    QTest::newRow("Reset") << Form1Control::Command2 << 1 << true << 0 << 0 << false;
    QTest::newRow("Stampa") << Form1Control::Command3 << 0 << false << 1 << 0 << false;
    QTest::newRow("Chiudi") << Form1Control::Command4 << 0 << false << 0 << 0 << true;
    QTest::newRow("Aiuto") << Form1Control::Command5 << 0 << false << 0 << 1 << false;
    for (const Form1Control inert :
         {Form1Control::PicPianoCart, Form1Control::Check1, Form1Control::Text1, Form1Control::Label4}) {
        QTest::newRow(entryOf(inert).name.data()) << inert << 0 << false << 0 << 0 << false;
    }
}

void TestMainWindowRules::eachControlRunsItsCommand()
{
    QFETCH(Form1Control, control);
    QFETCH(int, clears);
    QFETCH(bool, gridDrawn);
    QFETCH(int, prints);
    QFETCH(int, helpWindows);
    QFETCH(bool, ended);

    Window window;
    window.platform.type({"0", "1", "5", "0"});
    window.rules.click(control);
    QCOMPARE(int(window.count(Kind::Clear)) - 1, clears); // the first is load's, with the scale
    QCOMPARE(window.platform.surface.calls[1].a, kPlaneUpperLeft);
    // A grid: 2 axes, 20 vertical and 37 horizontal lines, 57 labels.
    QCOMPARE(window.count(Kind::Line), gridDrawn ? std::size_t{59} : std::size_t{0});
    QCOMPARE(window.count(Kind::Label), gridDrawn ? std::size_t{57} : std::size_t{0});
    QCOMPARE(window.count(Kind::Point), std::size_t{0});
    // Unticked, the boxes are never read.
    QCOMPARE(window.platform.boxReads, 0);
    QCOMPARE(window.platform.prints, prints);
    QCOMPARE(window.platform.helpWindows, helpWindows);
    QCOMPARE(window.platform.ended, ended);
    QVERIFY(window.platform.messages.empty());
}

void TestMainWindowRules::curvesOverlayUntilReset()
{
    Window window;
    window.platform.ticked = true;
    window.platform.type({"", "1", "5", ""});
    window.rules.click(Form1Control::Command1);
    const std::size_t first = window.count(Kind::Point);
    QVERIFY(first > 500);

    // "2,5" reads as 2.
    window.platform.type({"", "1", "-9", "2,5"});
    window.rules.click(Form1Control::Command1);
    const auto points = window.platform.surface.ofKind(Kind::Point);
    QVERIFY(points.size() > first + 500);
    QCOMPARE(window.count(Kind::Clear), std::size_t{1}); // load's only
    QCOMPARE(points.back().a.y, float(-9.0 * std::sin(double(points.back().a.x)) + 2.0));
    QCOMPARE(window.platform.boxReads, 8);

    const std::size_t beforeReset = window.platform.surface.calls.size();
    window.rules.click(Form1Control::Command2);
    const auto& calls = window.platform.surface.calls;
    QCOMPARE(calls[beforeReset].kind, Kind::Clear);
    QVERIFY(std::none_of(calls.begin() + std::ptrdiff_t(beforeReset), calls.end(),
                         [](const RecordingSurface::Call& call) { return call.kind == Kind::Point; }));
    QVERIFY(window.platform.messages.empty());
}

void TestMainWindowRules::faultIsReportedAndPointsStay_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("named");

    const QString overflow = QStringLiteral("overflow");
    const QString invalid = QStringLiteral("operazione non valida");
    QTest::newRow("amplitude beyond single range") << QStringList{"", "1", "1E39", ""} << overflow;
    QTest::newRow("mean beyond single range") << QStringList{"", "", "", "-5E38"} << overflow;
    QTest::newRow("1E400 as start") << QStringList{"1E400", "1", "", ""} << overflow;
    QTest::newRow("1E400 as start, no frequency") << QStringList{"1E400", "", "", ""} << invalid;
    QTest::newRow("1E400 as frequency") << QStringList{"", "1E400", "", ""} << overflow;
    QTest::newRow("1E400 as amplitude") << QStringList{"", "1", "1E400", ""} << overflow;
    QTest::newRow("infinity times zero") << QStringList{"", "", "1E400", ""} << invalid;
    QTest::newRow("1E400 as mean") << QStringList{"", "", "", "1E400"} << overflow;
    QTest::newRow("infinities cancel") << QStringList{"", "1", "1E400", "-1E400"} << invalid;
}

void TestMainWindowRules::faultIsReportedAndPointsStay()
{
    QFETCH(QStringList, boxes);
    QFETCH(QString, named);

    Window window;
    window.platform.ticked = true;
    window.platform.type({"0.7", "6", "", ""});
    window.rules.click(Form1Control::Command1);
    const std::size_t before = window.count(Kind::Point);

    window.platform.type(
        {boxes[0].toStdString(), boxes[1].toStdString(), boxes[2].toStdString(), boxes[3].toStdString()});
    window.rules.click(Form1Control::Command1);
    QCOMPARE(window.platform.messages.size(), std::size_t{1});
    const QString message = QString::fromStdString(window.platform.messages.front());
    QVERIFY2(message.contains(named) && message.contains(QStringLiteral("interrotto")), qPrintable(message));
    QCOMPARE(window.count(Kind::Point), before);
    QCOMPARE(window.count(Kind::Clear), std::size_t{1});

    // The window goes on working.
    window.platform.type({"", "2", "-4", "3"});
    window.rules.click(Form1Control::Command1);
    QCOMPARE(window.platform.messages.size(), std::size_t{1});
    QVERIFY(window.count(Kind::Point) > before + 500);
}

void TestMainWindowRules::boxesReadWhatTheRuleSays()
{
    // A megabyte of blanks, or tabs and line feeds pasted in, change nothing.
    std::vector<std::vector<RecordingSurface::Call>> plotted;
    for (const std::array<std::string, 4>& texts :
         {std::array<std::string, 4>{"", "1", "5", ""},
          std::array<std::string, 4>{"", "1", std::string(1'000'000, ' ') + "5", ""},
          std::array<std::string, 4>{"", " 1\t", "\n5\t\n", ""}}) {
        Window window;
        window.platform.ticked = true;
        window.platform.type(texts);
        window.rules.click(Form1Control::Command1);
        plotted.push_back(window.platform.surface.ofKind(Kind::Point));
        QVERIFY(window.platform.messages.empty());
    }
    QVERIFY(plotted[0].size() > 500);
    for (const auto& points : plotted) {
        QCOMPARE(points.size(), plotted[0].size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            QCOMPARE(points[i].a, plotted[0][i].a);
        }
    }
}

void TestMainWindowRules::failuresBecomeTheirMessages()
{
    Window window;
    window.platform.printFailure = PrintFailure{PrintProblem::Refused, "ufficio", "Rifiutato."};
    window.platform.helpOpens = false;
    const std::size_t calls = window.platform.surface.calls.size();
    window.rules.click(Form1Control::Command3);
    window.rules.click(Form1Control::Command5);
    const std::vector<std::string> expected{printFailureMessage(*window.platform.printFailure),
                                            std::string(kHelpNotOpenedMessage)};
    QCOMPARE(window.platform.messages, expected);
    QCOMPARE(window.platform.surface.calls.size(), calls);
}

QTEST_APPLESS_MAIN(TestMainWindowRules)
#include "test_main_window_rules.moc"
