#pragma once

#include "fonts.h"
#include "plane_widget.h"
#include "plot/axes.h"
#include "plot/light_curve.h"
#include "twips.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

class QCheckBox;
class QLineEdit;

namespace lumivar {

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

// A control's rectangle in the client area, in logical pixels; empty for a
// name the table does not hold.
[[nodiscard]] constexpr QRect form1ControlRect(std::string_view name)
{
    const auto* found = std::ranges::find(kForm1Controls, name, &ControlEntry::name);
    return found == kForm1Controls.end() ? QRect() : toPixels(found->geometry);
}

inline constexpr std::string_view kProgramTitle = "Lumivar 1.0";

// Italian text of a plot that stopped on an arithmetic fault.
[[nodiscard]] QString plotFaultMessage(PlotFault fault, float abscissa);

// The main window: the plane, the four parameter boxes with their labels, the
// "CURVA" box and the five commands.
class Form1 final : public QWidget {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);

    // Draws axes, grid and labels over the plane.
    void DisegnaAssi();

    [[nodiscard]] PlaneWidget& plane() const { return *m_plane; }
    // The designed client area with every control, whatever the window's
    // size: what scrolls when the window is smaller, and what is printed.
    [[nodiscard]] QWidget& client() const { return *m_client; }
    [[nodiscard]] const PlotCursor& cursor() const { return m_cursor; }

    // Where the window's messages go; a message box by default.
    using MessageSink = std::function<void(const QString& message)>;
    void setMessageSink(MessageSink sink) { m_messageSink = std::move(sink); }

    // Sends the window to a printer; returns what went wrong.
    using PrintFunction = std::function<std::optional<QString>(QWidget& window)>;
    void setPrintFunction(PrintFunction print) { m_print = std::move(print); }

private:
    void load();
    void plotCurves();
    void reset();
    void printWindow();
    void closeProgram();
    void openHelp();

    void report(const QString& message);
    void createClient();
    void connectCommands();

    PlotCursor m_cursor;
    QWidget* m_client = nullptr;
    PlaneWidget* m_plane = nullptr;
    QCheckBox* m_curve = nullptr;
    std::array<QLineEdit*, 4> m_parameterBoxes{};
    MessageSink m_messageSink;
    PrintFunction m_print;
};

} // namespace lumivar
