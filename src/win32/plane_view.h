// The Windows plane window, PicPianoCart.
#pragma once

#include "shared/plane_raster.h"
#include "win32.h"

#include <windows.h>

namespace lumivar::win32 {

// The Cartesian plane's window: a sunken box showing the shared raster,
// which is the surface the plots draw on. The raster follows the window's
// dots per inch and is painted from memory, so a drawing survives being
// covered; a DPI change draws it again from its record.
class PlaneView final {
public:
    static constexpr const wchar_t* kClassName = L"LumivarPiano";
    [[nodiscard]] static bool registerClass(HINSTANCE instance);

    explicit PlaneView(HWND window);

    // The surface the plots draw on.
    [[nodiscard]] PlaneRaster& raster() { return m_raster; }
    // Fits the raster to the window's size at this many dots per inch.
    void fit(int dpi);

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint();
    void showDirty();
    [[nodiscard]] RECT interiorDevice() const;

    HWND m_window;
    Font m_labelFont; // at m_dpi
    int m_dpi = kDesignDpi;
    PlaneRaster m_raster;
};

} // namespace lumivar::win32
