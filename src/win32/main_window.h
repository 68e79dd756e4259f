// The Windows main window, Form1.
#pragma once

#include "accessibility.h"
#include "plane_view.h"
#include "printing.h"
#include "program.h"
#include "shared/form_layout.h"
#include "shared/main_window_rules.h"
#include "win32.h"

#include <windows.h>

#include <array>
#include <optional>
#include <string>

namespace lumivar::win32 {

// The main window: the plane, the four parameter boxes with their labels, the
// "CURVA" box and the five commands, at their designed places. A window
// smaller than its design scrolls over it.
class Form1 final : private Form1Platform {
public:
    static constexpr const wchar_t* kClassName = L"LumivarForm1";
    [[nodiscard]] static bool registerClass(HINSTANCE instance);
    // Opens the main window; nothing when it cannot be made.
    static HWND open(Program& program, int showCommand);

    explicit Form1(Program& program) : m_program(program) {}

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK clientProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    [[nodiscard]] bool create(HWND window);
    [[nodiscard]] bool createControls();
    void layout();
    void updateScrollBars();
    void fitScrollBars();
    void scroll(int bar, WORD request);
    void scrollBy(int bar, int pixels);
    // Scrolls so that a control of the client area is in view.
    void showControl(HWND control);
    void activate(bool active);

    Surface& planeSurface() override { return m_planeView->raster(); }
    [[nodiscard]] bool curveTicked() const override;
    [[nodiscard]] std::string boxText(Form1Control box) const override;
    void showMessage(std::string_view message) override;
    [[nodiscard]] std::optional<PrintFailure> printWindow() override;
    [[nodiscard]] bool openHelpWindow() override;
    void endProgram() override;
    [[nodiscard]] HWND control(Form1Control which) const { return m_controls[indexOf(which)]; }

    Program& m_program;
    HWND m_window = nullptr;
    HWND m_client = nullptr; // every control, at the designed size
    std::array<HWND, kForm1Controls.size()> m_controls{};
    PlaneView* m_planeView = nullptr; // the plane control's, which owns it
    std::array<Font, 3> m_fonts;      // one for each font the table names
    Form1Rules m_rules{*this};
    int m_dpi = kDesignDpi;
    POINT m_scrolled{0, 0};
    HWND m_focused = nullptr; // while another window is active
    bool m_fittingScrollBars = false;
    bool m_resizedWhileFitting = false;
    AccessibleDescriptions m_descriptions;
    bool m_messageOpen = false;
    bool m_printEndedWhileMessage = false; // told once the open message is closed
};

} // namespace lumivar::win32
