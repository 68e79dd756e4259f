// The browser program's glue: the shared window rules and raster over the
// page, which app.js builds from the control table this module hands it.
#include "shared/form_layout.h"
#include "shared/main_window_rules.h"
#include "shared/plane_raster.h"
#include "shared/texts.h"
#include "web/design.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The page's side, each answered in bridge.js.
EM_JS(int, pageCurveTicked, (), { return LumivarBridge.curveTicked(); });
// The boxes' texts one after the other into `out`, with their lengths in
// bytes; returns the bytes they take, written only when they fit.
EM_JS(int, pageBoxTexts, (const int* controls, int count, char* out, int capacity, int* lengths),
      { return LumivarBridge.boxTexts(controls, count, out, capacity, lengths); });
EM_JS(void, pageShowMessage, (const char* text), { LumivarBridge.showMessage(text); });
EM_JS(void, pagePrint, (), { LumivarBridge.print(); });
EM_JS(int, pageOpenHelp, (), { return LumivarBridge.openHelp(); });
EM_JS(void, pageEnd, (const char* words), { LumivarBridge.end(words); });
// The label's mask of ink at `ratio` into `mask`, its width and height into
// `size`; 0 when the mask does not fit in `capacity` bytes.
EM_JS(int, pageLabel, (const char* text, double ratio, unsigned char* mask, int capacity, int* size),
      { return LumivarBridge.label(text, ratio, mask, capacity, size); });
EM_JS(void, pagePlaneChanged, (), { LumivarBridge.planeChanged(); });

namespace lumivar::web {

namespace {

LabelGlyphs pageGlyphs(std::string_view text, double ratio)
{
    const std::string label(text);
    // Kept across labels, so that the page renders each label once: only a
    // label larger than any before it is asked for again.
    static std::vector<unsigned char> mask(4096);
    int size[2] = {0, 0};
    while (pageLabel(label.c_str(), ratio, mask.data(), static_cast<int>(mask.size()), size) == 0) {
        mask.resize(static_cast<std::size_t>(size[0]) * static_cast<std::size_t>(size[1]));
    }
    return inkedRuns(size[0], size[1], [width = size[0]](int row, int column) {
        return mask[static_cast<std::size_t>(row) * static_cast<std::size_t>(width)
                    + static_cast<std::size_t>(column)]
               != 0;
    });
}

class Page final : public Form1Platform {
public:
    Page() : m_raster(pageGlyphs)
    {
        m_raster.setOuterWidthTwips(static_cast<float>(entryOf(Form1Control::PicPianoCart).geometry.width));
        m_raster.setDirtyListener([] { pagePlaneChanged(); });
    }

    Surface& planeSurface() override { return m_raster; }
    [[nodiscard]] bool curveTicked() const override { return pageCurveTicked() != 0; }
    // The four boxes are read from the page in one call, at the first that
    // a click asks for, and kept until the click ends.
    [[nodiscard]] std::string boxText(Form1Control box) const override
    {
        if (m_boxTexts.empty()) {
            readBoxes();
        }
        const auto* found = std::find(kParameterBoxes.begin(), kParameterBoxes.end(), box);
        return m_boxTexts.at(static_cast<std::size_t>(found - kParameterBoxes.begin()));
    }
    void clickEnded() { m_boxTexts.clear(); }
    void showMessage(std::string_view message) override { pageShowMessage(std::string(message).c_str()); }
    // The browser prints the page itself, and tells nothing of how it went.
    [[nodiscard]] std::optional<PrintFailure> printWindow() override
    {
        pagePrint();
        return std::nullopt;
    }
    [[nodiscard]] bool openHelpWindow() override { return pageOpenHelp() != 0; }
    [[nodiscard]] std::string_view helpNotOpenedMessage() const override { return kHelpBlockedMessage; }
    void endProgram() override { pageEnd(std::string(kEndedInTabMessage).c_str()); }

    PlaneRaster& raster() { return m_raster; }
    Form1Rules& rules() { return m_rules; }

private:
    void readBoxes() const
    {
        std::array<int, kParameterBoxes.size()> controls{};
        std::transform(kParameterBoxes.begin(), kParameterBoxes.end(), controls.begin(),
                       [](Form1Control box) { return static_cast<int>(indexOf(box)); });
        std::array<int, kParameterBoxes.size()> lengths{};
        std::string bytes(256, '\0');
        int total = 0;
        while ((total = pageBoxTexts(controls.data(), static_cast<int>(controls.size()), bytes.data(),
                                     static_cast<int>(bytes.size()), lengths.data()))
               >= static_cast<int>(bytes.size())) {
            bytes.resize(static_cast<std::size_t>(total) + 1);
        }
        std::size_t at = 0;
        for (const int length : lengths) {
            m_boxTexts.push_back(bytes.substr(at, static_cast<std::size_t>(length)));
            at += static_cast<std::size_t>(length);
        }
    }

    PlaneRaster m_raster;
    mutable std::vector<std::string> m_boxTexts;
    Form1Rules m_rules{*this};
};

std::unique_ptr<Page> g_page; // the one page this module serves

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
    g_page->raster().resize(lumivar::kPlaneInteriorWidthLogical, lumivar::kPlaneInteriorHeightLogical, ratio);
    g_page->rules().load();
}

EMSCRIPTEN_KEEPALIVE void lumivarClick(int control)
{
    if (g_page && control >= 0 && control < static_cast<int>(lumivar::kForm1Controls.size())) {
        g_page->rules().click(static_cast<lumivar::Form1Control>(control));
        g_page->clickEnded();
    }
}

// Draws the plane again from its record at another ratio.
EMSCRIPTEN_KEEPALIVE void lumivarSetRatio(double ratio)
{
    g_page->raster().resize(lumivar::kPlaneInteriorWidthLogical, lumivar::kPlaneInteriorHeightLogical, ratio);
}

EMSCRIPTEN_KEEPALIVE int lumivarDeviceWidth()
{
    return g_page->raster().deviceWidth();
}
EMSCRIPTEN_KEEPALIVE int lumivarDeviceHeight()
{
    return g_page->raster().deviceHeight();
}

// The raster's pixels, as the canvas takes them. They move when the
// raster is drawn at another ratio.
EMSCRIPTEN_KEEPALIVE const lumivar::Pixel* lumivarPixels()
{
    return g_page->raster().pixels();
}

// The device rectangle drawn over since the last call, as left, top, right
// and bottom in `rect`; 0 when nothing was drawn.
EMSCRIPTEN_KEEPALIVE int lumivarTakeDirty(int* rect)
{
    const auto dirty = g_page->raster().takeDirty();
    if (!dirty) {
        return 0;
    }
    rect[0] = dirty->left;
    rect[1] = dirty->top;
    rect[2] = dirty->right;
    rect[3] = dirty->bottom;
    return 1;
}

} // extern "C"
