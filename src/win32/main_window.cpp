// The Windows main window, Form1: its controls from the shared table, scrolling and commands.
#include "main_window.h"

#include "help_window.h"
#include "message_box.h"
#include "printing.h"
#include "shared/texts.h"
#include "shared/window_fit.h"

#include <algorithm>
#include <memory>
#include <tuple>
#include <utility>

namespace lumivar::win32 {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL | WS_CLIPCHILDREN;
constexpr int kFirstControlId = 100;
constexpr const wchar_t* kClientClassName = L"LumivarForm1Client";
constexpr int kScrollLinePixels = 20;
// A print the window stopped waiting for has ended.
constexpr UINT kPrintEndedMessage = WM_APP + 1;
constexpr std::array kTableFonts{kSansSerif825, kSansSerif12, kBookAntiqua975};

std::size_t fontIndex(const FontRequest& request)
{
    const auto* found = std::ranges::find_if(kTableFonts, [&request](const FontRequest& font) {
        return font.family == request.family && font.pointSize == request.pointSize;
    });
    return found == kTableFonts.end() ? 0 : static_cast<std::size_t>(found - kTableFonts.begin());
}

struct NativeControl {
    const wchar_t* className;
    DWORD style;
    DWORD extendedStyle;
};

NativeControl nativeFor(ControlKind kind)
{
    switch (kind) {
    case ControlKind::DrawingBox:
        return {PlaneView::kClassName, WS_TABSTOP, 0};
    case ControlKind::CheckBox:
        return {L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case ControlKind::PushButton:
        return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, 0};
    case ControlKind::TextBox:
        return {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Label:
        return {L"STATIC", SS_CENTER, 0};
    }
    return {L"STATIC", 0, 0};
}

// The order to make the controls in: the table's tab order, each label just
// before the box it names, which is how screen readers name a box.
std::array<std::size_t, kForm1Controls.size()> creationOrder()
{
    std::array<std::size_t, kForm1Controls.size()> order{};
    std::size_t next = 0;
    for (std::size_t i = 0; i < kForm1Controls.size(); ++i) {
        if (kForm1Controls[i].kind == ControlKind::Label) {
            continue;
        }
        if (const auto* box = std::ranges::find(kParameterBoxes, static_cast<Form1Control>(i));
            box != kParameterBoxes.end()) {
            order[next++] =
                indexOf(kParameterLabels[static_cast<std::size_t>(box - kParameterBoxes.begin())]);
        }
        order[next++] = i;
    }
    return order;
}

} // namespace

bool Form1::registerClass(HINSTANCE instance)
{
    return registerWindowClass(instance, kClassName, guarded<procedure>, true)
           && registerWindowClass(instance, kClientClassName, guarded<clientProcedure>, false);
}

HWND Form1::open(Program& program, int showCommand)
{
    auto form = std::make_unique<Form1>(program);
    HWND window =
        CreateWindowExW(0, kClassName, widen(kProgramTitle).c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, program.instance,
                        &form); // the window owns it from WM_NCCREATE on
    if (window == nullptr) {
        return nullptr;
    }
    // The designed client area, or as much of it as the screen's work area
    // holds: the rest scrolls.
    const int dpi = dpiOf(window);
    RECT frame{0, 0, twipsToDevice(kForm1ClientTwips.width, dpi),
               twipsToDevice(kForm1ClientTwips.height, dpi)};
    AdjustWindowRectEx(&frame, kStyle & ~DWORD{WS_HSCROLL | WS_VSCROLL}, FALSE, 0);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    RECT placed{};
    GetWindowRect(window, &placed);
    const ScreenRect fitted =
        fitWindowToScreen({frame.right - frame.left, frame.bottom - frame.top},
                          {work.right - work.left, work.bottom - work.top},
                          {work.left, work.top, work.right - work.left, work.bottom - work.top}, {},
                          {placed.left, placed.top}, GetSystemMetrics(SM_CXVSCROLL));
    SetWindowPos(window, nullptr, fitted.left, fitted.top, fitted.width, fitted.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return window;
}

bool Form1::create(HWND window)
{
    m_window = window;
    m_program.windowOpened();
    m_client = CreateWindowExW(WS_EX_CONTROLPARENT, kClientClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                               window, nullptr, m_program.instance, nullptr);
    if (m_client == nullptr || !createControls()) {
        return false;
    }
    m_planeView = objectOf<PlaneView>(control(Form1Control::PicPianoCart));
    if (m_planeView == nullptr) {
        return false;
    }
    layout();
    m_rules.load();
    SetFocus(control(Form1Control::PicPianoCart));
    return true;
}

bool Form1::createControls()
{
    for (const std::size_t i : creationOrder()) {
        const ControlEntry& entry = kForm1Controls[i];
        const NativeControl native = nativeFor(entry.kind);
        const std::wstring caption = widen(entry.caption);
        // A window's text is what screen readers name it by; a box is named
        // by its label instead.
        const std::wstring text =
            entry.kind == ControlKind::DrawingBox ? widen(entry.accessibleName) : caption;
        m_controls[i] = CreateWindowExW(native.extendedStyle, native.className, text.c_str(),
                                        WS_CHILD | WS_VISIBLE | native.style, 0, 0, 0, 0, m_client,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)),
                                        m_program.instance, nullptr);
        if (m_controls[i] == nullptr) {
            return false;
        }
        if (entry.kind == ControlKind::TextBox) {
            SendMessageW(m_controls[i], EM_SETLIMITTEXT, 0, 0); // the boxes have no limit
        }
        m_descriptions.describe(m_controls[i], entry.accessibleDescription);
    }
    return true;
}

