// The record of what the plane shows since it was last cleared.
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
// - curve points are kept as cells of a fine grid over the plane, one bit a
//   cell in words of 8 x 8 cells: those drawn since the latest line or label
//   in a list of such words, as they lie above the lines and labels, all the
//   others in one word per square below them.
// That is exact for how the program draws: lines and labels come as whole
// grids, all alike, and every point has the same colour.
class PlaneRecord {
public:
    // Cells to a pixel each way, at the interior's size in pixels.
    static constexpr int kCellsPerPixel = 4;

    PlaneRecord(const PlaneScale& scale, int interiorWidth, int interiorHeight);

    void clear();
    void recordLine(PlanePoint from, PlanePoint to, Rgb colour);
    void recordLabel(PlanePoint at, float value);
    // The cell a point falls in, or nothing when it lies outside the plane.
    // The middle of a cell falls in the same cell.
    [[nodiscard]] std::optional<PixelIndex> cellOf(PlanePoint at) const { return m_cells.pixelOf(at); }
    [[nodiscard]] int cellColumns() const { return m_cells.interiorWidth(); }
    [[nodiscard]] int cellRows() const { return m_cells.interiorHeight(); }
    // Some cells of one word; a curve's neighbouring samples mostly fall in
    // the same word.
    struct CellBits {
        std::size_t word = 0;
        std::uint64_t bits = 0;
    };
    [[nodiscard]] CellBits cellBits(PixelIndex cell) const
    {
        const auto column = static_cast<std::size_t>(cell.column);
        const auto row = static_cast<std::size_t>(cell.row);
        return {row / kTileSide * m_tilesPerRow + column / kTileSide,
                std::uint64_t{1} << (row % kTileSide * kTileSide + column % kTileSide)};
    }
    // Keeps points, by the cells cellBits() gave them, above every line and
    // label so far. They join the points below when the next line or label
    // comes, away from the drawing.
    void recordPoints(const CellBits& cells) { m_pointsAbove.push_back(cells); }

    // Draws everything again on a surface, lowest first, points in `colour`.
    void replay(Surface& target, Rgb colour) const;

private:
    // A word holds a square of 8 x 8 cells, 2 x 2 pixels: a curve's
    // neighbouring samples land in the same or a nearby word.
    static constexpr std::size_t kTileSide = 8;

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
    // Sets every point of a word of cells on the target.
    void replayWord(Surface& target, CellBits cells, Rgb colour) const;

    PlaneMapping m_cells;
    std::size_t m_tilesPerRow = 0;
    std::vector<std::uint64_t> m_points; // one bit a cell, a square of them a word
    std::size_t m_firstWord = 0;         // words ever set since the clear
    std::size_t m_endWord = 0;
    std::vector<CellBits> m_pointsAbove; // drawn since the latest stroke
    std::vector<Stroke> m_strokes;
    std::size_t m_nextStroke = 0; // where a repeated grid is expected to go on
    std::uint64_t m_clock = 0;
};

} // namespace lumivar
