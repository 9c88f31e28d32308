#pragma once

// The click rule of the global mouse buttons, free of Qt so that the Windows
// test program runs it on real raw input as well.

#include <cstdint>
#include <cstdlib>

namespace ClickCounter {

// Times are milliseconds on one monotonic clock, positions global pixels.
struct State
{
    bool pressed = false;
    int pressX = 0;
    int pressY = 0;
    std::int64_t pressTime = 0;
    int lastClickX = 0;
    int lastClickY = 0;
    std::int64_t lastClickTime = 0;
    bool hasLastClick = false;
};

struct Step
{
    bool pressed = false;
    bool clicked = false;
    bool doubleClicked = false;
};

inline int manhattanDistance(int ax, int ay, int bx, int by)
{
    return std::abs(ax - bx) + std::abs(ay - by);
}

// One button's step for one event: the press runs before the release, so an
// event that carries both is a press and, within the limits, a click. A
// release is a click when it comes at most `interval` ms after the press and
// at most `distance` away (|dx| + |dy|); a click is also a double click under
// the same limits measured from the previous click.
inline Step advance(State &state, bool down, bool up, int x, int y, std::int64_t now, int interval,
        int distance)
{
    Step step;
    if (down) {
        state.pressed = true;
        state.pressX = x;
        state.pressY = y;
        state.pressTime = now;
        step.pressed = true;
    }
    if (up) {
        const std::int64_t held = now - state.pressTime;
        if (state.pressed && held >= 0 && held <= interval
                && manhattanDistance(x, y, state.pressX, state.pressY) <= distance) {
            const std::int64_t gap = now - state.lastClickTime;
            step.clicked = true;
            step.doubleClicked = state.hasLastClick && gap >= 0 && gap <= interval
                    && manhattanDistance(x, y, state.lastClickX, state.lastClickY) <= distance;
            state.lastClickX = x;
            state.lastClickY = y;
            state.lastClickTime = now;
            state.hasLastClick = true;
        }
        state.pressed = false;
    }
    return step;
}

} // namespace ClickCounter
