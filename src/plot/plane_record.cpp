#include "plane_record.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace lumivar {

namespace {

constexpr std::size_t kBitsPerWord = 64;

} // namespace

bool PlaneRecord::Stroke::sameAs(const Stroke& other) const
{
    return isLabel == other.isLabel && from == other.from
           && (isLabel ? value == other.value : to == other.to && colour == other.colour);
}

PlaneRecord::PlaneRecord(const PlaneScale& scale, int interiorWidth, int interiorHeight)
    : m_cells(scale, interiorWidth * kCellsPerPixel, interiorHeight * kCellsPerPixel)
{
    const auto cells = static_cast<std::size_t>(m_cells.interiorWidth())
                       * static_cast<std::size_t>(m_cells.interiorHeight());
    m_points.resize((cells + kBitsPerWord - 1) / kBitsPerWord);
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

bool PlaneRecord::isEmpty() const
{
    return m_strokes.empty() && m_firstWord >= m_endWord;
}

void PlaneRecord::recordStroke(const Stroke& stroke)
{
    // Every point so far now lies below a line or label.
    m_pointsAbove.clear();
    // A grid repeats the strokes of the one before in the same order: look
    // where the last one left off first.
    auto found = m_strokes.end();
    if (m_nextStroke < m_strokes.size() && m_strokes[m_nextStroke].sameAs(stroke)) {
        found = m_strokes.begin() + static_cast<std::ptrdiff_t>(m_nextStroke);
    } else {
        found = std::find_if(m_strokes.begin(), m_strokes.end(),
                             [&stroke](const Stroke& kept) { return kept.sameAs(stroke); });
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

std::optional<PlanePoint> PlaneRecord::recordPoint(PlanePoint at)
{
    const auto pixel = m_cells.pixelOf(at);
    if (!pixel) {
        return std::nullopt;
    }
    const auto cell = static_cast<std::size_t>(pixel->row) * static_cast<std::size_t>(m_cells.interiorWidth())
                      + static_cast<std::size_t>(pixel->column);
    const std::size_t word = cell / kBitsPerWord;
    m_points[word] |= std::uint64_t{1} << (cell % kBitsPerWord);
    m_firstWord = std::min(m_firstWord, word);
    m_endWord = std::max(m_endWord, word + 1);
    m_pointsAbove.push_back(static_cast<std::uint32_t>(cell));
    return cellMiddle(cell);
}

PlanePoint PlaneRecord::cellMiddle(std::size_t cell) const
{
    const auto width = static_cast<std::size_t>(m_cells.interiorWidth());
    const std::size_t row = cell / width; // whole rows
    return m_cells.toPlane({static_cast<double>(cell % width) + 0.5, static_cast<double>(row) + 0.5});
}

void PlaneRecord::replay(Surface& target, Rgb colour) const
{
    for (std::size_t word = m_firstWord; word < m_endWord; ++word) {
        for (std::uint64_t bits = m_points[word]; bits != 0; bits &= bits - 1) {
            target.setPoint(
                cellMiddle(word * kBitsPerWord + static_cast<std::size_t>(std::countr_zero(bits))), colour);
        }
    }
    std::vector<std::size_t> order(m_strokes.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [this](std::size_t a, std::size_t b) { return m_strokes[a].drawnAt < m_strokes[b].drawnAt; });
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
    for (const std::uint32_t cell : m_pointsAbove) {
        target.setPoint(cellMiddle(cell), colour);
    }
}

std::size_t PlaneRecord::memoryBytes() const
{
    return sizeof(*this) + m_points.capacity() * sizeof(std::uint64_t)
           + m_pointsAbove.capacity() * sizeof(std::uint32_t) + m_strokes.capacity() * sizeof(Stroke);
}

} // namespace lumivar
