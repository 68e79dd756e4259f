// DisegnaAssi: the two axes, the grid and the labels drawn over the plane.
#include "axes.h"

#include "plane.h"

namespace lumivar {

namespace {
// Horizontal grid lines leave the label column free.
constexpr float kHorizontalGridStart = -0.1F;
} // namespace

void DisegnaAssi(Surface& plane, PlotCursor& cursor)
{
    plane.drawLine({kPlaneLeft, 0.0F}, {kPlaneRight, 0.0F}, kAxisBlue);
    plane.drawLine({0.0F, kPlaneBottom}, {0.0F, kPlaneTop}, kAxisBlue);

    // The grid is drawn after the axes on purpose: the lines through zero cover
    // them, leaving blue only the abscissa axis left of the label column's edge.
    for (cursor.x = kPlaneLeft; cursor.x <= kPlaneRight; cursor.x += 1.0F) {
        plane.drawLine({cursor.x, kPlaneBottom}, {cursor.x, kPlaneTop}, kGridDark);
        plane.setCurrentX(cursor.x);
        plane.setCurrentY(kAbscissaLabelOffset);
        plane.printNumber(cursor.x);
    }

    for (cursor.y = kPlaneBottom; cursor.y <= kPlaneTop; cursor.y += 1.0F) {
        plane.drawLine({kHorizontalGridStart, cursor.y}, {kPlaneRight, cursor.y}, kGridDark);
        plane.setCurrentX(kOrdinateLabelOffset);
        plane.setCurrentY(cursor.y);
        plane.printNumber(cursor.y);
    }
}

} // namespace lumivar
