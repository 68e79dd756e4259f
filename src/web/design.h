// The window's design as the page builds itself from it: JSON whose shape
// the page's bridge (bridge.js) checks key by key.
#pragma once

#include <string>

namespace lumivar::web {

[[nodiscard]] std::string designJson();

} // namespace lumivar::web
