#include "x_session.h"

#include "plot/plane.h"
#include "ui/main_window.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>

#include <string>

namespace {

constexpr int kPlaneFramePixels = 2;

} // namespace

XSession::XSession() : m_environment(QProcessEnvironment::systemEnvironment())
{
    m_server = std::make_unique<QProcess>();
    m_server->setProcessChannelMode(QProcess::SeparateChannels);
    // -displayfd picks a free display and tells its number.
    m_server->start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                     QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                     QStringLiteral("tcp")});
    if (!m_server->waitForStarted(10000)) {
        return;
    }
    QByteArray number;
    QElapsedTimer clock;
    clock.start();
    while (!number.contains('\n') && clock.elapsed() < 15000) {
        m_server->waitForReadyRead(500);
        number += m_server->readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        return;
    }
    const QString display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    m_environment.insert(QStringLiteral("DISPLAY"), display);
    m_environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDir.path()); // private, 0700
    // Under AddressSanitizer freed memory waits in a quarantine of up to
    // 256 MB, which would read as growth to a memory check; a small one
    // keeps the program's own growth visible.
    const QString sanitizer = m_environment.value(QStringLiteral("ASAN_OPTIONS"));
    if (!sanitizer.isEmpty()) {
        m_environment.insert(QStringLiteral("ASAN_OPTIONS"),
                             sanitizer + QStringLiteral(":quarantine_size_mb=4"));
    }

    m_windowManager = std::make_unique<QProcess>();
    m_windowManager->setProcessEnvironment(m_environment);
    m_windowManager->start(QStringLiteral("openbox"), {});
    if (!m_windowManager->waitForStarted(10000)) {
        return;
    }
    QThread::msleep(500);
    m_display = display;
}

XSession::~XSession()
{
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
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (windows(title).size() == count) {
            return true;
        }
        QThread::msleep(100);
    }
    return false;
}

void XSession::click(QPoint screenPoint) const
{
    (void)run(QStringLiteral("xdotool"),
              {QStringLiteral("mousemove"), QString::number(screenPoint.x()),
               QString::number(screenPoint.y()), QStringLiteral("click"), QStringLiteral("1")});
    QThread::msleep(150);
}

void XSession::typeText(const QString& text) const
{
    (void)run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"),
                                          QStringLiteral("10"), QStringLiteral("--"), text});
}

void XSession::key(const QString& keys) const
{
    (void)run(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
    QThread::msleep(150);
}

Lumivar::Lumivar(const XSession& session) : m_session(session)
{
    m_process.setProcessEnvironment(session.environment());
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(LUMIVAR_BINARY), {});
    m_process.waitForStarted(10000);
}

Lumivar::~Lumivar()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

std::optional<QRect> Lumivar::mainWindow() const
{
    const QString title = QString::fromUtf8(lumivar::kProgramTitle.data());
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        for (const QString& window : m_session.windows(title)) {
            const auto rect = m_session.geometry(window);
            if (rect && rect->size() == lumivar::toPixels(lumivar::kForm1ClientTwips).size()) {
                return rect;
            }
        }
        QThread::msleep(100);
    }
    return std::nullopt;
}

void Lumivar::clickClient(QPoint clientPoint) const
{
    if (const auto window = mainWindow()) {
        m_session.click(window->topLeft() + clientPoint);
    }
}

void Lumivar::clickControl(std::string_view name) const
{
    clickClient(lumivar::form1ControlRect(name).center());
}

QImage Lumivar::planeInterior() const
{
    const auto window = mainWindow();
    if (!window) {
        return {};
    }
    const QRect plane =
        lumivar::form1ControlRect("PicPianoCart")
            .adjusted(kPlaneFramePixels, kPlaneFramePixels, -kPlaneFramePixels, -kPlaneFramePixels);
    return m_session.screenshot().copy(plane.translated(window->topLeft()));
}

void Lumivar::typeInto(int box, const QString& text) const
{
    clickControl("Text" + std::to_string(box));
    m_session.key(QStringLiteral("ctrl+a"));
    m_session.key(QStringLiteral("BackSpace"));
    if (!text.isEmpty()) {
        m_session.typeText(text);
    }
}
