// The main window's rules: the five commands and the messages of their faults.
#include "main_window_rules.h"

#include "plot/compat.h"

#include "plot/light_curve.h"
#include "plot/plane.h"

#include <algorithm>
#include <array>
#include <utility>

namespace lumivar {

namespace {

using Handler = void (Form1Rules::*)();

} // namespace

void Form1Rules::load()
{
    Surface& plane = m_platform.planeSurface();
    plane.clear();
    plane.setScale(kPlaneUpperLeft, kPlaneLowerRight);
}

void Form1Rules::click(Form1Control control)
{
    static constexpr std::array<std::pair<Form1Control, Handler>, 5> kCommands{{
        {Form1Control::Command1, &Form1Rules::plotCurves},
        {Form1Control::Command2, &Form1Rules::reset},
        {Form1Control::Command3, &Form1Rules::printWindow},
        {Form1Control::Command4, &Form1Rules::closeProgram},
        {Form1Control::Command5, &Form1Rules::openHelp},
    }};
    if (const auto* found = compat::ranges::find_if(
            kCommands, [control](const auto& command) { return command.first == control; });
        found != kCommands.end()) {
        (this->*found->second)();
    }
}

void Form1Rules::DisegnaAssi()
{
    lumivar::DisegnaAssi(m_platform.planeSurface(), m_cursor);
}

void Form1Rules::plotCurves()
{
    CurveInput input;
    input.curveTicked = m_platform.curveTicked();
    // Read once, and only when the curve is wanted; kept alive for the plot.
    std::array<std::string, kParameterBoxes.size()> texts;
    if (input.curveTicked) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            texts[i] = m_platform.boxText(kParameterBoxes[i]);
            input.texts[i] = texts[i];
        }
    }
    const PlotOutcome outcome = lumivar::plotCurves(m_platform.planeSurface(), m_cursor, input);
    if (outcome.fault != PlotFault::None) {
        m_platform.showMessage(plotFaultMessage(outcome.fault, outcome.faultAbscissa));
    }
}

void Form1Rules::reset()
{
    m_platform.planeSurface().clear();
    DisegnaAssi();
}

void Form1Rules::printWindow()
{
    reportPrint(m_platform.printWindow());
}

void Form1Rules::reportPrint(const std::optional<PrintFailure>& outcome)
{
    if (outcome) {
        m_platform.showMessage(printFailureMessage(*outcome));
    }
}

void Form1Rules::closeProgram()
{
    m_platform.endProgram();
}

void Form1Rules::openHelp()
{
    if (!m_platform.openHelpWindow()) {
        m_platform.showMessage(m_platform.helpNotOpenedMessage());
    }
}

} // namespace lumivar
