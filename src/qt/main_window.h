// The Linux main window, Form1, and its controls' places in logical pixels.
#pragma once

#include "pixels.h"
#include "plane_widget.h"
#include "shared/form_layout.h"
#include "shared/main_window_rules.h"

#include <QImage>
#include <QString>
#include <QWidget>

class QScrollArea;

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lumivar {

// The main window: the plane, the four parameter boxes with their labels, the
// "CURVA" box and the five commands.
class Form1 final : public QWidget {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;
    Form1(Form1&&) = delete;
    Form1& operator=(Form1&&) = delete;

    // The designed client area with every control, whatever the window's
    // size: what scrolls when the window is smaller, and what is printed.
    [[nodiscard]] QWidget& client() const { return *m_client; }

    // Where the window's messages go; a message box by default.
    using MessageSink = std::function<void(const QString& message)>;
    void setMessageSink(MessageSink sink) { m_messageSink = std::move(sink); }

    // Sends the window to a printer; returns what went wrong.
    using PrintFunction = std::function<std::optional<PrintFailure>(QWidget& window)>;
    void setPrintFunction(PrintFunction print) { m_print = std::move(print); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // On the first exposure: the window within the screen, and the controls
    // named for assistive technology.
    void fitToScreen();
    void nameControls();
    // Answers the window rules from the widgets.
    class Platform;

    void createClient();
    void connectCommands();
    template <typename Widget> [[nodiscard]] Widget* control(Form1Control which) const
    {
        return static_cast<Widget*>(m_controls[indexOf(which)]);
    }

    std::unique_ptr<Platform> m_platform;
    Form1Rules m_rules;
    QScrollArea* m_scroller = nullptr;
    QWidget* m_client = nullptr;
    bool m_fitted = false; // to the screen, once
    QSize m_usable;        // by the client area, within the screen
    int m_widenedAt = -1;  // the height the window last grew by a bar at
    PlaneWidget* m_plane = nullptr;
    std::array<QWidget*, kForm1Controls.size()> m_controls{};
    MessageSink m_messageSink;
    PrintFunction m_print;
};

} // namespace lumivar
