// The main window as printed: what it shows, and its drawing on a page.
#pragma once

#include "plot/plane.h"
#include "plot/plane_record.h"
#include "shared/form_layout.h"

#include <windows.h>

#include <array>
#include <string>

namespace lumivar::win32 {

// What the main window shows, taken when "Stampa" is pressed: the plane and
// every control's text and state.
struct PrintedForm {
    PlaneRecord plane;
    PlaneMapping planeMapping; // to the interior's logical pixels
    std::array<std::wstring, kForm1Controls.size()> texts;
    std::array<bool, kForm1Controls.size()> checked{};
};

// Draws the main window's designed area on a page, whole, centred and in its
// proportions, at the device's own resolution: text as text, lines as lines.
void drawForm(HDC dc, const PrintedForm& form);

} // namespace lumivar::win32
