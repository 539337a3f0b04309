#include "viewer/ViewScroll.h"

#include "bigview/BigView.h"
#include "bigview/ViewFileLoad.h"

void ShowLineAtTop(TBigView &view, int line)
{
    view.SetTopRow(view.LineToRow(line));
}

void ClearForWrap(TBigView &view, bool wordWrap, int wrapByte)
{
    view.Clear();
    view.SetWordWrap(wordWrap);
    view.SetWrapByte(wrapByte);
}

bool ReloadWithWrap(TBigView &view, const QByteArray &path, bool wordWrap, int wrapByte)
{
    ClearForWrap(view, wordWrap, wrapByte);
    return LoadFileIntoView(view, path);
}

bool ApplyWrap(TBigView &view, bool wordWrap, int wrapByte)
{
    // One layout under both values; it keeps the top line, the selection and the scroll range in
    // step.
    return view.Rewrap(wordWrap, wrapByte);
}
