// The main window drawn on a printer's page with GDI, one function per kind of control.
#include "printed_form.h"

#include "win32.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace lumivar::win32 {

namespace {

COLORREF toColorRef(Rgb colour)
{
    return RGB(colour.red, colour.green, colour.blue);
}

// Logical pixels of the designed window to device pixels of the page.
struct PageTransform {
    double originX = 0.0;
    double originY = 0.0;
    double scaleX = 1.0;
    double scaleY = 1.0;

    [[nodiscard]] int x(double logical) const
    {
        return static_cast<int>(std::lround(originX + logical * scaleX));
    }
    [[nodiscard]] int y(double logical) const
    {
        return static_cast<int>(std::lround(originY + logical * scaleY));
    }
    [[nodiscard]] RECT rect(double left, double top, double right, double bottom) const
    {
        return {x(left), y(top), x(right), y(bottom)};
    }
    // The resolution a font is made at so that its points come out the size
    // they are on a 96 dpi screen.
    [[nodiscard]] int fontDpi() const { return static_cast<int>(std::lround(kDesignDpi * scaleY)); }
};

// The designed area fitted into the printable area, centred.
PageTransform fitOnPage(HDC printer)
{
    const double designWidth = twipsToPixels(kForm1ClientTwips.width);
    const double designHeight = twipsToPixels(kForm1ClientTwips.height);
    const double pageWidth = GetDeviceCaps(printer, HORZRES);
    const double pageHeight = GetDeviceCaps(printer, VERTRES);
    const double dpiX = std::max(1, GetDeviceCaps(printer, LOGPIXELSX));
    const double dpiY = std::max(1, GetDeviceCaps(printer, LOGPIXELSY));
    // Inches to a logical pixel, the same both ways: the proportions hold
    // on printers whose dots are not square.
    const double inches = std::min(pageWidth / dpiX / designWidth, pageHeight / dpiY / designHeight);
    PageTransform page;
    page.scaleX = inches * dpiX;
    page.scaleY = inches * dpiY;
    page.originX = (pageWidth - designWidth * page.scaleX) / 2.0;
    page.originY = (pageHeight - designHeight * page.scaleY) / 2.0;
    return page;
}

// The plane drawn on a printer at its own resolution: lines as lines, labels
// as text, curve points as filled squares of a logical pixel.
class GdiPlane final : public Surface {
public:
    GdiPlane(HDC dc, const PageTransform& page, double left, double top, const PlaneMapping& mapping)
        : m_dc(dc)
        , m_page(page)
        , m_left(left)
        , m_top(top)
        , m_mapping(mapping)
        , m_labelFont(createFont(kSansSerif825, page.fontDpi(), FontUse::Printer))
        , m_red(CreateSolidBrush(toColorRef(kCurveRed)))
    {
    }

    void clear() override
    {
        const RECT interior = m_page.rect(m_left, m_top, m_left + m_mapping.interiorWidth(),
                                          m_top + m_mapping.interiorHeight());
        FillRect(m_dc, &interior, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    void setScale(PlanePoint upperLeft, PlanePoint lowerRight) override
    {
        m_mapping = PlaneMapping(PlaneScale::fromCorners(upperLeft, lowerRight), m_mapping.interiorWidth(),
                                 m_mapping.interiorHeight());
    }
    void drawLine(PlanePoint from, PlanePoint to, Rgb colour) override
    {
        LOGBRUSH brush{BS_SOLID, toColorRef(colour), 0};
        const auto width = static_cast<DWORD>(std::max(1L, std::lround(m_page.scaleY)));
        const GdiObject<HPEN> pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE | PS_JOIN_MITER,
                                               width, &brush, 0, nullptr));
        const Selection selection(m_dc, pen.get());
        const PixelPoint a = m_mapping.toPixel(from);
        const PixelPoint b = m_mapping.toPixel(to);
        MoveToEx(m_dc, m_page.x(m_left + a.column + 0.5), m_page.y(m_top + a.row + 0.5), nullptr);
        LineTo(m_dc, m_page.x(m_left + b.column + 0.5), m_page.y(m_top + b.row + 0.5));
    }
    void setPoint(PlanePoint at, Rgb /*colour*/) override
    {
        const PixelPoint centre = m_mapping.toPixel(at);
        const RECT square = m_page.rect(m_left + centre.column - 0.5, m_top + centre.row - 0.5,
                                        m_left + centre.column + 0.5, m_top + centre.row + 0.5);
        FillRect(m_dc, &square, m_red.get());
    }
    void setCurrentX(float x) override { m_current.x = x; }
    void setCurrentY(float y) override { m_current.y = y; }
    void printNumber(float value) override
    {
        const PixelPoint at = m_mapping.toPixel(m_current);
        const std::wstring text = widen(labelText(value));
        const Selection selection(m_dc, m_labelFont.get());
        SetTextColor(m_dc, RGB(0, 0, 0));
        TextOutW(m_dc, m_page.x(m_left + at.column), m_page.y(m_top + at.row), text.c_str(),
                 static_cast<int>(text.size()));
    }
    [[nodiscard]] float outerWidthTwips() const override { return 0.0F; }

private:
    HDC m_dc;
    PageTransform m_page;
    double m_left;
    double m_top;
    PlaneMapping m_mapping;
    Font m_labelFont;
    Brush m_red;
    PlanePoint m_current;
};

void frame(HDC dc, const RECT& outer, int thickness, COLORREF above, COLORREF below)
{
    const Brush dark(CreateSolidBrush(above));
    const Brush light(CreateSolidBrush(below));
    const RECT top{outer.left, outer.top, outer.right, outer.top + thickness};
    const RECT left{outer.left, outer.top, outer.left + thickness, outer.bottom};
    const RECT bottom{outer.left, outer.bottom - thickness, outer.right, outer.bottom};
    const RECT right{outer.right - thickness, outer.top, outer.right, outer.bottom};
    FillRect(dc, &top, dark.get());
    FillRect(dc, &left, dark.get());
    FillRect(dc, &bottom, light.get());
    FillRect(dc, &right, light.get());
}

// A control's place on the page, in the designed window's logical pixels
// and on the device.
struct ControlPlace {
    double left;
    double top;
    double right;
    double bottom;
    RECT device;
    int edge; // a logical pixel's lines on the device, at least one dot

