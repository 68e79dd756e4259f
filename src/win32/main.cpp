#include "help_window.h"
#include "main_window.h"
#include "plane_view.h"
#include "program.h"
#include "shared/form_layout.h"
#include "win32.h"

#include <windows.h>

namespace {

constexpr LONG kButtonTypeMask = 0x0F;

// Enter clicks a focused push button, as the space bar does, even when no
// button is the default.
bool clickFocusedButton(const MSG& message)
{
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN || (message.lParam & (1L << 30)) != 0) {
        return false;
    }
    wchar_t className[16] = {};
    GetClassNameW(message.hwnd, className, 16);
    const LONG type = GetWindowLongW(message.hwnd, GWL_STYLE) & kButtonTypeMask;
    if (lstrcmpiW(className, L"BUTTON") != 0 || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)) {
        return false;
    }
    SendMessageW(message.hwnd, BM_CLICK, 0, 0);
    return true;
}

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPWSTR /*lpCmdLine*/, int nShowCmd)
{
    using namespace lumivar::win32;
    HINSTANCE instance = hInstance;
    Program program{instance};
    program.helpOwner =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    const bool registered = PlaneView::registerClass(instance) && Form1::registerClass(instance)
                            && Dialog::registerClass(instance);
    if (!registered || Form1::open(program, nShowCmd) == nullptr) {
        MessageBoxW(nullptr, L"Impossibile aprire la finestra del programma.",
                    widen(lumivar::kProgramTitle).c_str(), MB_OK | MB_ICONERROR);
        return 1;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (clickFocusedButton(message)) {
            continue;
        }
        // Tab and the arrow keys move between each window's controls.
        HWND window = GetAncestor(message.hwnd, GA_ROOT);
        if (window != nullptr && IsDialogMessageW(window, &message) != FALSE) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
