// Requests to the window manager: the task bar and keeping a window above another.
#pragma once

class QWidget;

namespace lumivar {

// Asks the window manager to leave a shown top-level window out of the task
// bar, or to list it there again. Does nothing where the platform offers no
// such request.
void keepOutOfTaskbar(const QWidget& window, bool out = true);

// Makes a shown top-level window transient for another on X11, where Qt
// marks only dialogs so: the window manager keeps it above the other
// without placing it anew. Wayland takes the window's transient parent.
void keepAbove(const QWidget& window, const QWidget& parent);

} // namespace lumivar