    ControlPlace(const PageTransform& page, const TwipsRect& geometry)
        : left(twipsToPixels(geometry.left))
        , top(twipsToPixels(geometry.top))
        , right(left + twipsToPixels(geometry.width))
        , bottom(top + twipsToPixels(geometry.height))
        , device(page.rect(left, top, right, bottom))
        , edge(std::max(1, static_cast<int>(std::lround(page.scaleY))))
    {
    }
};

constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kWhite = RGB(255, 255, 255);

void drawPlane(HDC dc, const PageTransform& page, const ControlPlace& place, const PrintedForm& form)
{
    frame(dc, place.device, kPlaneFrameLogical * place.edge, kShadow, kWhite);
    const int saved = SaveDC(dc);
    const RECT interior = page.rect(place.left + kPlaneFrameLogical, place.top + kPlaneFrameLogical,
                                    place.right - kPlaneFrameLogical, place.bottom - kPlaneFrameLogical);
    IntersectClipRect(dc, interior.left, interior.top, interior.right, interior.bottom);
    GdiPlane plane(dc, page, place.left + kPlaneFrameLogical, place.top + kPlaneFrameLogical,
                   form.planeMapping);
    plane.clear();
    form.plane.replay(plane, kCurveRed);
    RestoreDC(dc, saved);
}

void drawButton(HDC dc, const ControlPlace& place, const std::wstring& text)
{
    frame(dc, place.device, place.edge, kWhite, kShadow);
    // Centred down as well: a caption that may wrap is measured first.
    RECT caption = place.device;
    constexpr UINT kFormat = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &caption, kFormat | DT_CALCRECT);
    RECT centred = place.device;
    const LONG down = ((centred.bottom - centred.top) - (caption.bottom - caption.top)) / 2;
    centred.top += std::max(0L, down);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &centred, kFormat);
}

void drawCheckBox(HDC dc, const PageTransform& page, const ControlPlace& place, const std::wstring& text,
                  bool checked)
{
    const int edge = place.edge;
    const int box = page.y(place.top + kCheckBoxSideLogical) - page.y(place.top);
    const int boxTop = (place.device.top + place.device.bottom - box) / 2;
    const RECT square{place.device.left, boxTop, place.device.left + box, boxTop + box};
    FillRect(dc, &square, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    frame(dc, square, edge, kShadow, kWhite);
    if (checked) {
        const GdiObject<HPEN> pen(CreatePen(PS_SOLID, edge, RGB(0, 0, 0)));
        const Selection penSelection(dc, pen.get());
        const int inset = box / 4;
        MoveToEx(dc, square.left + inset, square.top + box / 2, nullptr);
        LineTo(dc, square.left + box / 2 - edge, square.bottom - inset);
        LineTo(dc, square.right - inset, square.top + inset);
    }
    RECT caption = place.device;
    caption.left = square.right + page.x(place.left + kCheckBoxGapLogical) - page.x(place.left);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &caption,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void drawTextBox(HDC dc, const PageTransform& page, const ControlPlace& place, const std::wstring& text)
{
    FillRect(dc, &place.device, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    frame(dc, place.device, kPlaneFrameLogical * place.edge, kShadow, kWhite);
    RECT inside = page.rect(place.left + 4, place.top, place.right - 4, place.bottom);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inside,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void drawControl(HDC dc, const PageTransform& page, const PrintedForm& form, std::size_t index)
{
    const ControlEntry& entry = kForm1Controls[index];
    const ControlPlace place(page, entry.geometry);
    const Font font = createFont(entry.font, page.fontDpi(), FontUse::Printer);
    const Selection fontSelection(dc, font.get());
    SetTextColor(dc, RGB(0, 0, 0));
    const std::wstring& text = form.texts[index];
    switch (entry.kind) {
    case ControlKind::DrawingBox:
        drawPlane(dc, page, place, form);
        break;
    case ControlKind::PushButton:
        drawButton(dc, place, text);
        break;
    case ControlKind::CheckBox:
        drawCheckBox(dc, page, place, text, form.checked[index]);
        break;
    case ControlKind::TextBox:
        drawTextBox(dc, page, place, text);
        break;
    case ControlKind::Label: {
        RECT area = place.device;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
                  DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        break;
    }
    }
}

} // namespace

void drawForm(HDC dc, const PrintedForm& form)
{
    const PageTransform page = fitOnPage(dc);
    const double width = twipsToPixels(kForm1ClientTwips.width);
    const double height = twipsToPixels(kForm1ClientTwips.height);
    const RECT area = page.rect(0, 0, width, height);
    const Brush face(CreateSolidBrush(RGB(240, 240, 240)));
    FillRect(dc, &area, face.get());
    SetBkMode(dc, TRANSPARENT);
    for (std::size_t i = 0; i < kForm1Controls.size(); ++i) {
        drawControl(dc, page, form, i);
    }
}

} // namespace lumivar::win32
