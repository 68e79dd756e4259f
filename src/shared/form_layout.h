// The control table: every window's controls as designed, for each front-end to build from.
#pragma once

#include "fonts.h"
#include "plot/compat.h"
#include "twips.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

// The windows as designed: every control's name, kind, caption, place,
// font and accessible texts, for each front-end to build its windows from.
namespace lumivar {

inline constexpr std::string_view kProgramTitle = "Lumivar 1.0";

enum class ControlKind : std::uint8_t { DrawingBox, CheckBox, PushButton, TextBox, Label };

struct ControlEntry {
    std::string_view name;
    ControlKind kind;
    std::string_view caption; // UTF-8
    TwipsRect geometry;       // relative to the client area
    FontRequest font;
    std::string_view accessibleName;        // UTF-8; the caption when empty
    std::string_view accessibleDescription; // UTF-8
};

inline constexpr TwipsRect kForm1ClientTwips{0, 0, 11400, 11040};

// The main window's controls in tab order.
inline constexpr std::array<ControlEntry, 15> kForm1Controls{{
    {"PicPianoCart",
     ControlKind::DrawingBox,
     "",
     {120, 120, 11175, 8175},
     kSansSerif825,
     "Piano cartesiano",
     "Piano cartesiano della curva di luce: tempo in orizzontale da -1 a 18, magnitudine in verticale da -18 "
     "a 18"},
    {"Check1",
     ControlKind::CheckBox,
     "CURVA",
     {120, 8400, 1095, 375},
     kSansSerif825,
     "",
     "Se spuntata, «Disegna grafico e curve» traccia anche la curva di luce"},
    {"Command1",
     ControlKind::PushButton,
     "Disegna grafico e curve",
     {120, 8760, 2415, 615},
     kSansSerif825,
     "",
     "Ridisegna assi e griglia e traccia la curva con i valori delle quattro caselle"},
    {"Command2",
     ControlKind::PushButton,
     "Reset",
     {120, 9480, 2415, 300},
     kSansSerif825,
     "",
     "Cancella le curve e ridisegna assi e griglia"},
    {"Command4",
     ControlKind::PushButton,
     "Chiudi",
     {120, 10560, 2415, 255},
     kBookAntiqua975,
     "",
     "Chiude il programma e tutte le sue finestre"},
    {"Text1",
     ControlKind::TextBox,
     "",
     {4440, 8880, 735, 345},
     kSansSerif12,
     "Valore di partenza del periodo",
     "Sposta la curva di luce in orizzontale"},
    {"Label1",
     ControlKind::Label,
     "Valore di partenza  del periodo",
     {3600, 9240, 2535, 255},
     kSansSerif825,
     "Valore di partenza del periodo",
     ""},
    {"Command3",
     ControlKind::PushButton,
     "Stampa",
     {120, 9840, 2415, 300},
     kSansSerif825,
     "",
     "Stampa la finestra sulla stampante predefinita"},
    {"Text2",
     ControlKind::TextBox,
     "",
     {4440, 9960, 735, 345},
     kSansSerif12,
     "frequenza",
     "Più alto è il valore, più breve è il periodo della curva"},
    {"Label2", ControlKind::Label, "frequenza", {4080, 10320, 1455, 255}, kSansSerif825, "", ""},
    {"Text3",
     ControlKind::TextBox,
     "",
     {8400, 8880, 735, 345},
     kSansSerif12,
     "Oscillazione massima in magnitudine",
     "Ampiezza della variazione di magnitudine della stella"},
    {"Label3",
     ControlKind::Label,
     "Oscillazione massima in magnitudine",
     {7440, 9240, 2535, 495},
     kSansSerif825,
     "",
     ""},
    {"Text4",
     ControlKind::TextBox,
     "",
     {8400, 9960, 735, 345},
     kSansSerif12,
     "Valore medio magnitudine",
     "Sposta la curva di luce in verticale"},
    {"Label4",
     ControlKind::Label,
     "Valore medio magnitudine",
     {8040, 10320, 1455, 495},
     kSansSerif825,
     "",
     ""},
    {"Command5",
     ControlKind::PushButton,
     "Aiuto",
     {120, 10200, 2415, 300},
     kSansSerif825,
     "",
     "Apre una finestra con la spiegazione del programma"},
}};

// The main window's controls by name, as indices into the table.
enum class Form1Control : std::uint8_t {
    PicPianoCart,
    Check1,
    Command1,
    Command2,
    Command4,
    Text1,
    Label1,
    Command3,
    Text2,
    Label2,
    Text3,
    Label3,
    Text4,
    Label4,
    Command5,
};

[[nodiscard]] constexpr std::size_t indexOf(Form1Control control)
{
    return static_cast<std::size_t>(control);
}

[[nodiscard]] constexpr const ControlEntry& entryOf(Form1Control control)
{
    return kForm1Controls[indexOf(control)];
}

// The parameter boxes in the order the curve reads them: A, B, C, D.
inline constexpr std::array kParameterBoxes{Form1Control::Text1, Form1Control::Text2, Form1Control::Text3,
                                            Form1Control::Text4};

// The label that names each parameter box, in the same order.
inline constexpr std::array kParameterLabels{Form1Control::Label1, Form1Control::Label2, Form1Control::Label3,
                                             Form1Control::Label4};

namespace detail {

// The enumerators' names in table order, for the compiler to check below.
inline constexpr std::array<std::string_view, kForm1Controls.size()> kForm1ControlNames{
    "PicPianoCart", "Check1", "Command1", "Command2", "Command4", "Text1",  "Label1",  "Command3",
    "Text2",        "Label2", "Text3",    "Label3",   "Text4",    "Label4", "Command5"};

constexpr bool namesMatchTable()
{
    return compat::ranges::equal(
        kForm1ControlNames, kForm1Controls, std::equal_to<>{}, [](std::string_view name) { return name; },
        &ControlEntry::name);
}

} // namespace detail

static_assert(detail::namesMatchTable(), "Form1Control must list the table's controls in tab order");
static_assert(indexOf(Form1Control::Command5) + 1 == kForm1Controls.size());

// The sunken frame around the plane's interior, in logical pixels.
inline constexpr int kPlaneFrameLogical = 2;

// A check box as Windows draws it: its square, and the gap before its
// caption, in logical pixels.
inline constexpr int kCheckBoxSideLogical = 13;
inline constexpr int kCheckBoxGapLogical = 4;

// The plane's interior, inside that frame, in logical pixels: what the
// raster is drawn over.
inline constexpr int kPlaneInteriorWidthLogical =
    logicalPixels(entryOf(Form1Control::PicPianoCart).geometry).width - 2 * kPlaneFrameLogical;
inline constexpr int kPlaneInteriorHeightLogical =
    logicalPixels(entryOf(Form1Control::PicPianoCart).geometry).height - 2 * kPlaneFrameLogical;

// A window as designed: its title, its client area on the screen and its
// one control, whose text the front-end gives it.
struct WindowEntry {
    std::string_view title; // UTF-8
    TwipsRect client;
    ControlEntry label;
};

// The help window: it opens at its place every time, never centred.
inline constexpr WindowEntry kDialogWindow{
    "Aiuto",
    {2760, 3750, 12000, 4650},
    {"Label1", ControlKind::Label, "", {120, 120, 11535, 4095}, kSansSerif12, "Testo di aiuto", ""}};

} // namespace lumivar
