#pragma once

class QWidget;

namespace lumivar {

// Asks the window manager to leave a shown top-level window out of the task
// bar. Does nothing where the platform offers no such request.
void keepOutOfTaskbar(const QWidget& window);

} // namespace lumivar
