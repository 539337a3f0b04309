#pragma once
// The scroll model's plain rules: the codes of scroll requests, the acceleration thresholds and
// the acceleration rule. TBigView calls them; tests call them directly.
#include <QtGlobal>

// A scroll request, numbered as the scroll bars' messages number them.
enum ScrollCode : int {
    ScrollLineUp = 0,
    ScrollLineDown = 1,
    ScrollPageUp = 2,
    ScrollPageDown = 3,
    ScrollThumbPosition = 4,  // the thumb was released at a position
    ScrollThumbTrack = 5,     // the thumb is being dragged
    ScrollTop = 6,
    ScrollBottom = 7,
    ScrollEndScroll = 8,      // the request is over; nothing moves
};
constexpr bool IsScrollCode(int code) { return code >= ScrollLineUp && code <= ScrollEndScroll; }

// Requests closer together than this (milliseconds) belong to one run and may accelerate.
constexpr int BarScrollThresholdMs = 300;  // scroll-bar requests
constexpr int KeyScrollThresholdMs = 200;  // scrolling keys and drag scrolling
// A negative threshold ends any run: the step falls back to 1.
constexpr int NoScrollRun = -1;
// The largest step a run may reach (ScrollSense) lies in this range.
constexpr int MinScrollSense = 1, MaxScrollSense = 10;
// Requests in a run before the step grows by one.
constexpr int RepeatsBeforeFasterStep = 9;

// Positions of one scroll bar: current, previous, the one before.
using ScrollHistory = int[3];

struct ScrollAcceleration {
    int step = 1;          // rows (or columns) a line request moves
    int repeats = 0;       // requests in the run since the step last grew
    quint32 lastTick = 0;  // when the last request came
};

// One request at `now`. Within the threshold of the last request, while either bar keeps moving
// one way over its last three positions, every tenth request grows the step by one, up to
// `sense` and below the rows (or, for a horizontal run, the columns) on screen; anything else
// starts again at a step of 1.
void Accelerate(ScrollAcceleration &state, quint32 now, int thresholdMs, int sense,
                const ScrollHistory &vertical, const ScrollHistory &horizontal, int visibleRows,
                int visibleColumns);

// A new position enters the history only when it differs from the current one.
void PushScrollHistory(ScrollHistory &history, int pos);
