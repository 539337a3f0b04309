#pragma once
// The property sets the program's windows place their views with, written once so that the
// windows, the benchmarks and the view tests all show the same view. Each preset is applied
// right after the view is constructed; the look the settings choose (font and colours) is laid
// over it by the window afterwards.
#include "bigview/BigView.h"

// The content views of the main window and the separator dialog: a caret, no selection, wrap at
// the window width, a vertical scroll bar that scrolls past the end. They differ in their frame.
void ApplyContentViewPreset(TBigView &view, TBvStyle frame);

// The viewer's view: as a content view with the sunken frame, but without a caret (the viewer
// shows one only on a search hit), wrapped at 80 bytes, in the fixed-pitch font 19 pixels high
// and black text.
void ApplyViewerPreset(TBigView &view);
