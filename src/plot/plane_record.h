#pragma once

#include "plane.h"
#include "surface.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace lumivar {

// What the plane shows since it was last cleared, kept in plane units so that
// any output can draw it again at its own resolution. Its size does not grow
// with the number of plots:
// - lines and labels are kept once each, in the order they were last drawn:
//   the grid draws the same ones every time;
// - curve points are kept as cells of a fine grid over the plane, with the
//   ones drawn since the latest line or label also listed apart, because they
//   lie above the lines and labels while all the others lie below them.
// That is exact for how the program draws: lines and labels come as whole
// grids, all alike, and every point has the same colour.
class PlaneRecord {
public:
    // Cells to a pixel each way, at the interior's size in pixels.
    static constexpr int kCellsPerPixel = 8;

    PlaneRecord(const PlaneScale& scale, int interiorWidth, int interiorHeight);

    void clear();
    void recordLine(PlanePoint from, PlanePoint to, Rgb colour);
    void recordLabel(PlanePoint at, float value);
    // The point as the record keeps it, at the middle of its cell; nothing
    // when it lies outside the plane.
    [[nodiscard]] std::optional<PlanePoint> recordPoint(PlanePoint at);

    // Draws everything again on a surface, lowest first, points in `colour`.
    void replay(Surface& target, Rgb colour) const;

    [[nodiscard]] bool isEmpty() const;
    [[nodiscard]] std::size_t memoryBytes() const;

private:
    struct Stroke {
        PlanePoint from;
        PlanePoint to; // unused by labels
        Rgb colour;    // unused by labels
        float value = 0.0F;
        bool isLabel = false;
        std::uint64_t drawnAt = 0;

        [[nodiscard]] bool sameAs(const Stroke& other) const;
    };

    void recordStroke(const Stroke& stroke);
    [[nodiscard]] PlanePoint cellMiddle(std::size_t cell) const;

    PlaneMapping m_cells;
    std::vector<std::uint64_t> m_points; // one bit a cell, row by row
    std::size_t m_firstWord = 0;         // words ever set since the clear
    std::size_t m_endWord = 0;
    std::vector<std::uint32_t> m_pointsAbove; // cells drawn since the latest stroke
    std::vector<Stroke> m_strokes;
    std::size_t m_nextStroke = 0; // where a repeated grid is expected to go on
    std::uint64_t m_clock = 0;
};

} // namespace lumivar
