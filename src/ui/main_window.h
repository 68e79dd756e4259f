#pragma once

#include "plane_widget.h"
#include "plot/axes.h"
#include "plot/light_curve.h"
#include "shared/form_layout.h"
#include "twips.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <string_view>

class QCheckBox;
class QLineEdit;

namespace lumivar {

// A control's rectangle in the client area, in logical pixels; empty for a
// name the table does not hold.
[[nodiscard]] constexpr QRect form1ControlRect(std::string_view name)
{
    const ControlEntry* found = findForm1Control(name);
    return found == nullptr ? QRect() : toPixels(found->geometry);
}

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
