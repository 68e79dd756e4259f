// The record of what the plane shows, kept in plane units to be drawn again at any resolution.
#include "plane_record.h"

#include "compat.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace lumivar {

bool PlaneRecord::Stroke::sameAs(const Stroke& other) const
{
    return isLabel == other.isLabel && from == other.from
           && (isLabel ? value == other.value : to == other.to && colour == other.colour);
}

PlaneRecord::PlaneRecord(const PlaneScale& scale, int interiorWidth, int interiorHeight)
    : m_cells(scale, interiorWidth * kCellsPerPixel, interiorHeight * kCellsPerPixel)
{
    const auto side = [](int cells) { return (static_cast<std::size_t>(cells) + kTileSide - 1) / kTileSide; };
    m_tilesPerRow = side(m_cells.interiorWidth());
    m_points.resize(m_tilesPerRow * side(m_cells.interiorHeight()));
    m_firstWord = m_points.size();
}

void PlaneRecord::clear()
{
    if (m_firstWord < m_endWord) {
        std::fill(m_points.begin() + static_cast<std::ptrdiff_t>(m_firstWord),
                  m_points.begin() + static_cast<std::ptrdiff_t>(m_endWord), 0);
    }
    m_firstWord = m_points.size();
    m_endWord = 0;
    m_pointsAbove.clear();
    m_strokes.clear();
    m_nextStroke = 0;
}

void PlaneRecord::recordStroke(const Stroke& stroke)
{
    // Every point so far now lies below a line or label.
    for (const CellBits cells : m_pointsAbove) {
        m_points[cells.word] |= cells.bits;
        m_firstWord = std::min(m_firstWord, cells.word);
        m_endWord = std::max(m_endWord, cells.word + 1);
    }
    m_pointsAbove.clear();
    // Drawing the record again at another size lists all its points at
    // once; they need not stay listed.
    constexpr std::size_t kPlotsWorth = std::size_t{1} << 16;
    if (m_pointsAbove.capacity() > kPlotsWorth) {
        m_pointsAbove.shrink_to_fit();
    }
    // A grid repeats the strokes of the one before in the same order: look
    // where the last one left off first.
    auto found = m_strokes.end();
    if (m_nextStroke < m_strokes.size() && m_strokes[m_nextStroke].sameAs(stroke)) {
        found = m_strokes.begin() + static_cast<std::ptrdiff_t>(m_nextStroke);
    } else {
        found =
            compat::ranges::find_if(m_strokes, [&stroke](const Stroke& kept) { return kept.sameAs(stroke); });
    }
    if (found == m_strokes.end()) {
        m_strokes.push_back(stroke);
        found = m_strokes.end() - 1;
    }
    found->drawnAt = ++m_clock;
    m_nextStroke = static_cast<std::size_t>(found - m_strokes.begin()) + 1;
}

void PlaneRecord::recordLine(PlanePoint from, PlanePoint to, Rgb colour)
{
    recordStroke({from, to, colour, 0.0F, false, 0});
}

void PlaneRecord::recordLabel(PlanePoint at, float value)
{
    recordStroke({at, {}, {}, value, true, 0});
}

void PlaneRecord::replayWord(Surface& target, CellBits cells, Rgb colour) const
{
    const std::size_t left = cells.word % m_tilesPerRow * kTileSide;
    const std::size_t top = cells.word / m_tilesPerRow * kTileSide;
    for (std::uint64_t bits = cells.bits; bits != 0; bits &= bits - 1) {
        const auto bit = static_cast<std::size_t>(std::countr_zero(bits));
        const std::size_t column = left + bit % kTileSide;
        const std::size_t row = top + bit / kTileSide;
        target.setPoint(m_cells.toPlane({static_cast<double>(column) + 0.5, static_cast<double>(row) + 0.5}),
                        colour);
    }
}

void PlaneRecord::replay(Surface& target, Rgb colour) const
{
    for (std::size_t word = m_firstWord; word < m_endWord; ++word) {
        replayWord(target, {word, m_points[word]}, colour);
    }
    std::vector<std::size_t> order(m_strokes.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    compat::ranges::sort(order, std::less<>{},
                         [this](std::size_t index) { return m_strokes[index].drawnAt; });
    for (const std::size_t index : order) {
        const Stroke& stroke = m_strokes[index];
        if (stroke.isLabel) {
            target.setCurrentX(stroke.from.x);
            target.setCurrentY(stroke.from.y);
            target.printNumber(stroke.value);
        } else {
            target.drawLine(stroke.from, stroke.to, stroke.colour);
        }
    }
    for (const CellBits cells : m_pointsAbove) {
        replayWord(target, cells, colour);
    }
}

} // namespace lumivar
