// Windows API helpers: RAII handles, fonts and dots per inch.
#pragma once

#include "shared/fonts.h"
#include "shared/twips.h"

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

namespace lumivar::win32 {

// GDI objects and device contexts owned like any other resource.
struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
template <typename Handle> using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;
using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;
using Brush = GdiObject<HBRUSH>;

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using OwnedDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

// A top-level window of the program's own, destroyed with its owner unless
// the user closed it first.
struct WindowDeleter {
    void operator()(HWND window) const
    {
        if (IsWindow(window) != FALSE) {
            DestroyWindow(window);
        }
    }
};
using Window = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

// Selects an object into a device context for a scope.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(m_dc, m_previous); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    Selection(Selection&&) = delete;
    Selection& operator=(Selection&&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

[[nodiscard]] std::wstring widen(std::string_view utf8);
[[nodiscard]] std::string narrow(std::wstring_view wide);
// A window's text, a control's caption or contents.
[[nodiscard]] std::wstring windowText(HWND window);

// A window's C++ object, kept in its user data.
template <typename Object> [[nodiscard]] Object* objectOf(HWND window)
{
    return reinterpret_cast<Object*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}
// The window's object: at WM_NCCREATE the window takes it from the owner
// given as the creation parameter, so that an object whose window was never
// made stays with its owner; for any later message, the object it holds.
template <typename Object> [[nodiscard]] Object* attachedObject(HWND window, UINT message, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* owner = static_cast<std::unique_ptr<Object>*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        Object* object = owner->release();
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
        return object;
    }
    return objectOf<Object>(window);
}
// Takes the object back from a window at WM_NCDESTROY.
template <typename Object> [[nodiscard]] std::unique_ptr<Object> detachObject(HWND window)
{
    std::unique_ptr<Object> object(objectOf<Object>(window));
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return object;
}

// The program cannot go on: says so, and ends it at once.
[[noreturn]] void cannotGoOn() noexcept;

// A window procedure that no C++ exception leaves: the system that calls it
// knows nothing of them. One that gets there ends the program, saying so.
template <WNDPROC Procedure>
LRESULT CALLBACK guarded(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    try {
        return Procedure(window, message, wParam, lParam);
    } catch (...) {
        cannotGoOn();
    }
}

// Registers a window class of the program's with its procedure; false when
// the system refuses it.
[[nodiscard]] bool registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                                       bool withIcon, UINT style = 0);

// On WM_DPICHANGED: the window takes the place and size the system suggests.
void takeSuggestedPlace(HWND window, LPARAM suggestedRect);

// The window's dots per inch: its monitor's where the system tells them.
[[nodiscard]] int dpiOf(HWND window);

[[nodiscard]] inline int twipsToDevice(int twips, int dpi)
{
    return MulDiv(twips, dpi, kTwipsPerInch);
}
[[nodiscard]] inline RECT toDevice(const TwipsRect& twips, int dpi)
{
    const int left = twipsToDevice(twips.left, dpi);
    const int top = twipsToDevice(twips.top, dpi);
    return {left, top, left + twipsToDevice(twips.width, dpi), top + twipsToDevice(twips.height, dpi)};
}

// The font by its Windows name, or the nearest this system has, at `dpi`
// device pixels per inch. Labels of the plane ask for it unsmoothed, and
// printers for an outline font.
enum class FontUse : std::uint8_t { Screen, Unsmoothed, Printer };
[[nodiscard]] Font createFont(const FontRequest& request, int dpi, FontUse use = FontUse::Screen);

} // namespace lumivar::win32
