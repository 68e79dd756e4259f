#pragma once

#include "plot/plane.h"
#include "plot/plane_record.h"
#include "shared/form_layout.h"
#include "shared/texts.h"

#include <windows.h>

#include <array>
#include <memory>
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

struct PrintJob;

// Prints the main window's designed area on the default printer, whole,
// centred and in its proportions on the printer's paper; text as text. One
// job at a time.
class Printing {
public:
    // A job that outlives the wait is told to `window` with `lateMessage`.
    Printing(HWND window, UINT lateMessage) : m_window(window), m_lateMessage(lateMessage) {}

    // Hands the job to the print system while the windows keep being
    // painted. Returns what went wrong; ServiceSlow when the print system
    // has not taken it by the deadline, and the job goes on; StillPrinting
    // when the last job is still being handed over.
    [[nodiscard]] std::optional<PrintFailure> print(const PrintedForm& form);
    // Once `lateMessage` came: what became of the job that went on.
    [[nodiscard]] std::optional<PrintFailure> takeLateOutcome();

private:
    HWND m_window;
    UINT m_lateMessage;
    std::shared_ptr<PrintJob> m_job;
};

} // namespace lumivar::win32
