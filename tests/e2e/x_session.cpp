// The end-to-end tests' sessions: a private X server, a nested compositor, the program driven.
#include "x_session.h"

#include "form1_rect.h"
#include "plot/plane.h"
#include "qt/main_window.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <cstdio>
#include <string>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    // The command name may hold blanks; the fields after it do not. utime
    // and stime are the 14th and 15th fields, the 12th and 13th after it.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? fields[11].toLongLong() + fields[12].toLongLong() : -1;
}

XSession::XSession(QSize screen, QString windowManager)
    : m_windowManagerName(std::move(windowManager)), m_environment(QProcessEnvironment::systemEnvironment())
{
    // wine's desktop process, which serves the clipboard too, belongs to the
    // display it started on: the first session's, once any earlier is gone.
    if (s_sessions++ == 0 && Lumivar::isWindowsProgram()) {
        endWine();
    }
    // A busy machine may lose a start: once more, on another display.
    for (int attempt = 1; attempt <= 2 && !isReady(); ++attempt) {
        const QString failure = start(screen);
        if (!failure.isEmpty()) {
            m_startFailure += QStringLiteral("attempt %1: %2\n").arg(attempt).arg(failure);
            stopProcesses();
        }
    }
}

QString XSession::start(QSize screen)
{
    // Their error output goes to files, never to a pipe nobody reads while
    // they run: a full pipe would stop them.
    const QString serverLog = m_runtimeDir.filePath(QStringLiteral("xvfb.log"));
    const QString managerLog = m_runtimeDir.filePath(QStringLiteral("window-manager.log"));
    const auto output = [](const QString& log) {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()).trimmed().right(2000)
                                              : QStringLiteral("(nothing)");
    };
    m_server = std::make_unique<QProcess>();
    m_server->setStandardErrorFile(serverLog);
    // -displayfd picks a free display and tells its number. The server keeps
    // running as clients come and go: by default it resets when its last
    // client leaves, and refuses connections meanwhile.
    m_server->start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                     QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height()),
                     QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
    if (!m_server->waitForStarted(10000)) {
        return QStringLiteral("Xvfb did not start: ") + m_server->errorString();
    }
    QByteArray number;
    QElapsedTimer clock;
    clock.start();
    while (!number.contains('\n') && clock.elapsed() < kDeadlineMs
           && m_server->state() == QProcess::Running) {
        m_server->waitForReadyRead(500);
        number += m_server->readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        return QStringLiteral("awaited Xvfb's display number for %1 ms; Xvfb said: %2")
            .arg(clock.elapsed())
            .arg(output(serverLog));
    }
    const QString display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    m_environment.insert(QStringLiteral("DISPLAY"), display);
    m_environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDir.path()); // private, 0700
    // Under AddressSanitizer freed memory waits in a quarantine of up to
    // 256 MB, which would read as growth to a memory check; a small one
    // keeps the program's own growth visible.
    const QString sanitizer = qEnvironmentVariable("ASAN_OPTIONS");
    if (!sanitizer.isEmpty()) {
        m_environment.insert(QStringLiteral("ASAN_OPTIONS"),
                             sanitizer + QStringLiteral(":quarantine_size_mb=4"));
    }

    if (m_windowManagerName.isEmpty()) {
        m_display = display;
        return {};
    }
    m_windowManager = std::make_unique<QProcess>();
    m_windowManager->setProcessEnvironment(m_environment);
    m_windowManager->setStandardErrorFile(managerLog);
    m_windowManager->start(m_windowManagerName, {QStringLiteral("--replace")});
    if (!m_windowManager->waitForStarted(10000)) {
        return m_windowManagerName + QStringLiteral(" did not start: ") + m_windowManager->errorString();
    }
    // A window manager announces itself on the root window once it manages.
    const bool managing = waitUntil([this] {
        const auto check = run(QStringLiteral("xprop"),
                               {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        return (check && check->contains(QLatin1String("window id")))
               || m_windowManager->state() != QProcess::Running;
    });
    if (!managing || m_windowManager->state() != QProcess::Running) {
        return QStringLiteral("awaited %1 managing display %2 (_NET_SUPPORTING_WM_CHECK on the root); "
                              "%1 said: %3; Xvfb said: %4")
            .arg(m_windowManagerName, display, output(managerLog), output(serverLog));
    }
    m_display = display;
    return {};
}

void XSession::stopProcesses()
{
    m_display.clear();
    for (auto* process : {m_windowManager.get(), m_server.get()}) {
        if (process != nullptr && process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(5000)) {
                process->kill();
                process->waitForFinished(2000);
            }
        }
    }
}

