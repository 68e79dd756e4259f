// The end-to-end tests' sessions: a private X server, a nested compositor, the program driven.
#pragma once

#include "pixel_count.h"
#include "shared/form_layout.h"

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <QElapsedTimer>
#include <QThread>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

// Long enough for a sanitised build on a loaded machine; a test that passes
// waits only as long as the program needs.
inline constexpr int kDeadlineMs = 30000;

// Polls `done` until it holds or the deadline passes; tells which.
template <typename Done> bool waitUntil(Done&& done, int timeoutMs = kDeadlineMs, int intervalMs = 50)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (done()) {
            return true;
        }
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QThread::msleep(static_cast<unsigned long>(intervalMs));
    }
}

// Fails the test unless the program ended cleanly (see Lumivar::howItEnded).
#define VERIFY_ENDED(ended)                                                                                  \
    do {                                                                                                     \
        const QString how = (ended);                                                                         \
        QVERIFY2(how.isEmpty(), qPrintable(how));                                                            \
    } while (false)

// Waits until the program's plane passes a check; `seen` names what was
// seen. Fails the test with what was awaited and lacking.
#define AWAIT_PLANE(seen, program, check)                                                                    \
    const auto seen = (program).awaitPlane(check);                                                           \
    QVERIFY2(seen.problem.isEmpty(), qPrintable(seen.problem))

// CPU time a process has used so far, in clock ticks; -1 once it is gone.
[[nodiscard]] qint64 cpuTicks(qint64 pid);

// A private X server (Xvfb) with the GNOME family's window manager, and the real
// lumivar binary running on it, driven the way a person would: with the
// mouse and the keyboard, through xdotool.
class XSession {
public:
    // With no window manager where its name is empty.
    explicit XSession(QSize screen = QSize(1280, 1024), QString windowManager = QStringLiteral("metacity"));
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    [[nodiscard]] bool isReady() const { return !m_display.isEmpty(); }
    // What each failed start awaited, and what Xvfb and the window manager said.
    [[nodiscard]] const QString& startFailure() const { return m_startFailure; }
    [[nodiscard]] QProcessEnvironment environment() const { return m_environment; }
    void setEnvironment(const QString& name, const QString& value) { m_environment.insert(name, value); }
    void removeEnvironment(const QString& name) { m_environment.remove(name); }

    // For the Windows program: a fresh copy of the booted wine prefix, whose
    // wine processes serve this session's display alone. A copy used before
    // is ended and made again.
    bool useWinePrefixCopy(const QString& prefix);

    [[nodiscard]] qint64 serverPid() const { return m_server ? m_server->processId() : 0; }

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
    bool waitForWindows(const QString& title, int count, int timeoutMs = kDeadlineMs) const;
    // Top-level client windows from bottom to top, as X window ids.
    [[nodiscard]] QList<quint32> stackingOrder() const;
    // Waits until the window manager has made this window the active one.
    bool waitForActive(const QString& window) const;

    void click(QPoint screenPoint) const;
    // Moves the pointer and waits until the screen shows it there: a nested
    // compositor draws its own cursor, and the client under it may answer
    // with a hover. False when nothing changed by the deadline.
    [[nodiscard]] bool pointAt(QPoint screenPoint) const;
    void typeText(const QString& text) const;
    void key(const QString& keys) const;

private:
    // Starts Xvfb and the window manager; what went wrong, or nothing.
    QString start(QSize screen);
    void stopProcesses();
    // Ends every wine process of the prefix, and its server.
    void endWine() const;

    QString m_windowManagerName;
    QString m_startFailure;
    QString m_display;
    QTemporaryDir m_runtimeDir;
    QProcessEnvironment m_environment;
    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_windowManager;
    static inline int s_sessions = 0; // alive at once
};

enum class Compositor : std::uint8_t { Weston, Mutter };

