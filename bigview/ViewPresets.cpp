#include "bigview/ViewPresets.h"

#include "platform/Fonts.h"

namespace {
// What every window's view shares; the presets differ in the frame, the caret and the wrap.
void ApplyWindowViewProperties(TBigView &view, TBvStyle frame, bool caret, int wrapByte)
{
    view.SetBvStyle(frame);
    view.SetCapacity(0);
    view.SetCaret(caret);
    view.SetMaxChar(255);
    view.SetPCanLimit(0);
    view.SetScOver(true);
    view.SetScrollBar(ssVertical);
    view.SetScrollSense(2);
    view.SetSelect(true);
    view.setFocusPolicy(Qt::StrongFocus);
    view.SetViewTabStop(4);
    view.SetWrapByte(wrapByte);
    view.SetWordWrap(true);
}
}  // namespace

void ApplyContentViewPreset(TBigView &view, TBvStyle frame)
{
    ApplyWindowViewProperties(view, frame, true, 0);
}

void ApplyViewerPreset(TBigView &view)
{
    // The font first: the view is still empty, so nothing is laid out twice.
    view.setFont(ResolveFont(QStringLiteral("System"), 19, true));
    view.SetFontColor(Qt::black);
    ApplyWindowViewProperties(view, {bvClientLow}, false, 80);
}
