// The design's twips as Qt's logical pixels.
#pragma once

#include "shared/twips.h"

#include <QRect>

namespace lumivar {

[[nodiscard]] constexpr QRect toPixels(TwipsRect twips)
{
    const LogicalRect pixels = logicalPixels(twips);
    return {pixels.left, pixels.top, pixels.width, pixels.height};
}

} // namespace lumivar
