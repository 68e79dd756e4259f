// The program's message box on Windows, with Ctrl+C copying it.
#include "message_box.h"

#include "shared/form_layout.h"
#include "win32.h"

#include <cstring>

namespace lumivar::win32 {

namespace {

// The control that holds a message box's text.
constexpr int kMessageTextId = 0xffff;

void copyToClipboard(HWND owner, const std::wstring& text)
{
    if (OpenClipboard(owner) == FALSE) {
        return;
    }
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes); memory != nullptr) {
        void* locked = GlobalLock(memory);
        if (locked != nullptr) {
            std::memcpy(locked, text.c_str(), bytes);
            GlobalUnlock(memory);
        }
        // The clipboard takes the memory only when it holds the text.
        if (locked == nullptr || SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

// The box's modal loop runs inside MessageBoxW: its keys reach the program
// through a hook on the messages that loop takes.
LRESULT CALLBACK filter(int code, WPARAM wParam, LPARAM lParam)
{
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_KEYDOWN && message->wParam == 'C'
        && (GetKeyState(VK_CONTROL) & 0x8000) != 0) {
        HWND box = GetAncestor(message->hwnd, GA_ROOT);
        const std::wstring rule = L"---------------------------\r\n";
        copyToClipboard(box, rule + windowText(box) + L"\r\n" + rule
                                 + windowText(GetDlgItem(box, kMessageTextId)) + L"\r\n" + rule + L"OK\r\n"
                                 + rule);
        message->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct HookDeleter {
    void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};

} // namespace

void showMessage(HWND owner, const std::wstring& text)
{
    const std::unique_ptr<std::remove_pointer_t<HHOOK>, HookDeleter> hook(
        SetWindowsHookExW(WH_GETMESSAGE, filter, nullptr, GetCurrentThreadId()));
    MessageBoxW(owner, text.c_str(), widen(kProgramTitle).c_str(), MB_OK | MB_ICONWARNING);
}

} // namespace lumivar::win32
