// The Linux help window: the help text in a fixed frame, modeless.
#include "help_window.h"

#include "icon.h"
#include "pixels.h"
#include "program_font.h"
#include "shared/texts.h"
#include "title_bar.h"
#include "utf8.h"
#include "window_hints.h"

#include <QEvent>
#include <QLabel>
#include <QWindow>

namespace lumivar {

// An ordinary top-level window, not a dialog, which window managers would
// centre over the main window: it opens at its designed place. Fixed frame,
// a close box and nothing else.
Dialog::Dialog(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(fromUtf8(kDialogWindow.title));
    setWindowIcon(programIcon());
    const int titleBar = drawsOwnTitleBar() ? addTitleBar(*this) : 0;
    const QRect client = toPixels(kDialogWindow.client);
    setGeometry(client);
    setFixedSize(client.size() + QSize(0, titleBar));

    auto* label = new QLabel(fromUtf8(kHelpText), this);
    label->setObjectName(fromUtf8(kDialogWindow.label.name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(programFont(kDialogWindow.label.font));
    label->setGeometry(toPixels(kDialogWindow.label.geometry).translated(0, titleBar));
    label->setAccessibleName(fromUtf8(kDialogWindow.label.accessibleName));
}

void Dialog::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Some window managers let a window be minimised whatever it asks; a
    // minimised help window is listed in the task bar, or nothing would
    // bring it back.
    if (event->type() == QEvent::WindowStateChange && isVisible()) {
        keepOutOfTaskbar(*this, !isMinimized());
    }
}

void openDialog(QWidget& mainWindow)
{
    auto* help = new Dialog;
    help->setAttribute(Qt::WA_DeleteOnClose);
    // Transient for the main window, on Wayland and X11 alike: kept above
    // it, where a window out of the task bar would otherwise be lost behind
    // it at the first click on it.
    help->winId();
    help->windowHandle()->setTransientParent(mainWindow.windowHandle());
    help->show();
    keepOutOfTaskbar(*help);
    keepAbove(*help, mainWindow);
}

} // namespace lumivar
