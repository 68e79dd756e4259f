#pragma once

class QWidget;

namespace lumivar {

// Asks the window manager to leave a shown top-level window out of the task
// bar, or to list it there again. Does nothing where the platform offers no
// such request.
void keepOutOfTaskbar(const QWidget& window, bool out = true);

} // namespace lumivar
