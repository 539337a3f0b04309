#include "viewer/TextSearch.h"

#include <QtGlobal>

#include <limits>

#include "bigview/BigView.h"
#include "viewer/ViewerState.h"

int FindRow(const TBigView &view, const SearchPattern &pattern, int first, bool downwards, int *column,
            JobControl *job)
{
    return FindRow(view.RowList(), view.Lines(), pattern, first, downwards, column, job);
}

int ReFindStartRow(const ViewerState &state, int topRow, bool downwards)
{
    const qint64 scroll = HitScroll(state);
    qint64 row;
    if (!state.HitShown)
        row = downwards ? qint64(topRow) + 1 : qint64(topRow) - 1;
    else if (scroll < state.HitRow)
        row = downwards ? topRow + 1 + scroll : topRow - 1 + scroll;
    else
        row = downwards ? qint64(state.HitRow) : qint64(state.HitRow) - 2;
    // Anything outside the rows tries nothing; keep it in int all the same.
    return int(qBound(qint64(-1), row, qint64(std::numeric_limits<int>::max())));
}

int HitScroll(const ViewerState &state) { return qBound(0, state.FindLineScroll, 16); }
