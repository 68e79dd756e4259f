// The Windows help window: its class, layout and window procedure.
#include "help_window.h"

#include "shared/form_layout.h"
#include "shared/texts.h"

#include <memory>
#include <utility>

namespace lumivar::win32 {

namespace {

// A fixed frame with a close box only.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

} // namespace

bool Dialog::registerClass(HINSTANCE instance)
{
    return registerWindowClass(instance, kClassName, guarded<procedure>, true);
}

bool Dialog::open(Program& program)
{
    // The client area, not the frame, opens at its designed place. The
    // window is made there, at the screen's resolution: made at a default
    // size and moved, under wine its X window could keep the default size.
    RECT frame = toDevice(kDialogWindow.client, dpiOf(nullptr));
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    // The window owns its object from WM_NCCREATE on, and frees it when
    // it is destroyed.
    auto dialog = std::make_unique<Dialog>(program);
    HWND window = CreateWindowExW(0, kClassName, widen(kDialogWindow.title).c_str(), kStyle, frame.left,
                                  frame.top, frame.right - frame.left, frame.bottom - frame.top,
                                  program.helpOwner, nullptr, program.instance, &dialog);
    if (window != nullptr) {
        ShowWindow(window, SW_SHOWNORMAL);
    }
    return window != nullptr;
}

bool Dialog::create(HWND window)
{
    m_window = window;
    m_program.windowOpened();
    m_label = CreateWindowExW(0, L"STATIC", widen(kHelpText).c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0,
                              0, 0, window, nullptr, m_program.instance, nullptr);
    if (m_label == nullptr) {
        return false;
    }
    layout();
    return true;
}

void Dialog::layout()
{
    const int dpi = dpiOf(m_window);
    Font font = createFont(kDialogWindow.label.font, dpi);
    SendMessageW(m_label, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    m_font = std::move(font); // the old font goes once the label no longer holds it
    const RECT label = toDevice(kDialogWindow.label.geometry, dpi);
    MoveWindow(m_label, label.left, label.top, label.right - label.left, label.bottom - label.top, TRUE);
}

LRESULT CALLBACK Dialog::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* dialog = attachedObject<Dialog>(window, message, lParam);
    switch (message) {
    case WM_CREATE:
        return dialog->create(window) ? 0 : -1;
    case WM_DPICHANGED:
        takeSuggestedPlace(window, lParam);
        dialog->layout();
        return 0;
    case WM_NCDESTROY: {
        if (const auto owned = detachObject<Dialog>(window)) {
            owned->m_program.windowClosed();
        }
        break;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace lumivar::win32
