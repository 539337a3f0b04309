#pragma once
// The viewer's text search on a view, without its window: the row walk over the view's rows
// (the row match is a rule of its own) and the rows the repeat searches start from.
#include "viewer/rules/RowMatch.h"

class TBigView;
struct ViewerState;

// The row walk over the view's rows (RowCount of them) and the lines they show.
int FindRow(const TBigView &view, const SearchPattern &pattern, int first, bool downwards,
            int *column = nullptr, JobControl *job = nullptr);

// The row a repeat search tries first: the row after (downwards) or before (upwards) the last
// hit while the hit marker is shown, worked out from the view's top row the way the hit placed
// it; else the row after or before the top row. May lie outside the rows.
int ReFindStartRow(const ViewerState &state, int topRow, bool downwards);

// The rows a hit leaves above it: FindLineScroll kept within 0 to 16 (the settings file may hold
// anything).
int HitScroll(const ViewerState &state);
