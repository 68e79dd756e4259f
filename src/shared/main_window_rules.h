// The main window's rules, written once over what each front-end answers.
#pragma once

#include "form_layout.h"
#include "plot/axes.h"
#include "plot/surface.h"
#include "texts.h"

#include <optional>
#include <string>
#include <string_view>

namespace lumivar {

// What the main window's rules read and do through a front-end: each
// platform answers these from its own controls and windows.
class Form1Platform {
public:
    Form1Platform() = default;
    Form1Platform(const Form1Platform&) = delete;
    Form1Platform& operator=(const Form1Platform&) = delete;
    Form1Platform(Form1Platform&&) = delete;
    Form1Platform& operator=(Form1Platform&&) = delete;
    virtual ~Form1Platform() = default;

    // The plane `PicPianoCart`, the surface every command draws on.
    [[nodiscard]] virtual Surface& planeSurface() = 0;
    // Whether "CURVA" is ticked.
    [[nodiscard]] virtual bool curveTicked() const = 0;
    // A text box's contents, in UTF-8.
    [[nodiscard]] virtual std::string boxText(Form1Control box) const = 0;
    // Shows an Italian message over the main window and returns once the
    // user has read it.
    virtual void showMessage(std::string_view message) = 0;
    // Prints the main window; nothing once the printer has the job.
    [[nodiscard]] virtual std::optional<PrintFailure> printWindow() = 0;
    // Opens one more help window, modeless; false when none could open.
    [[nodiscard]] virtual bool openHelpWindow() = 0;
    // What the user reads when no help window could open.
    [[nodiscard]] virtual std::string_view helpNotOpenedMessage() const { return kHelpNotOpenedMessage; }
    // Ends the program: every window closes, nothing else runs.
    virtual void endProgram() = 0;
};

// The main window's behaviour, the same on every platform: what each
// command does, and how a fault becomes the message the user reads.
class Form1Rules {
public:
    explicit Form1Rules(Form1Platform& platform) : m_platform(platform) {}

    // At start-up: the plane cleared and scaled, and left empty.
    void load();
    // A click on a control; a control with no command does nothing.
    void click(Form1Control control);
    // Draws axes, grid and labels over the plane.
    void DisegnaAssi();
    // What came of printing, now or once a late job ends: nothing to say
    // when it printed.
    void reportPrint(const std::optional<PrintFailure>& outcome);

private:
    void plotCurves();
    void reset();
    void printWindow();
    void closeProgram();
    void openHelp();

    Form1Platform& m_platform;
    PlotCursor m_cursor;
};

} // namespace lumivar
