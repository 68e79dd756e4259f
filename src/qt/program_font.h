// The designed fonts as Qt fonts.
#pragma once

#include "shared/fonts.h"

#include <QFont>

namespace lumivar {

// The requested font; where the machine lacks the family, a close stand-in
// from the ones installed with the program is used instead.
[[nodiscard]] QFont programFont(FontRequest request);

} // namespace lumivar
