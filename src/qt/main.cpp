// The Linux program's start: the display server, the Italian texts, the main window and the event loop.
#include "identity.h"
#include "qt/accessibility.h"
#include "qt/display_choice.h"
#include "qt/icon.h"
#include "qt/main_window.h"
#include "qt/utf8.h"
#include "shared/texts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#if defined(__SANITIZE_ADDRESS__)
#define LUMIVAR_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LUMIVAR_LEAK_CHECKED 1
#endif
#endif
#ifdef LUMIVAR_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// Qt would abort with an English message of its own.
int cannotStart(std::string_view message)
{
    std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
    return 1;
}

// Qt's Wayland client may deadlock as it takes its connection down: its event
// thread waits in wl_display_read_events for a read the main thread began and
// never ended, while the main thread waits for that thread. The windows were
// closed and the program's own objects destroyed before; the compositor drops
// a client's resources when it goes. So the process ends without that teardown.
[[noreturn]] void endWithoutTeardown(int status)
{
#ifdef LUMIVAR_LEAK_CHECKED
    __lsan_do_leak_check(); // what the exit would have checked
#endif
    (void)std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace

int main(int argc, char* argv[])
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // The user's own choice stands.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        switch (lumivar::chooseDisplay()) {
        case lumivar::Display::X11:
            qputenv("QT_QPA_PLATFORM", "xcb");
            break;
        case lumivar::Display::Wayland:
            qputenv("QT_QPA_PLATFORM", "wayland");
            break;
        case lumivar::Display::NoneSet:
            return cannotStart(lumivar::kNoDisplayMessage);
        case lumivar::Display::NoneAnswers:
            return cannotStart(lumivar::kDisplayNotAnsweringMessage);
        case lumivar::Display::NoWaylandSupport:
            return cannotStart(lumivar::kNoWaylandSupportMessage);
        }
    }
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(lumivar::fromUtf8(lumivar::kProgramName));
    QApplication::setApplicationVersion(lumivar::fromUtf8(lumivar::kProgramVersion));
    // Shells find the icon and group the windows with the launcher by it.
    QGuiApplication::setDesktopFileName(lumivar::fromUtf8(lumivar::kApplicationId));
    QApplication::setWindowIcon(lumivar::programIcon());

    // The interface is Italian, Qt's own texts (menus of the boxes, buttons of
    // the message boxes) included, wherever their translation is installed.
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    QLocale::setDefault(italian);
    QTranslator qtTexts;
    if (qtTexts.load(italian, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    lumivar::installAccessibleRoles();
    int status = 0;
    {
        lumivar::Form1 form;
        form.show();
        status = QApplication::exec();
        // Help windows closed in the last moments delete themselves later; let
        // them do it before the application goes.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        endWithoutTeardown(status);
    }
    return status;
}
