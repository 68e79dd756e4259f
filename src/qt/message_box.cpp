// The program's one message box on Linux: a title bar of its own where the
// desktop draws none, and Ctrl+C to copy the message.
#include "message_box.h"

#include "shared/form_layout.h"
#include "title_bar.h"
#include "utf8.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QShortcut>

namespace lumivar {

void showMessageBox(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::Warning, fromUtf8(kProgramTitle), message, QMessageBox::Ok, parent);
    if (drawsOwnTitleBar()) {
        addTitleBar(box);
    }
    // Ctrl+C copies the message, as the desktop the program was designed for
    // does, to paste it into a request for help.
    const auto* copy = new QShortcut(QKeySequence::Copy, &box);
    QObject::connect(copy, &QShortcut::activated, &box,
                     [message] { QGuiApplication::clipboard()->setText(message); });
    box.exec();
}

} // namespace lumivar
