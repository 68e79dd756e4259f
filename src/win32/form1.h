#pragma once

#include "plane_view.h"
#include "program.h"
#include "shared/form_layout.h"
#include "win32.h"

#include "plot/axes.h"

#include <windows.h>

#include <array>
#include <optional>
#include <string>

namespace lumivar::win32 {

// The main window: the plane, the four parameter boxes with their labels, the
// "CURVA" box and the five commands, at their designed places. A window
// smaller than its design scrolls over it.
class Form1 final {
public:
    static constexpr const wchar_t* kClassName = L"LumivarForm1";
    static void registerClass(HINSTANCE instance);
    // Opens the main window; nothing when it cannot be made.
    static HWND open(Program& program, int showCommand);

    explicit Form1(Program& program) : m_program(program) {}

    // Draws axes, grid and labels over the plane.
    void DisegnaAssi();

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK clientProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void create(HWND window);
    void createControls();
    void layout();
    void updateScrollBars();
    void fitScrollBars();
    void scroll(int bar, WORD request);
    void scrollBy(int bar, int pixels);
    void command(int controlIndex);

    void load();
    void plotCurves();
    void reset();
    void printWindow();
    void closeProgram();
    void openHelp();
    void report(const std::string& message);
    [[nodiscard]] PlaneView& planeView() const;
    [[nodiscard]] PlaneRaster& plane() const { return planeView().raster(); }

    Program& m_program;
    HWND m_window = nullptr;
    HWND m_client = nullptr; // every control, at the designed size
    std::array<HWND, kForm1Controls.size()> m_controls{};
    std::array<Font, 3> m_fonts; // one for each font the table names
    PlotCursor m_cursor;
    int m_dpi = kDesignDpi;
    POINT m_scrolled{0, 0};
    bool m_fittingScrollBars = false;
    bool m_resizedWhileFitting = false;
};

} // namespace lumivar::win32
