// The roles screen readers hear for the program's own kinds of widget.
#pragma once

namespace lumivar {

// The plane as a picture and each top-level window as a window, where Qt
// would call them a frame and a filler; the help text readable as text.
void installAccessibleRoles();

} // namespace lumivar
