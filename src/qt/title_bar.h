// The title bar that help windows and messages draw themselves on Wayland.
#pragma once

class QWidget;

namespace lumivar {

// Whether windows designed with a close box only draw their own title bar:
// on Wayland, where Qt's own decoration offers minimise and maximise to
// every window, whatever the window asks.
[[nodiscard]] bool drawsOwnTitleBar();

// Takes the platform's frame from a window and gives it a title bar of its
// own, with its icon, its caption and a close box; dragged, the bar moves
// the window. The window's content moves down by the returned height.
int addTitleBar(QWidget& window);

} // namespace lumivar
