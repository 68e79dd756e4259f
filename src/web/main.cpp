// The browser program's glue: the shared window rules and raster over the
// page, which app.js builds from the control table this module hands it.
#include "plot/compat.h"
#include "shared/form_layout.h"
#include "shared/main_window_rules.h"
#include "shared/plane_raster.h"
#include "shared/texts.h"

#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// The page's side, in app.js.
EM_JS(int, pageCurveTicked, (), { return LumivarPage.curveTicked() ? 1 : 0; });
EM_JS(int, pageBoxLength, (int control), { return lengthBytesUTF8(LumivarPage.boxText(control)); });
EM_JS(void, pageBoxCopy, (int control, char* out, int capacity),
      { stringToUTF8(LumivarPage.boxText(control), out, capacity); });
EM_JS(void, pageShowMessage, (const char* text), { LumivarPage.showMessage(UTF8ToString(text)); });
EM_JS(void, pagePrint, (), { LumivarPage.print(); });
EM_JS(int, pageOpenHelp, (), { return LumivarPage.openHelp() ? 1 : 0; });
EM_JS(void, pageEnd, (), { LumivarPage.end(); });
EM_JS(int, pageLabel, (const char* text, double ratio, unsigned char* mask, int capacity, int* size),
      { return LumivarPage.label(UTF8ToString(text), ratio, mask, capacity, size); });
EM_JS(void, pagePlaneChanged, (), { LumivarPage.planeChanged(); });

namespace lumivar::web {

namespace {

// The plane's interior in logical pixels, inside its sunken frame.
constexpr TwipsRect kPlaneTwips = entryOf(Form1Control::PicPianoCart).geometry;
constexpr int kInteriorWidth = kPlaneTwips.width / kTwipsPerPixel - 2 * kPlaneFrameLogical;
constexpr int kInteriorHeight = kPlaneTwips.height / kTwipsPerPixel - 2 * kPlaneFrameLogical;

LabelGlyphs pageGlyphs(std::string_view text, double ratio)
{
    const std::string label(text);
    std::vector<unsigned char> mask(1024);
    int size[2] = {0, 0};
    while (pageLabel(label.c_str(), ratio, mask.data(), static_cast<int>(mask.size()), size) == 0) {
        mask.resize(static_cast<std::size_t>(size[0]) * static_cast<std::size_t>(size[1]));
    }
    return inkedRuns(size[0], size[1], [&mask, width = size[0]](int row, int column) {
        return mask[static_cast<std::size_t>(row) * static_cast<std::size_t>(width)
                    + static_cast<std::size_t>(column)]
               != 0;
    });
}

class Page final : public Form1Platform {
public:
    Page() : m_raster(pageGlyphs)
    {
        m_raster.setOuterWidthTwips(static_cast<float>(kPlaneTwips.width));
        m_raster.setDirtyListener([] { pagePlaneChanged(); });
    }

    Surface& planeSurface() override { return m_raster; }
    [[nodiscard]] bool curveTicked() const override { return pageCurveTicked() != 0; }
    [[nodiscard]] std::string boxText(Form1Control box) const override
    {
        const int control = static_cast<int>(indexOf(box));
        std::string text(static_cast<std::size_t>(pageBoxLength(control)) + 1, '\0');
        pageBoxCopy(control, text.data(), static_cast<int>(text.size()));
        text.pop_back();
        return text;
    }
    void showMessage(std::string_view message) override { pageShowMessage(std::string(message).c_str()); }
    // The browser prints the page itself, and tells nothing of how it went.
    [[nodiscard]] std::optional<PrintFailure> printWindow() override
    {
        pagePrint();
        return std::nullopt;
    }
    [[nodiscard]] bool openHelpWindow() override { return pageOpenHelp() != 0; }
    void endProgram() override { pageEnd(); }

    PlaneRaster& raster() { return m_raster; }
    Form1Rules& rules() { return m_rules; }