XSession::~XSession()
{
    const bool ownPrefix =
        m_environment.value(QStringLiteral("WINEPREFIX")) != qEnvironmentVariable("WINEPREFIX");
    if ((--s_sessions == 0 || ownPrefix) && Lumivar::isWindowsProgram()) {
        endWine();
    }
    stopProcesses();
}

bool XSession::useWinePrefixCopy(const QString& prefix)
{
    if (m_environment.value(QStringLiteral("WINEPREFIX")) == prefix) {
        endWine();
    }
    if (!QDir(prefix).removeRecursively()
        || !run(QStringLiteral("cp"), {QStringLiteral("-a"), qEnvironmentVariable("WINEPREFIX"), prefix})) {
        return false;
    }
    m_environment.insert(QStringLiteral("WINEPREFIX"), prefix);
    return true;
}

void XSession::endWine() const
{
    (void)run(QStringLiteral("wineserver"), {QStringLiteral("-k")});
    (void)run(QStringLiteral("wineserver"), {QStringLiteral("-w")});
}

std::optional<QString> XSession::run(const QString& program, const QStringList& arguments,
                                     int timeoutMs) const
{
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QImage XSession::screenshot() const
{
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.start(QStringLiteral("import"),
                  {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
    process.waitForFinished(15000);
    return QImage::fromData(process.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

QStringList XSession::windows(const QString& title) const
{
    const auto found =
        run(QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
             QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')});
    return found ? found->split(QLatin1Char('\n'), Qt::SkipEmptyParts) : QStringList();
}

std::optional<QRect> XSession::geometry(const QString& window) const
{
    // xwininfo, unlike xdotool, reports the client area's true position under
    // a reparenting window manager.
    const auto info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    if (!info) {
        return std::nullopt;
    }
    QRect rect;
    for (const QString& raw : info->split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString line = raw.trimmed();
        const int value = line.section(QLatin1Char(':'), 1).trimmed().toInt();
        if (line.startsWith(QLatin1String("Absolute upper-left X:"))) {
            rect.moveLeft(value);
        } else if (line.startsWith(QLatin1String("Absolute upper-left Y:"))) {
            rect.moveTop(value);
        } else if (line.startsWith(QLatin1String("Width:"))) {
            rect.setWidth(value);
        } else if (line.startsWith(QLatin1String("Height:"))) {
            rect.setHeight(value);
        }
    }
    return rect;
}

bool XSession::waitForWindows(const QString& title, int count, int timeoutMs) const
{
    return waitUntil([&] { return windows(title).size() == count; }, timeoutMs);
}

QList<quint32> XSession::stackingOrder() const
{
    const auto list =
        run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    QList<quint32> order;
    if (list) {
        for (const QString& id :
             list->section(QLatin1Char('#'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            order.append(id.trimmed().toUInt(nullptr, 16));
        }
    }
    return order;
}

bool XSession::waitForActive(const QString& window) const
{
    return waitUntil([&] {
        const auto active = run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
        return active && active->trimmed() == window;
    });
}

void XSession::click(QPoint screenPoint) const
{
    (void)run(QStringLiteral("xdotool"),
              {QStringLiteral("mousemove"), QString::number(screenPoint.x()),
               QString::number(screenPoint.y()), QStringLiteral("click"), QStringLiteral("1")});
}

bool XSession::pointAt(QPoint screenPoint) const
{
    const auto location = run(QStringLiteral("xdotool"), {QStringLiteral("getmouselocation")});
    if (location
        && location->startsWith(QStringLiteral("x:%1 y:%2 ").arg(screenPoint.x()).arg(screenPoint.y()))) {
        return true;
    }
    // Where the cursor's image lands: down and right of its hot spot.
    const QRect around(screenPoint - QPoint(4, 4), QSize(24, 24));
    const QImage before = screenshot().copy(around);
    (void)run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(screenPoint.x()),
                                          QString::number(screenPoint.y())});
    return waitUntil([&] { return screenshot().copy(around) != before; });
}

void XSession::typeText(const QString& text) const
{
    (void)run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"),
                                          QStringLiteral("10"), QStringLiteral("--"), text});
}

void XSession::key(const QString& keys) const
{
    (void)run(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
}

NestedCompositor::NestedCompositor(XSession& session, Compositor compositor, int scale) : m_session(session)
{
    const QString socket = QStringLiteral("lumivar-wayland");
    const QSize screen = session.screenshot().size();
    QProcessEnvironment environment = session.environment();
    const QString runtime = environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
    const QString log = runtime + QStringLiteral("/compositor.log");
    QString program;
    QStringList arguments;
    if (compositor == Compositor::Weston) {
        program = QStringLiteral("weston");
        arguments = {QStringLiteral("--backend=x11-backend.so"),
                     QStringLiteral("--use-pixman"),
                     QStringLiteral("--width=%1").arg(screen.width() / scale),
                     QStringLiteral("--height=%1").arg(screen.height() / scale),
                     QStringLiteral("--scale=%1").arg(scale),
                     QStringLiteral("--socket=") + socket,
                     QStringLiteral("--idle-time=0")};
    } else {
        // mutter wants a session bus, and takes its output's size from the environment.
        environment.insert(QStringLiteral("MUTTER_DEBUG_DUMMY_MODE_SPECS"),
                           QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()));
        environment.insert(QStringLiteral("MUTTER_DEBUG_DUMMY_MONITOR_SCALES"), QString::number(scale));
        program = QStringLiteral("dbus-run-session");
        arguments = {QStringLiteral("--"), QStringLiteral("mutter"), QStringLiteral("--nested"),
                     QStringLiteral("--wayland"), QStringLiteral("--wayland-display=") + socket};
    }
    m_process.setProcessEnvironment(environment);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(log);
    // A group of its own, ended whole: dbus-run-session leaves its child behind.
    m_process.setChildProcessModifier([] { ::setsid(); });
    m_process.start(program, arguments);
    m_process.waitForStarted(10000);
    // Its output is a window of the screen's size at the screen's corner.
    const QString whole = QStringLiteral("%1x%2+0+0").arg(screen.width()).arg(screen.height());
    const bool shown = waitUntil([&] {
        const auto children =
            session.run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
        return m_process.state() != QProcess::Running
               || (QFile::exists(runtime + QLatin1Char('/') + socket) && children
                   && children->contains(whole));
    });
    if (!shown || m_process.state() != QProcess::Running) {
        QFile said(log);
        (void)said.open(QIODevice::ReadOnly);
        m_startFailure = QStringLiteral("awaited %1's socket and output; it said: %2")
                             .arg(program, QString::fromLocal8Bit(said.readAll().right(600)));
        return;
    }
    if (!syncPointer(screen)) {
        m_startFailure =
            QStringLiteral("awaited %1's cursor drawn where the X pointer was moved").arg(program);
        return;
    }
    session.setEnvironment(QStringLiteral("WAYLAND_DISPLAY"), socket);
    session.removeEnvironment(QStringLiteral("QT_QPA_PLATFORM"));
    // Mesa's software driver, loaded through Qt's Wayland EGL integration,
    // keeps a block until it is unloaded at exit. Only a full unwind at each
    // allocation shows the Wayland client library under it, which the leak
    // suppressions name; the quick one stops at the unloaded driver.
    const QString sanitizer = session.environment().value(QStringLiteral("ASAN_OPTIONS"));
    if (!sanitizer.isEmpty()) {
        session.setEnvironment(QStringLiteral("ASAN_OPTIONS"),
                               sanitizer + QStringLiteral(":fast_unwind_on_malloc=0"));
    }
}

bool NestedCompositor::syncPointer(QSize screen) const
{
    // weston may start with its pointer at (0, 0) wherever the X pointer is,
    // and lose the first move; later moves then shift it only by their
    // difference. Two moves ending at a corner bring the two in step.
    for (const QString& corner : {QStringLiteral("1"), QStringLiteral("0")}) {
        (void)m_session.run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), corner, corner});
    }
    // Then, away from the panel and from where clients open, its cursor
    // must appear where the X pointer goes.
    return m_session.pointAt(QPoint(screen.width() - 60, screen.height() - 60));
}

QString NestedCompositor::click(QPoint screenPoint, const QString& what) const
{
    if (!m_session.pointAt(screenPoint)) {
        return QStringLiteral("the compositor's pointer over %1 at %2,%3 (the screen there never changed)")
            .arg(what)
            .arg(screenPoint.x())
            .arg(screenPoint.y());
    }
    (void)m_session.run(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")});
    return {};
}

NestedCompositor::~NestedCompositor()
{
    if (m_process.processId() > 0) {
        ::kill(-static_cast<pid_t>(m_process.processId()), SIGTERM);
    }
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

Lumivar::Lumivar(const XSession& session) : m_session(session)
{
    m_process.setProcessEnvironment(session.environment());
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList command = QProcess::splitCommand(qEnvironmentVariable("LUMIVAR_E2E_PROGRAM"));
    if (command.isEmpty()) {
        command = {QStringLiteral(LUMIVAR_BINARY)};
    }
    // A crash leaves its core where the failure can show its stack.
    m_process.setWorkingDirectory(m_coreDir.path());
    m_process.setChildProcessModifier([] {
        rlimit core{};
        if (getrlimit(RLIMIT_CORE, &core) == 0) {
            core.rlim_cur = core.rlim_max;
            setrlimit(RLIMIT_CORE, &core);
        }
    });
    m_process.start(command.takeFirst(), command);
    m_process.waitForStarted(10000);
}

QString Lumivar::stack() const
{
    QStringList target{m_process.program()};
    if (m_process.state() != QProcess::NotRunning) {
        target = {QStringLiteral("-p"), QString::number(m_process.processId())};
    } else {
        const QStringList cores = QDir(m_coreDir.path()).entryList({QStringLiteral("core*")}, QDir::Files);
        if (cores.isEmpty()) {
            QFile pattern(QStringLiteral("/proc/sys/kernel/core_pattern"));
            return QStringLiteral("; no core dumped, the kernel's pattern: ")
                   + (pattern.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(pattern.readAll()).trimmed()
                                                        : QStringLiteral("unread"));
        }
        target.append(m_coreDir.filePath(cores.first()));
    }
    QProcess gdb;
    gdb.setProcessChannelMode(QProcess::MergedChannels);
    gdb.start(QStringLiteral("gdb"),
              QStringList{QStringLiteral("-batch"), QStringLiteral("-nx"), QStringLiteral("-ex"),
                          QStringLiteral("bt 40"), QStringLiteral("-ex"),
                          QStringLiteral("thread apply all bt 20")}
                  + target);
    gdb.waitForFinished(kDeadlineMs);
    // Whole on the error stream: a test's failure message is cut short.
    std::fprintf(stderr, "The program's stack:\n%s\n", gdb.readAll().constData());
    return QStringLiteral("; its stack is printed above");
}

bool Lumivar::isWindowsProgram()
{
    return qEnvironmentVariableIsSet("LUMIVAR_E2E_PROGRAM");
}

Lumivar::~Lumivar()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString Lumivar::howItEnded() const
{
    if (m_process.state() != QProcess::NotRunning) {
        return QStringLiteral("the program still running") + stack();
    }
    if (m_process.exitStatus() == QProcess::CrashExit) {
        return QStringLiteral("the program ended by signal %1 (a sanitizer's report aborts it)%2")
            .arg(m_process.exitCode())
            .arg(stack());
    }
    return m_process.exitCode() == 0 ? QString()
                                     : QStringLiteral("the program exited with %1").arg(m_process.exitCode());
}

QString Lumivar::end()
{
    if (isRunning()) {
        clickControl(lumivar::Form1Control::Command4);
        (void)m_process.waitForFinished(kDeadlineMs);
    }
    return howItEnded();
}

QString Lumivar::mainWindowId() const
{
    if (!m_mainWindow.isEmpty()) {
        return m_mainWindow;
    }
    const QString title = QString::fromUtf8(lumivar::kProgramTitle.data());
    // Message boxes carry the same title; the main window comes first, at
    // its own size unless the screen is too small for it.
    waitUntil([&] {
        const QStringList windows = m_session.windows(title);
        for (const QString& window : windows) {
            const auto rect = m_session.geometry(window);
            if (rect
                && (windows.size() == 1
                    || rect->size() == lumivar::toPixels(lumivar::kForm1ClientTwips).size())) {
                m_mainWindow = window;
                return true;
            }
        }
        return false;
    });
    return m_mainWindow;
}

std::optional<QRect> Lumivar::mainWindow() const
{
    const QString window = mainWindowId();
    return window.isEmpty() ? std::nullopt : m_session.geometry(window);
}

void Lumivar::clickClient(QPoint clientPoint) const
{
    if (const auto window = mainWindow()) {
        m_session.click(window->topLeft() + clientPoint);
    }
}

void Lumivar::clickControl(lumivar::Form1Control control) const
{
    clickClient(lumivar::form1ControlRect(control).center());
}

QImage Lumivar::planeInterior() const
{
    const auto window = mainWindow();
    if (!window) {
        return {};
    }
    const QRect plane = lumivar::form1ControlRect(lumivar::Form1Control::PicPianoCart)
                            .adjusted(lumivar::kPlaneFrameLogical, lumivar::kPlaneFrameLogical,
                                      -lumivar::kPlaneFrameLogical, -lumivar::kPlaneFrameLogical);
    return m_session.screenshot().copy(plane.translated(window->topLeft()));
}

void Lumivar::typeInto(int box, const QString& text) const
{
    clickControl(lumivar::kParameterBoxes.at(static_cast<std::size_t>(box - 1)));
    // Selected from the end, as every edit box allows; Ctrl+A is not one of
    // Windows' edit keys.
    m_session.key(QStringLiteral("End"));
    m_session.key(QStringLiteral("shift+Home"));
    m_session.key(QStringLiteral("BackSpace"));
    if (!text.isEmpty()) {
        m_session.typeText(text);
    }
}

bool Lumivar::waitUntilIdle(qint64 compositorPid) const
{
    // xdotool asks the server where the pointer is: once it answers, the
    // server has taken every request sent to it before.
    (void)m_session.run(QStringLiteral("xdotool"), {QStringLiteral("getmouselocation")});
    constexpr int kQuietPolls = 4;
    constexpr int kPollMs = 100;
    qint64 last = -2;
    int quiet = 0;
    return waitUntil(
        [&] {
            const qint64 now = cpuTicks(pid()) + cpuTicks(m_session.serverPid())
                               + (compositorPid > 0 ? cpuTicks(compositorPid) : 0);
            quiet = now == last ? quiet + 1 : 0;
            last = now;
            return quiet >= kQuietPolls;
        },
        kDeadlineMs, kPollMs);
}

Lumivar::PlaneSeen Lumivar::awaitPlane(const PlaneCheck& check) const
{
    PlaneSeen seen;
    if (!waitUntilIdle()) {
        seen.problem = QStringLiteral("the program never fell idle; ");
    }
    const bool met = waitUntil([&] {
        seen.plane = planeInterior();
        seen.problem = seen.plane.isNull() ? QStringLiteral("no main window to look at") : check(seen.plane);
        return seen.problem.isEmpty();
    });
    if (!met) {
        seen.problem =
            QStringLiteral("after %1 s the plane still lacked: %2").arg(kDeadlineMs / 1000).arg(seen.problem);
    }
    return seen;
}

std::optional<QString> Lumivar::dismissMessage() const
{
    const QString title = QString::fromUtf8(lumivar::kProgramTitle.data());
    const QString main = mainWindowId();
    QString box;
    QStringList seen;
    const auto failed = [&](const QString& awaited) {
        m_dismissProblem =
            QStringLiteral("awaited %1 (windows titled \"%2\": %3; active: %4)")
                .arg(awaited, title, seen.join(QLatin1Char(' ')),
                     m_session.run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")})
                         .value_or(QString())
                         .trimmed());
        return std::nullopt;
    };
    m_dismissProblem.clear();
    const bool shown = waitUntil([&] {
        seen = m_session.windows(title);
        box = seen.size() == 2 ? seen.value(seen.indexOf(main) == 0 ? 1 : 0) : QString();
        return !box.isEmpty();
    });
    if (!shown) {
        return failed(QStringLiteral("a message box beside the main window"));
    }
    // Enter goes to whichever window has the focus: wait until it is the box.
    if (!m_session.waitForActive(box)) {
        return failed(QStringLiteral("the message box %1 active").arg(box));
    }
    // The clipboard is given a mark first, so that what it holds next is this
    // box's. xclip claims the clipboard from a child it leaves running, at a
    // time of its own: the mark is read back before the copy, so that a late
    // claim cannot take the clipboard from the box.
    const QStringList clipboard{QStringLiteral("-selection"), QStringLiteral("clipboard")};
    const QString mark = QStringLiteral("lumivar-e2e-mark");
    QTemporaryFile markFile;
    if (!markFile.open() || markFile.write(mark.toLatin1()) != mark.size() || !markFile.flush()) {
        return failed(QStringLiteral("a file for the clipboard's mark"));
    }
    m_session.run(QStringLiteral("xclip"),
                  clipboard + QStringList{QStringLiteral("-i"), markFile.fileName()});
    QString message;
    const auto read = [&] {
        message = m_session.run(QStringLiteral("xclip"), clipboard + QStringList{QStringLiteral("-o")})
                      .value_or(QString());
        return message;
    };
    if (!waitUntil([&] { return read() == mark; })) {
        return failed(QStringLiteral("the clipboard holding the mark (held: \"%1\")").arg(message));
    }
    m_session.key(QStringLiteral("ctrl+c"));
    if (!waitUntil([&] { return !read().isEmpty() && message != mark; })) {
        return failed(
            QStringLiteral("the box's text on the clipboard after Ctrl+C (held: \"%1\")").arg(message));
    }
    m_session.key(QStringLiteral("Return"));
    if (!m_session.waitForWindows(title, 1)) {
        seen = m_session.windows(title);
        return failed(QStringLiteral("the message box gone after Enter"));
    }
    // A click sent before the owner is enabled and active again would be lost;
    // a message that was waiting for this one to close is the next one's.
    const bool ownerBack = waitUntil([&] {
        const auto active = m_session.run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
        return (active && active->trimmed() == main) || m_session.windows(title).size() == 2;
    });
    if (!ownerBack) {
        seen = m_session.windows(title);
        return failed(QStringLiteral("the main window %1 active again, or the next message").arg(main));
    }
    // Windows copies the title, the text and the buttons, each between rules.
    const QString rule = QStringLiteral("---------------------------");
    if (message.startsWith(rule)) {
        message = message.split(rule).value(2).trimmed();
    }
    return message;
}
