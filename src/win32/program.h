// What every window of the Windows program shares.
#pragma once

#include "printing.h"

#include <windows.h>

namespace lumivar::win32 {

// Sent to a top-level window when the keyboard focus has moved to one of
// its controls; lParam is the control.
inline constexpr UINT kFocusMovedMessage = WM_APP + 16;

// What every window of the program shares: the instance, the printing, and
// how many of its top-level windows are open, so that closing the last ends
// the program.
struct Program {
    HINSTANCE instance = nullptr;
    // A window never shown that owns the help windows: an owned window has
    // no task bar entry, and the main window still goes above them.
    HWND helpOwner = nullptr;
    Printing printing;
    int openWindows = 0;

    void windowOpened() { ++openWindows; }
    void windowClosed()
    {
        if (--openWindows == 0) {
            end();
        }
    }
    // The one way the program ends: its message loop stops, and what is
    // left of its windows is closed after it.
    static void end() { PostQuitMessage(0); }
};

} // namespace lumivar::win32
