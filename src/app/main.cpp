#include "ui/icon.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumivar"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
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

    lumivar::Form1 form;
    form.show();
    const int status = QApplication::exec();
    // Help windows closed in the last moments delete themselves later; let
    // them do it before the application goes.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}
