#pragma once
// What the viewer's jump and wrap switch do to the view, without their dialogs.
#include <QByteArray>

class TBigView;

// Makes the first row of the 0-based line the view's top row; a line beyond the last shows the
// last row at the top.
void ShowLineAtTop(TBigView &view, int line);

// Empties the view and gives it the new wrap, so the file read again next is laid out once,
// under the new wrap.
void ClearForWrap(TBigView &view, bool wordWrap, int wrapByte);
// ClearForWrap, then the file loaded again (LoadFileIntoView). A file that cannot be read leaves
// the view empty (and usable) and returns false.
bool ReloadWithWrap(TBigView &view, const QByteArray &path, bool wordWrap, int wrapByte);

// Lays the view's rows out again under a new wrap, keeping the line at the top at the top and the
// scroll bars in step with the new rows. A big view is laid out in the background; false when the
// user stopped it there, and the view is as it was.
bool ApplyWrap(TBigView &view, bool wordWrap, int wrapByte);
