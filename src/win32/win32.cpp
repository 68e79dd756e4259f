// Windows API helpers: text conversions, window classes, dots per inch and fonts.
#include "win32.h"

#include "shared/form_layout.h"
#include "shared/texts.h"

#include <atomic>
#include <cmath>
#include <utility>

namespace lumivar::win32 {

std::wstring widen(std::string_view utf8)
{
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string narrow(std::wstring_view wide)
{
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    std::string utf8(static_cast<std::size_t>(
                         WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), static_cast<int>(utf8.size()), nullptr,
                        nullptr);
    return utf8;
}

std::wstring windowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, bool withIcon,
                         UINT style)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = withIcon ? LoadIconW(instance, L"IDI_ICON1") : nullptr;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    return RegisterClassExW(&windowClass) != 0;
}

void cannotGoOn() noexcept
{
    // Once only: the message box's own loop may meet the fault again.
    static std::atomic_flag saying;
    if (!saying.test_and_set()) {
        MessageBoxW(nullptr, widen(kCannotGoOnMessage).c_str(), widen(kProgramTitle).c_str(),
                    MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
    ExitProcess(1);
}

void takeSuggestedPlace(HWND window, LPARAM suggestedRect)
{
    const auto* suggested = reinterpret_cast<const RECT*>(suggestedRect);
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

int dpiOf(HWND window)
{
    // Windows 10 1607 and later know a window's own; earlier ones have one
    // for the whole screen.
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr && window != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi != 0) {
            return static_cast<int>(dpi);
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;
}

namespace {

int CALLBACK noteOutline(const LOGFONTW* /*font*/, const TEXTMETRICW* /*metrics*/, DWORD type, LPARAM found)
{
    if ((type & RASTER_FONTTYPE) != 0) {
        return 1; // go on: a bitmap font does not grow with the resolution
    }
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool hasOutlineFamily(const wchar_t* family)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, family, LF_FACESIZE);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, noteOutline, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

// The designed family, unless it is a bitmap face, then the first of
// Windows' stand-ins that has an outline face. The bitmap font only where no
// outline one exists, and never on a printer.
std::wstring familyFor(const FontRequest& request, FontUse use)
{
    std::wstring designed = widen(request.family);
    if (!isBitmapOnWindows(request) && hasOutlineFamily(designed.c_str())) {
        return designed;
    }
    std::wstring first;
    for (const StandIn& standIn : standInsFor(request)) {
        if (!standsInOn(standIn, true)) {
            continue;
        }
        std::wstring family = widen(standIn.family);
        if (hasOutlineFamily(family.c_str())) {
            return family;
        }
        if (first.empty()) {
            first = std::move(family);
        }
    }
    // On a printer, the bitmap face's first outline stand-in.
    return use == FontUse::Printer && isBitmapOnWindows(request) ? first : designed;
}

} // namespace

Font createFont(const FontRequest& request, int dpi, FontUse use)
{
    const std::wstring family = familyFor(request, use);
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(std::lround(pointsToPixels(request.pointSize, dpi)));
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = use == FontUse::Printer ? OUT_TT_ONLY_PRECIS : OUT_DEFAULT_PRECIS;
    font.lfQuality = use == FontUse::Unsmoothed ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY;
    font.lfPitchAndFamily = static_cast<BYTE>(isSerif(request) ? FF_ROMAN : FF_SWISS);
    family.copy(font.lfFaceName, LF_FACESIZE - 1);
    return Font(CreateFontIndirectW(&font));
}

} // namespace lumivar::win32