void Form1::layout()
{
    m_dpi = dpiOf(m_window);
    std::array<Font, kTableFonts.size()> fonts;
    for (std::size_t i = 0; i < kTableFonts.size(); ++i) {
        fonts[i] = createFont(kTableFonts[i], m_dpi);
    }
    for (std::size_t i = 0; i < kForm1Controls.size(); ++i) {
        const ControlEntry& entry = kForm1Controls[i];
        const RECT place = toDevice(entry.geometry, m_dpi);
        SendMessageW(m_controls[i], WM_SETFONT, reinterpret_cast<WPARAM>(fonts[fontIndex(entry.font)].get()),
                     FALSE);
        MoveWindow(m_controls[i], place.left, place.top, place.right - place.left, place.bottom - place.top,
                   TRUE);
    }
    // The old fonts go only now that no control holds them.
    m_fonts = std::move(fonts);
    // Drawn again from its record at the new resolution: nothing is lost.
    m_planeView->fit(m_dpi);
    updateScrollBars();
}

void Form1::updateScrollBars()
{
    // Setting a bar resizes the client area, and so may the window manager
    // meanwhile: that comes back here, and the bars are worked out again
    // until they hold.
    if (m_fittingScrollBars) {
        m_resizedWhileFitting = true;
        return;
    }
    m_fittingScrollBars = true;
    constexpr int kMostPasses = 4;
    for (int pass = 0; pass < kMostPasses; ++pass) {
        m_resizedWhileFitting = false;
        fitScrollBars();
        if (!m_resizedWhileFitting) {
            break;
        }
    }
    m_fittingScrollBars = false;
    scrollBy(SB_HORZ, 0);
    scrollBy(SB_VERT, 0);
}

void Form1::fitScrollBars()
{
    // From the area the window would have without any bar.
    const SIZE design{twipsToDevice(kForm1ClientTwips.width, m_dpi),
                      twipsToDevice(kForm1ClientTwips.height, m_dpi)};
    const auto style = static_cast<DWORD>(GetWindowLongW(m_window, GWL_STYLE));
    const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
    const int barHeight = GetSystemMetrics(SM_CYHSCROLL);
    RECT area{};
    GetClientRect(m_window, &area);
    const int width = area.right + ((style & WS_VSCROLL) != 0 ? barWidth : 0);
    const int height = area.bottom + ((style & WS_HSCROLL) != 0 ? barHeight : 0);
    bool across = width < design.cx;
    bool down = height < design.cy;
    // A bar one way narrows the other way's page.
    down = down || (across && height - barHeight < design.cy);
    across = across || (down && width - barWidth < design.cx);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMax = design.cx - 1;
    info.nPage = static_cast<UINT>(std::max(0, width - (down ? barWidth : 0)));
    SetScrollInfo(m_window, SB_HORZ, &info, TRUE);
    info.nMax = design.cy - 1;
    info.nPage = static_cast<UINT>(std::max(0, height - (across ? barHeight : 0)));
    SetScrollInfo(m_window, SB_VERT, &info, TRUE);
}