// A Wayland compositor shown on a session's screen with no window manager,
// through its X11 backend, at a scale: the programs started on the session
// afterwards find it at WAYLAND_DISPLAY as well as the X server at DISPLAY.
// The session's mouse and keyboard reach the compositor's clients, and the
// screen shows its output pixel for pixel.
class NestedCompositor {
public:
    NestedCompositor(XSession& session, Compositor compositor, int scale);
    ~NestedCompositor();
    NestedCompositor(const NestedCompositor&) = delete;
    NestedCompositor& operator=(const NestedCompositor&) = delete;

    // What was awaited and not seen; empty once its output is on the screen
    // and its pointer follows the session's.
    [[nodiscard]] const QString& startFailure() const { return m_startFailure; }
    [[nodiscard]] qint64 pid() const { return m_process.processId(); }
    // Points at a place of a client's and clicks it, once the compositor
    // shows its pointer there; what went wrong, naming `what`, or nothing.
    [[nodiscard]] QString click(QPoint screenPoint, const QString& what) const;

private:
    // Brings the compositor's pointer in step with the X pointer.
    [[nodiscard]] bool syncPointer(QSize screen) const;

    XSession& m_session;
    QProcess m_process;
    QString m_startFailure;
};

// The program under test, started on a session.
class Lumivar {
public:
    // The program is LUMIVAR_E2E_PROGRAM's command where it is set: the
    // Windows program under wine.
    explicit Lumivar(const XSession& session);
    ~Lumivar();
    [[nodiscard]] static bool isWindowsProgram();
    Lumivar(const Lumivar&) = delete;
    Lumivar& operator=(const Lumivar&) = delete;

    [[nodiscard]] bool isRunning() const { return m_process.state() == QProcess::Running; }
    [[nodiscard]] qint64 pid() const { return m_process.processId(); }
    bool waitForExit(int timeoutMs) { return m_process.waitForFinished(timeoutMs); }
    // How the program ended: empty for an exit of its own with code 0, else
    // what was seen (a signal, as a sanitizer's abort, or another code).
    [[nodiscard]] QString howItEnded() const;
    // Ends the program with «Chiudi», as a user would, where it still runs;
    // then as howItEnded().
    [[nodiscard]] QString end();

    // The main window's client area on the screen, once it is shown.
    [[nodiscard]] std::optional<QRect> mainWindow() const;
    // Clicks a point given in the main window's client coordinates.
    void clickClient(QPoint clientPoint) const;
    // Clicks the middle of a control of the main window, named as in its table.
    void clickControl(lumivar::Form1Control control) const;
    // The plane's interior, from a fresh screenshot.
    [[nodiscard]] QImage planeInterior() const;
    // Sets a parameter box (1 to 4) to the text, as typed by a person.
    void typeInto(int box, const QString& text) const;

    // Waits until the program has handled all that was sent to it: the X
    // server has answered a round trip, and neither the program nor the
    // server has used any CPU time for a few hundred milliseconds.
    // A compositor's process, where there is one, is awaited as well.
    bool waitUntilIdle(qint64 compositorPid = 0) const;

    // What a picture of the plane lacks; empty when it shows what is awaited.
    using PlaneCheck = std::function<QString(const QImage& plane)>;
    struct PlaneSeen {
        QImage plane;    // the last picture taken
        QString problem; // what was awaited and not seen; empty on success
    };
    // Waits until the program is idle and its plane passes the check.
    [[nodiscard]] PlaneSeen awaitPlane(const PlaneCheck& check) const;

    // Waits for a message box with the program's title, copies its text with
    // Ctrl+C, closes it with Enter and waits until it has gone and the main
    // window is active again. Nothing when a step failed: dismissProblem()
    // then says which.
    std::optional<QString> dismissMessage() const;
    [[nodiscard]] const QString& dismissProblem() const { return m_dismissProblem; }
    // The X id of the main window.
    [[nodiscard]] QString mainWindowId() const;

private:
    // Prints where the program is, every thread, from its core where it
    // crashed or from the live process; says so for a failure message.
    [[nodiscard]] QString stack() const;

    const XSession& m_session;
    QTemporaryDir m_coreDir;
    QProcess m_process;
    mutable QString m_mainWindow; // once found, whatever its size
    mutable QString m_dismissProblem;
};