    // The raster's pixels in a rectangle of device pixels, as the canvas
    // takes them: bytes red, green, blue, alpha.
    const std::uint8_t* rgba(int left, int top, int width, int height)
    {
        m_rgba.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
        std::uint8_t* out = m_rgba.data();
        for (int row = top; row < top + height; ++row) {
            const Pixel* in =
                m_raster.pixels() + static_cast<std::ptrdiff_t>(row) * m_raster.deviceWidth() + left;
            for (int column = 0; column < width; ++column) {
                const Pixel pixel = in[column];
                *out++ = static_cast<std::uint8_t>(pixel >> 16U);
                *out++ = static_cast<std::uint8_t>(pixel >> 8U);
                *out++ = static_cast<std::uint8_t>(pixel);
                *out++ = 0xff;
            }
        }
        return m_rgba.data();
    }

private:
    PlaneRaster m_raster;
    Form1Rules m_rules{*this};
    std::vector<std::uint8_t> m_rgba;
};

std::unique_ptr<Page> g_page; // the one page this module serves

std::string jsonString(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

std::string designJson()
{
    const auto rect = [](const TwipsRect& r) {
        return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.width)
               + "," + std::to_string(r.height) + "]";
    };
    constexpr const char* kKinds[] = {"plane", "check", "button", "box", "label"};
    std::string json =
        "{\"title\":" + jsonString(kProgramTitle) + ",\"client\":" + rect(kForm1ClientTwips)
        + ",\"dialogClient\":" + rect(kDialogClientTwips) + ",\"dialogLabel\":" + rect(kDialogLabelTwips)
        + ",\"helpText\":" + jsonString(kHelpText) + ",\"frame\":" + std::to_string(kPlaneFrameLogical)
        + ",\"interior\":[" + std::to_string(kInteriorWidth) + "," + std::to_string(kInteriorHeight)
        + "],\"controls\":[";
    for (std::size_t i = 0; i < kForm1Controls.size(); ++i) {
        const ControlEntry& entry = kForm1Controls[i];
        json += (i == 0 ? "" : ",");
        json += "{\"name\":" + jsonString(entry.name) + ",\"kind\":\""
                + kKinds[static_cast<std::size_t>(entry.kind)] + "\",\"caption\":" + jsonString(entry.caption)
                + ",\"place\":" + rect(entry.geometry) + ",\"font\":" + jsonString(entry.font.family)
                + ",\"points\":" + std::to_string(entry.font.pointSize)
                + ",\"serif\":" + (isSerif(entry.font) ? "true" : "false") + ",\"accessibleName\":"
                + jsonString(entry.accessibleName.empty() ? entry.caption : entry.accessibleName)
                + ",\"description\":" + jsonString(entry.accessibleDescription) + "}";
    }
    return json + "]}";
}

} // namespace

} // namespace lumivar::web

using lumivar::web::g_page;

extern "C" {

// The window's design, as JSON, for the page to build itself from.
EMSCRIPTEN_KEEPALIVE const char* lumivarDesign()
{
    static const std::string json = lumivar::web::designJson();
    return json.c_str();
}

// Makes the window's state at `ratio` device pixels to a CSS pixel.
EMSCRIPTEN_KEEPALIVE void lumivarStart(double ratio)
{
    g_page = std::make_unique<lumivar::web::Page>();
    g_page->raster().resize(lumivar::web::kInteriorWidth, lumivar::web::kInteriorHeight, ratio);
    g_page->rules().load();
}

EMSCRIPTEN_KEEPALIVE void lumivarClick(int control)
{
    if (g_page && control >= 0 && control < static_cast<int>(lumivar::kForm1Controls.size())) {
        g_page->rules().click(static_cast<lumivar::Form1Control>(control));
    }
}

// Draws the plane again from its record at another ratio.
EMSCRIPTEN_KEEPALIVE void lumivarSetRatio(double ratio)
{
    g_page->raster().resize(lumivar::web::kInteriorWidth, lumivar::web::kInteriorHeight, ratio);
}

EMSCRIPTEN_KEEPALIVE int lumivarDeviceWidth()
{
    return g_page->raster().deviceWidth();
}
EMSCRIPTEN_KEEPALIVE int lumivarDeviceHeight()
{
    return g_page->raster().deviceHeight();
}

// The device rectangle drawn over since the last call, as left, top, width
// and height in `rect`, and its pixels; nothing when nothing was drawn.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* lumivarTakeDirty(int* rect)
{
    const auto dirty = g_page->raster().takeDirty();
    if (!dirty) {
        return nullptr;
    }
    lumivar::PlaneRaster& raster = g_page->raster();
    const double ratio = raster.ratio();
    const int left = std::max(0, static_cast<int>(std::floor(dirty->left * ratio)));
    const int top = std::max(0, static_cast<int>(std::floor(dirty->top * ratio)));
    const int right = std::min(raster.deviceWidth(), static_cast<int>(std::ceil(dirty->right * ratio)));
    const int bottom = std::min(raster.deviceHeight(), static_cast<int>(std::ceil(dirty->bottom * ratio)));
    if (right <= left || bottom <= top) {
        return nullptr;
    }
    rect[0] = left;
    rect[1] = top;
    rect[2] = right - left;
    rect[3] = bottom - top;
    return g_page->rgba(left, top, right - left, bottom - top);
}

// An FNV-1a hash of the whole plane as the canvas should hold it, bytes
// red, green, blue, alpha, in hexadecimal.
EMSCRIPTEN_KEEPALIVE const char* lumivarPlaneHash()
{
    lumivar::PlaneRaster& raster = g_page->raster();
    const std::uint8_t* bytes = g_page->rgba(0, 0, raster.deviceWidth(), raster.deviceHeight());
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    const std::size_t count =
        static_cast<std::size_t>(raster.deviceWidth()) * static_cast<std::size_t>(raster.deviceHeight()) * 4;
    for (std::size_t i = 0; i < count; ++i) {
        hash = (hash ^ bytes[i]) * 0x100000001b3ULL;
    }
    static char text[17];
    std::snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

} // extern "C"
