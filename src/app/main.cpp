#include "ui/icon.h"
#include "ui/main_window.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumivar"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setWindowIcon(lumivar::programIcon());

    lumivar::Form1 form;
    form.show();
    const int status = QApplication::exec();
    // Help windows closed in the last moments delete themselves later; let
    // them do it before the application goes.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}
