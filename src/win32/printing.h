// "Stampa" on Windows.
#pragma once

#include "printed_form.h"
#include "shared/texts.h"

#include <windows.h>

#include <memory>
#include <optional>

namespace lumivar::win32 {

struct PrintJob;

// Prints the main window's designed area on the default printer, whole,
// centred and in its proportions on the printer's paper; text as text. One
// job at a time, for the whole program.
class Printing {
public:
    // Hands the job to the print system while the windows keep being
    // painted. Returns what went wrong; ServiceSlow when the print system
    // has not taken it by the deadline, and the job goes on: its end is then
    // told to `window` with `lateMessage`. StillPrinting when the last job
    // is still being handed over.
    [[nodiscard]] std::optional<PrintFailure> print(PrintedForm form, HWND window, UINT lateMessage);
    // Once `lateMessage` came: what became of the job that went on.
    [[nodiscard]] std::optional<PrintFailure> takeLateOutcome();
    // Once every window has gone: waits, for a bounded time, for a job that
    // was promised to go on, and writes to the system's event log what can
    // no longer be told in a window.
    void finish();

private:
    std::shared_ptr<PrintJob> m_job;
};

} // namespace lumivar::win32
