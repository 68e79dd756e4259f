// The window's design for the page: the control table, the help window and
// their fonts in CSS pixels, the unit the page lays itself out in.
#include "web/design.h"

#include "shared/fonts.h"
#include "shared/form_layout.h"
#include "shared/texts.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace lumivar::web {

namespace {

// One JSON object, written field by field with every string escaped.
class JsonObject {
public:
    JsonObject& text(std::string_view key, std::string_view value)
    {
        name(key);
        quote(value);
        return *this;
    }
    JsonObject& number(std::string_view key, double value)
    {
        name(key);
        char digits[32];
        std::snprintf(digits, sizeof(digits), "%.17g", value);
        m_json += digits;
        return *this;
    }
    JsonObject& place(std::string_view key, const TwipsRect& twips)
    {
        const LogicalRect pixels = logicalPixels(twips);
        name(key);
        m_json += '[' + std::to_string(pixels.left) + ',' + std::to_string(pixels.top) + ','
                  + std::to_string(pixels.width) + ',' + std::to_string(pixels.height) + ']';
        return *this;
    }
    // A CSS font list: the designed family, its stand-ins, the generic one.
    JsonObject& font(std::string_view key, const FontRequest& font)
    {
        std::string css = '"' + std::string(font.family) + '"';
        for (const StandIn& standIn : standInsFor(font)) {
            if (standsInOn(standIn, false)) {
                css += ", \"" + std::string(standIn.family) + '"';
            }
        }
        return text(key, css + (isSerif(font) ? ", serif" : ", sans-serif"));
    }
    template <typename Items, typename Write>
    JsonObject& list(std::string_view key, const Items& items, Write write)
    {
        name(key);
        m_json += '[';
        bool first = true;
        for (const auto& item : items) {
            m_json += first ? "" : ",";
            first = false;
            JsonObject object;
            write(object, item);
            m_json += object.close();
        }
        m_json += ']';
        return *this;
    }
    [[nodiscard]] std::string close() const { return m_json + '}'; }

private:
    void name(std::string_view key)
    {
        m_json += m_json.size() > 1 ? "," : "";
        quote(key);
        m_json += ':';
    }
    void quote(std::string_view value)
    {
        m_json += '"';
        for (const char c : value) {
            if (c == '"' || c == '\\') {
                m_json += '\\';
                m_json += c;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(c));
                m_json += escaped;
            } else {
                m_json += c;
            }
        }
        m_json += '"';
    }

    std::string m_json = "{";
};

// By the kind's value: the page builds each kind its own way.
constexpr std::array<std::string_view, 5> kKinds{"plane", "check", "button", "box", "label"};
static_assert(static_cast<std::size_t>(ControlKind::Label) + 1 == kKinds.size());

} // namespace

std::string designJson()
{
    const ControlEntry& help = kDialogWindow.label;
    return JsonObject()
        .text("title", kProgramTitle)
        .place("client", kForm1ClientTwips)
        .number("frame", kPlaneFrameLogical)
        .number("checkSide", kCheckBoxSideLogical)
        .number("checkGap", kCheckBoxGapLogical)
        .text("helpTitle", kDialogWindow.title)
        .place("helpClient", kDialogWindow.client)
        .place("helpLabel", help.geometry)
        .text("helpName", help.accessibleName)
        .font("helpFont", help.font)
        .number("helpFontPixels", pointsToPixels(help.font.pointSize))
        .text("helpText", kHelpText)
        .list("controls", kForm1Controls,
              [](JsonObject& control, const ControlEntry& entry) {
                  control.text("name", entry.name)
                      .text("kind", kKinds.at(static_cast<std::size_t>(entry.kind)))
                      .text("caption", entry.caption)
                      .place("place", entry.geometry)
                      .font("font", entry.font)
                      .number("fontPixels", pointsToPixels(entry.font.pointSize))
                      .text("accessibleName",
                            entry.accessibleName.empty() ? entry.caption : entry.accessibleName)
                      .text("description", entry.accessibleDescription);
              })
        .close();
}

} // namespace lumivar::web
