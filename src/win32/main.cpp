// The Windows program's start: the window classes, the main window and the message loop.
#include "accessibility.h"
#include "help_window.h"
#include "main_window.h"
#include "plane_view.h"
#include "program.h"
#include "shared/form_layout.h"
#include "shared/texts.h"
#include "win32.h"

#include <windows.h>

namespace {

using namespace lumivar::win32;

constexpr LONG kButtonTypeMask = 0x0F;

bool isOfClass(HWND window, const wchar_t* name)
{
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    return lstrcmpiW(className, name) == 0;
}

// Enter clicks a focused push button, as the space bar does, even when no
// button is the default.
bool clickFocusedButton(const MSG& message)
{
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN || (message.lParam & (1L << 30)) != 0) {
        return false;
    }
    const LONG type = GetWindowLongW(message.hwnd, GWL_STYLE) & kButtonTypeMask;
    if (!isOfClass(message.hwnd, L"BUTTON") || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)) {
        return false;
    }
    SendMessageW(message.hwnd, BM_CLICK, 0, 0);
    return true;
}

// Ctrl+A selects a box's whole text, as in every current Windows program;
// the system's edit control leaves it to the program.
bool selectAllText(const MSG& message)
{
    if (message.message != WM_KEYDOWN || message.wParam != 'A' || (GetKeyState(VK_CONTROL) & 0x8000) == 0
        || (GetKeyState(VK_MENU) & 0x8000) != 0) {
        return false;
    }
    if (!isOfClass(message.hwnd, L"EDIT")) {
        return false;
    }
    SendMessageW(message.hwnd, EM_SETSEL, 0, -1);
    return true;
}

// Until the program ends; its exit code.
int runMessageLoop()
{
    MSG message;
    HWND focus = nullptr;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab and the arrow keys move between each window's controls.
        HWND window = GetAncestor(message.hwnd, GA_ROOT);
        if (!clickFocusedButton(message) && !selectAllText(message)
            && (window == nullptr || IsDialogMessageW(window, &message) == FALSE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (HWND now = GetFocus(); now != focus) {
            focus = now;
            if (focus != nullptr) {
                SendMessageW(GetAncestor(focus, GA_ROOT), kFocusMovedMessage, 0,
                             reinterpret_cast<LPARAM>(focus));
            }
        }
    }
    return static_cast<int>(message.wParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPWSTR /*lpCmdLine*/, int nShowCmd)
{
    const ComApartment com;
    HINSTANCE instance = hInstance;
    Program program;
    program.instance = instance;
    Window helpOwner(
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr));
    program.helpOwner = helpOwner.get();
    const bool registered = PlaneView::registerClass(instance) && Form1::registerClass(instance)
                            && Dialog::registerClass(instance);
    Window form1(registered && helpOwner ? Form1::open(program, nShowCmd) : nullptr);
    if (!form1) {
        MessageBoxW(nullptr, widen(lumivar::kWindowNotOpenedMessage).c_str(),
                    widen(lumivar::kProgramTitle).c_str(), MB_OK | MB_ICONERROR);
        return 1;
    }
    const int exitCode = runMessageLoop();
    // Every window closes at once; a print still being handed over goes on
    // unseen, and the process ends when it has.
    form1.reset();
    helpOwner.reset();
    program.printing.finish();
    return exitCode;
}