void Form1::scrollBy(int bar, int pixels)
{
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(m_window, bar, &info);
    const int last = std::max(0, info.nMax + 1 - static_cast<int>(info.nPage));
    info.fMask = SIF_POS;
    info.nPos = std::clamp(info.nPos + pixels, 0, last);
    SetScrollInfo(m_window, bar, &info, TRUE);
    (bar == SB_HORZ ? m_scrolled.x : m_scrolled.y) = info.nPos;
    SetWindowPos(m_client, nullptr, -m_scrolled.x, -m_scrolled.y,
                 twipsToDevice(kForm1ClientTwips.width, m_dpi),
                 twipsToDevice(kForm1ClientTwips.height, m_dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1::showControl(HWND control)
{
    if (IsChild(m_client, control) == FALSE) {
        return;
    }
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, m_client, reinterpret_cast<POINT*>(&place), 2);
    for (const auto& [bar, first, last] :
         {std::tuple{SB_HORZ, place.left, place.right}, std::tuple{SB_VERT, place.top, place.bottom}}) {
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_POS | SIF_PAGE;
        GetScrollInfo(m_window, bar, &info);
        const int end = info.nPos + static_cast<int>(info.nPage);
        if (first < info.nPos) {
            scrollBy(bar, first - info.nPos);
        } else if (last > end) {
            scrollBy(bar, std::min<int>(last - end, first - info.nPos));
        }
    }
}

void Form1::activate(bool active)
{
    if (!active) {
        HWND focus = GetFocus();
        m_focused = IsChild(m_window, focus) != FALSE ? focus : nullptr;
        return;
    }
    SetFocus(m_focused != nullptr && IsWindow(m_focused) != FALSE ? m_focused
                                                                  : control(Form1Control::PicPianoCart));
}

void Form1::scroll(int bar, WORD request)
{
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(m_window, bar, &info);
    const int page = static_cast<int>(info.nPage);
    switch (request) {
    case SB_LINEUP:
        scrollBy(bar, -kScrollLinePixels);
        break;
    case SB_LINEDOWN:
        scrollBy(bar, kScrollLinePixels);
        break;
    case SB_PAGEUP:
        scrollBy(bar, -page);
        break;
    case SB_PAGEDOWN:
        scrollBy(bar, page);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        scrollBy(bar, info.nTrackPos - info.nPos);
        break;
    case SB_TOP:
        scrollBy(bar, -info.nMax);
        break;
    case SB_BOTTOM:
        scrollBy(bar, info.nMax);
        break;
    default:
        break;
    }
}

bool Form1::curveTicked() const
{
    return SendMessageW(control(Form1Control::Check1), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string Form1::boxText(Form1Control box) const
{
    return narrow(windowText(control(box)));
}

void Form1::showMessage(std::string_view message)
{
    m_messageOpen = true;
    lumivar::win32::showMessage(m_window, widen(message));
    m_messageOpen = false;
    if (m_printEndedWhileMessage) {
        m_printEndedWhileMessage = false;
        PostMessageW(m_window, kPrintEndedMessage, 0, 0);
    }
}

std::optional<PrintFailure> Form1::printWindow()
{
    PrintedForm form{m_planeView->raster().record(), m_planeView->raster().mapping(), {}, {}};
    for (std::size_t i = 0; i < kForm1Controls.size(); ++i) {
        form.texts[i] = windowText(m_controls[i]);
        form.checked[i] = kForm1Controls[i].kind == ControlKind::CheckBox
                          && SendMessageW(m_controls[i], BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    return m_program.printing.print(std::move(form), m_window, kPrintEndedMessage);
}

bool Form1::openHelpWindow()
{
    return Dialog::open(m_program);
}

void Form1::endProgram()
{
    Program::end(); // every window goes, help windows included
}

LRESULT CALLBACK Form1::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* form = attachedObject<Form1>(window, message, lParam);
    switch (message) {
    case WM_CREATE:
        return form->create(window) ? 0 : -1;
    case WM_SIZE:
        if (form->m_client != nullptr) {
            form->updateScrollBars();
        }
        return 0;
    case WM_HSCROLL:
        form->scroll(SB_HORZ, LOWORD(wParam));
        return 0;
    case WM_VSCROLL:
        form->scroll(SB_VERT, LOWORD(wParam));
        return 0;
    case WM_ACTIVATE:
        // Not DefWindowProc's: it would give the focus to the frame.
        if (HIWORD(wParam) == 0) {
            form->activate(LOWORD(wParam) != WA_INACTIVE);
        }
        return 0;
    case kPrintEndedMessage:
        // A message's own loop hands this on too: one message at a time.
        if (form->m_messageOpen) {
            form->m_printEndedWhileMessage = true;
        } else {
            form->m_rules.reportPrint(form->m_program.printing.takeLateOutcome());
        }
        return 0;
    case kFocusMovedMessage:
        form->showControl(reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_MOUSEWHEEL:
        form->scrollBy(SB_VERT, -GET_WHEEL_DELTA_WPARAM(wParam) * kScrollLinePixels * 3 / WHEEL_DELTA);
        return 0;
    case WM_DPICHANGED:
        takeSuggestedPlace(window, lParam);
        form->layout();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
            const int index = LOWORD(wParam) - kFirstControlId;
            if (index >= 0 && index < static_cast<int>(kForm1Controls.size())) {
                form->m_rules.click(static_cast<Form1Control>(index));
            }
        }
        return 0;
    case WM_NCDESTROY: {
        if (const auto owned = detachObject<Form1>(window)) {
            owned->m_program.windowClosed();
        }
        break;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK Form1::clientProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The controls' notices are the main window's to act on.
    if (message == WM_COMMAND) {
        return SendMessageW(GetParent(window), message, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace lumivar::win32
