#include "bigview/rules/BvScroll.h"

namespace {
bool MovingOneWay(const ScrollHistory &h)
{
    return (h[0] > h[1] && h[1] > h[2]) || (h[0] < h[1] && h[1] < h[2]);
}
}  // namespace

void Accelerate(ScrollAcceleration &state, quint32 now, int thresholdMs, int sense,
                const ScrollHistory &vertical, const ScrollHistory &horizontal, int visibleRows,
                int visibleColumns)
{
    const quint32 elapsed = now - state.lastTick;
    if (thresholdMs < 0 || elapsed > quint32(thresholdMs)) {
        state.step = 1;
        state.repeats = 0;
    } else if (state.step < sense) {
        const bool vRun = MovingOneWay(vertical);
        const bool hRun = MovingOneWay(horizontal);
        if (vRun || hRun) {
            if (++state.repeats > RepeatsBeforeFasterStep) {
                int limit = visibleRows - 1;
                if (hRun && visibleColumns < limit)
                    limit = visibleColumns;
                if (state.step < limit)
                    ++state.step;
                state.repeats = 0;
            }
        } else {
            state.step = 1;
            state.repeats = 0;
        }
    }
    state.lastTick = now;
}

void PushScrollHistory(ScrollHistory &history, int pos)
{
    if (pos == history[0])
        return;
    history[2] = history[1];
    history[1] = history[0];
    history[0] = pos;
}
