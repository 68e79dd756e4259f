// The Windows plane window: the shared raster painted at the window's dots per inch.
#include "plane_view.h"

#include "shared/form_layout.h"
#include "win32.h"

#include <memory>
#include <string>

namespace lumivar::win32 {

namespace {

constexpr UINT kShowDirtyMessage = WM_APP + 1;

BITMAPINFO topDownInfo(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// The label in the system's rendering of the label font, made unsmoothed
// at the raster's resolution.
LabelGlyphs rasteriseLabel(HFONT font, std::string_view text)
{
    const std::wstring label = widen(text);
    const OwnedDc dc(CreateCompatibleDC(nullptr));
    const Selection fontSelection(dc.get(), font);
    SIZE extent{};
    GetTextExtentPoint32W(dc.get(), label.c_str(), static_cast<int>(label.size()), &extent);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    const int width = std::max<int>(1, extent.cx);
    const int height = std::max<int>(1, metrics.tmHeight);
    const BITMAPINFO info = topDownInfo(width, height);
    void* bits = nullptr;
    const Bitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) {
        return inkedRuns(width, height, [](int, int) { return false; });
    }
    const Selection bitmapSelection(dc.get(), bitmap.get());
    PatBlt(dc.get(), 0, 0, width, height, WHITENESS);
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), RGB(0, 0, 0));
    TextOutW(dc.get(), 0, 0, label.c_str(), static_cast<int>(label.size()));
    GdiFlush();
    const auto* pixels = static_cast<const Pixel*>(bits);
    // Black on white: a dark blue component is ink.
    constexpr Pixel kInkedBelow = 128;
    return inkedRuns(width, height, [pixels, width](int row, int column) {
        return (pixels[std::ptrdiff_t(row) * width + column] & 0xffU) < kInkedBelow;
    });
}

} // namespace

bool PlaneView::registerClass(HINSTANCE instance)
{
    return registerWindowClass(instance, kClassName, guarded<procedure>, false, CS_HREDRAW | CS_VREDRAW);
}

PlaneView::PlaneView(HWND window)
    : m_window(window), m_raster([this](std::string_view text, double /*ratio: the font's, set by fit()*/) {
        return rasteriseLabel(m_labelFont.get(), text);
    })
{
    m_raster.setOuterWidthTwips(static_cast<float>(entryOf(Form1Control::PicPianoCart).geometry.width));
    // One repaint per batch of primitives rather than one per primitive.
    m_raster.setDirtyListener([this] { PostMessageW(m_window, kShowDirtyMessage, 0, 0); });
}

void PlaneView::fit(int dpi)
{
    // One font for every label at this resolution, made before the raster
    // draws them again.
    if (!m_labelFont || dpi != m_dpi) {
        // Held by no device context between drawings: it may go at once.
        m_labelFont = createFont(kSansSerif825, dpi, FontUse::Unsmoothed);
        m_dpi = dpi;
    }
    m_raster.resize(kPlaneInteriorWidthLogical, kPlaneInteriorHeightLogical, double(dpi) / kDesignDpi);
    InvalidateRect(m_window, nullptr, FALSE);
}

RECT PlaneView::interiorDevice() const
{
    RECT client{};
    GetClientRect(m_window, &client);
    // Centred in the window: twips and pixels round apart by a pixel.
    const int left = (client.right - m_raster.deviceWidth()) / 2;
    const int top = (client.bottom - m_raster.deviceHeight()) / 2;
    return {left, top, left + m_raster.deviceWidth(), top + m_raster.deviceHeight()};
}

void PlaneView::showDirty()
{
    const auto dirty = m_raster.takeDirty();
    if (!dirty) {
        return;
    }
    const RECT interior = interiorDevice();
    const RECT device{interior.left + dirty->left, interior.top + dirty->top, interior.left + dirty->right,
                      interior.top + dirty->bottom};
    InvalidateRect(m_window, &device, FALSE);
}

void PlaneView::paint()
{
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(m_window, &paint);
    RECT client{};
    GetClientRect(m_window, &client);
    const RECT interior = interiorDevice();
    // The sunken frame: shadow above and left, light below and right.
    const Brush shadow(CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW)));
    const Brush light(CreateSolidBrush(GetSysColor(COLOR_BTNHIGHLIGHT)));
    const RECT above{0, 0, client.right, interior.top};
    const RECT left{0, 0, interior.left, client.bottom};
    const RECT below{0, interior.bottom, client.right, client.bottom};
    const RECT right{interior.right, 0, client.right, client.bottom};
    FillRect(dc, &above, shadow.get());
    FillRect(dc, &left, shadow.get());
    FillRect(dc, &below, light.get());
    FillRect(dc, &right, light.get());
    // The whole interior: the update region clips it to what changed.
    const BITMAPINFO info = topDownInfo(m_raster.deviceWidth(), m_raster.deviceHeight());
    SetDIBitsToDevice(dc, interior.left, interior.top, static_cast<DWORD>(m_raster.deviceWidth()),
                      static_cast<DWORD>(m_raster.deviceHeight()), 0, 0, 0,
                      static_cast<UINT>(m_raster.deviceHeight()), m_raster.pixels(), &info, DIB_RGB_COLORS);
    EndPaint(m_window, &paint);
}

LRESULT CALLBACK PlaneView::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* view = objectOf<PlaneView>(window);
    switch (message) {
    case WM_NCCREATE: {
        // The window owns it until WM_NCDESTROY.
        auto made = std::make_unique<PlaneView>(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made.release()));
        break;
    }
    case WM_NCDESTROY:
        (void)detachObject<PlaneView>(window); // the window owned it
        return 0;
    case WM_PAINT:
        if (view != nullptr) {
            view->paint();
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1; // paint() covers every pixel
    case kShowDirtyMessage:
        if (view != nullptr) {
            view->showDirty();
        }
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(window);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace lumivar::win32
