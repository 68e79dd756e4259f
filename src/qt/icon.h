// The program's icon.
#pragma once

#include <QIcon>

namespace lumivar {

// The red wave on black that both windows carry.
[[nodiscard]] QIcon programIcon();

} // namespace lumivar
