#include "ViewScroll.h"

#include <exception>

#include "BigView.h"

void ShowLineAtTop(TBigView &view, int line)
{
    view.SetTopRow(view.LineToRow(line));
}

bool ReloadWithWrap(TBigView &view, const QString &file, bool wordWrap, int wrapByte)
{
    view.Clear();
    view.SetWordWrap(wordWrap);
    view.SetWrapByte(wrapByte);
    try {
        view.LoadFromFile(file);
        return true;
    } catch (const std::exception &) {
        // Whatever was read before the failure goes too.
        view.Clear();
        return false;
    }
}
