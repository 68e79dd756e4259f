#pragma once

#include "pixel_count.h"

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <string_view>

// A private X server (Xvfb) with a light window manager, and the real
// lumivar binary running on it, driven the way a person would: with the
// mouse and the keyboard, through xdotool.
class XSession {
public:
    XSession();
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    [[nodiscard]] bool isReady() const { return !m_display.isEmpty(); }
    [[nodiscard]] QProcessEnvironment environment() const { return m_environment; }
    void setEnvironment(const QString& name, const QString& value) { m_environment.insert(name, value); }

    // Runs a command on the display; its standard output, or nothing on failure.
    std::optional<QString> run(const QString& program, const QStringList& arguments,
                               int timeoutMs = 15000) const;

    // The whole screen as it looks now.
    [[nodiscard]] QImage screenshot() const;

    // Visible top-level windows with this exact title, as X window ids.
    [[nodiscard]] QStringList windows(const QString& title) const;
    // Screen rectangle of a window's client area.
    [[nodiscard]] std::optional<QRect> geometry(const QString& window) const;
    // Waits until exactly `count` windows with the title are visible.
    bool waitForWindows(const QString& title, int count, int timeoutMs = 10000) const;

    void click(QPoint screenPoint) const;
    void typeText(const QString& text) const;
    void key(const QString& keys) const;

private:
    QString m_display;
    QTemporaryDir m_runtimeDir;
    QProcessEnvironment m_environment;
    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_windowManager;
};

// The program under test, started on a session.
class Lumivar {
public:
    explicit Lumivar(const XSession& session);
    ~Lumivar();
    Lumivar(const Lumivar&) = delete;
    Lumivar& operator=(const Lumivar&) = delete;

    [[nodiscard]] bool isRunning() const { return m_process.state() == QProcess::Running; }
    [[nodiscard]] qint64 pid() const { return m_process.processId(); }
    bool waitForExit(int timeoutMs) { return m_process.waitForFinished(timeoutMs); }
    [[nodiscard]] int exitCode() const { return m_process.exitCode(); }
    [[nodiscard]] QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }

    // The main window's client area on the screen, once it is shown.
    [[nodiscard]] std::optional<QRect> mainWindow() const;
    // Clicks a point given in the main window's client coordinates.
    void clickClient(QPoint clientPoint) const;
    // Clicks the middle of a control of the main window, named as in its table.
    void clickControl(std::string_view name) const;
    // The plane's interior, from a fresh screenshot.
    [[nodiscard]] QImage planeInterior() const;
    // Sets a parameter box (1 to 4) to the text, as typed by a person.
    void typeInto(int box, const QString& text) const;

private:
    const XSession& m_session;
    QProcess m_process;
};
