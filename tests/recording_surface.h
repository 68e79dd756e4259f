// A surface that records what is drawn on it, for the tests.
#pragma once

#include "plot/plane.h"
#include "plot/surface.h"

#include <string>
#include <vector>

// A surface that remembers every call, in order, as plane values.
class RecordingSurface final : public lumivar::Surface {
public:
    enum class Kind { Clear, SetScale, Line, Point, Label };

    struct Call {
        Kind kind;
        lumivar::PlanePoint a;
        lumivar::PlanePoint b;
        lumivar::Rgb colour;
        std::string text;
    };

    explicit RecordingSurface(float outerWidthTwips = 11175.0F) : m_outerWidth(outerWidthTwips) {}

    void clear() override { calls.push_back({Kind::Clear, {}, {}, {}, {}}); }
    void setScale(lumivar::PlanePoint upperLeft, lumivar::PlanePoint lowerRight) override
    {
        calls.push_back({Kind::SetScale, upperLeft, lowerRight, {}, {}});
    }
    void drawLine(lumivar::PlanePoint from, lumivar::PlanePoint to, lumivar::Rgb colour) override
    {
        calls.push_back({Kind::Line, from, to, colour, {}});
    }
    void setPoint(lumivar::PlanePoint at, lumivar::Rgb colour) override
    {
        calls.push_back({Kind::Point, at, {}, colour, {}});
    }
    void setCurrentX(float x) override { m_current.x = x; }
    void setCurrentY(float y) override { m_current.y = y; }
    void printNumber(float value) override
    {
        calls.push_back({Kind::Label, m_current, {}, {}, lumivar::labelText(value)});
    }
    [[nodiscard]] float outerWidthTwips() const override { return m_outerWidth; }

    [[nodiscard]] std::vector<Call> ofKind(Kind kind) const
    {
        std::vector<Call> found;
        for (const Call& call : calls) {
            if (call.kind == kind) {
                found.push_back(call);
            }
        }
        return found;
    }

    std::vector<Call> calls;

private:
    float m_outerWidth;
    lumivar::PlanePoint m_current;
};
