#include "viewer/ViewScroll.h"

#include <exception>

#include "bigview/BigView.h"

void ShowLineAtTop(TBigView &view, int line)
{
    view.SetTopRow(view.LineToRow(line));
}

bool ReloadWithWrap(TBigView &view, const QByteArray &path, bool wordWrap, int wrapByte)
{
    view.Clear();
    view.SetWordWrap(wordWrap);
    view.SetWrapByte(wrapByte);
    try {
        view.LoadFromFile(path);
        return true;
    } catch (const std::exception &) {
        // Whatever was read before the failure goes too.
        view.Clear();
        return false;
    }
}

void ApplyWrap(TBigView &view, bool wordWrap, int wrapByte)
{
    // The byte count first: the flag's layout then never wraps at the window width on the way.
    // Each setter's re-layout keeps the top line, the selection and the scroll range in step.
    view.SetWrapByte(wrapByte);
    view.SetWordWrap(wordWrap);
}
