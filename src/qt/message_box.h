// The program's one message box on Linux: modal, titled as the program.
#pragma once

#include <QString>

class QWidget;

namespace lumivar {

// Shows `message` as a warning over `parent` until the user closes it.
void showMessageBox(QWidget* parent, const QString& message);

} // namespace lumivar
