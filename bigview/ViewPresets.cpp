#include "bigview/ViewPresets.h"

#include "platform/Fonts.h"

void ApplyContentViewPreset(TBigView &view, TBvStyle frame)
{
    view.SetBvStyle(frame);
    view.SetCapacity(0);
    view.SetCaret(true);
    view.SetMaxChar(255);
    view.SetPCanLimit(0);
    view.SetScOver(true);
    view.SetScrollBar(ssVertical);
    view.SetScrollSense(2);
    view.SetSelect(false);
    view.setFocusPolicy(Qt::StrongFocus);
    view.SetViewTabStop(4);
    view.SetWrapByte(0);
    view.SetWordWrap(true);
}

void ApplyViewerPreset(TBigView &view)
{
    view.SetBvStyle({bvClientLow});
    view.SetCapacity(0);
    view.SetCaret(false);
    view.setFont(ResolveFont(QStringLiteral("System"), 19, true));
    view.SetFontColor(Qt::black);
    view.SetMaxChar(255);
    view.SetPCanLimit(0);
    view.SetScOver(true);
    view.SetScrollBar(ssVertical);
    view.SetScrollSense(2);
    view.SetSelect(false);
    view.setFocusPolicy(Qt::StrongFocus);
    view.SetViewTabStop(4);
    view.SetWrapByte(80);
    view.SetWordWrap(true);
}
