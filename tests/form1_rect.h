// Where a control of the main window lies in the client area, in logical
// pixels, as the design places it.
#pragma once

#include "qt/pixels.h"
#include "shared/form_layout.h"

#include <QRect>

namespace lumivar {

[[nodiscard]] constexpr QRect form1ControlRect(Form1Control control)
{
    return toPixels(entryOf(control).geometry);
}

} // namespace lumivar
