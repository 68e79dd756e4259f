// DisegnaAssi and the plotting variables it shares with the plotter.
#pragma once

#include "surface.h"

namespace lumivar {

// The main window's two single-precision plotting variables. DisegnaAssi uses
// them as its loop counters and the plotter as its sample point; the two never
// run at the same time.
struct PlotCursor {
    float x = 0.0F;
    float y = 0.0F;
};

inline constexpr float kAbscissaLabelOffset = -0.1F; // below the abscissa axis
inline constexpr float kOrdinateLabelOffset = -0.5F; // left of the ordinate axis

// Draws the two axes, a grid line at every integer abscissa and ordinate and a
// label beside each, over whatever the plane already shows. Leaves both cursor
// variables at 19, the first values past the loops' ends.
void DisegnaAssi(Surface& plane, PlotCursor& cursor);

} // namespace lumivar
