#include "dialog.h"

#include "shared/form_layout.h"
#include "shared/texts.h"

#include <memory>

namespace lumivar::win32 {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

} // namespace

void Dialog::registerClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, L"IDI_ICON1");
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
}

void Dialog::open(Program& program)
{
    // The window owns its object from WM_NCCREATE on, and frees it when
    // it is destroyed.
    auto dialog = std::make_unique<Dialog>(program);
    HWND window =
        CreateWindowExW(0, kClassName, L"Aiuto", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, program.helpOwner, nullptr, program.instance, dialog.release());
    if (window != nullptr) {
        // The client area, not the frame, opens at its designed place.
        const int dpi = dpiOf(window);
        RECT frame = toDevice(kDialogClientTwips, dpi);
        AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
        MoveWindow(window, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top, FALSE);
        ShowWindow(window, SW_SHOWNORMAL);
    }
}

void Dialog::create(HWND window)
{
    m_window = window;
    m_program.windowOpened();
    m_label = CreateWindowExW(0, L"STATIC", widen(kHelpText).c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0,
                              0, 0, window, nullptr, m_program.instance, nullptr);
    layout();
}

void Dialog::layout()
{
    const int dpi = dpiOf(m_window);
    m_font = createFont(kSansSerif12, dpi);
    SendMessageW(m_label, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), TRUE);
    const RECT label = toDevice(kDialogLabelTwips, dpi);
    MoveWindow(m_label, label.left, label.top, label.right - label.left, label.bottom - label.top, TRUE);
}

LRESULT CALLBACK Dialog::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* dialog = attachedObject<Dialog>(window, message, lParam);
    switch (message) {
    case WM_CREATE:
        dialog->create(window);
        return 0;
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
