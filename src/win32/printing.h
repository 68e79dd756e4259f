#pragma once

#include "plot/plane.h"
#include "plot/plane_record.h"
#include "shared/form_layout.h"
#include "shared/texts.h"

#include <windows.h>

#include <array>
#include <optional>
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

// Prints the main window's designed area on the default printer, whole,
// centred and in its proportions on the printer's paper; text as text. The
// windows keep being painted meanwhile. Returns what went wrong.
[[nodiscard]] std::optional<PrintFailure> printForm(const PrintedForm& form);

} // namespace lumivar::win32
