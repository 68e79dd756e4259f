// The design's twips as Qt's logical pixels.
#pragma once

#include "shared/twips.h"

#include <QRect>

namespace lumivar {

[[nodiscard]] constexpr QRect toPixels(TwipsRect twips)
{
    return {twips.left / kTwipsPerPixel, twips.top / kTwipsPerPixel, twips.width / kTwipsPerPixel,
            twips.height / kTwipsPerPixel};
}

} // namespace lumivar
