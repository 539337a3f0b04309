#pragma once
// What only the tests and the benchmarks look at inside a TBigView: the row list, the rendered
// Image and the counts of rendering and painting, the scroll acceleration's state, the caret as
// drawn, the drag state, and the clock a test replaces. The view's own files and the windows
// never include this header.
//   Probe(view).PaintCount()
#include <QImage>
#include <QPoint>
#include <QRect>

#include <functional>

#include "bigview/BigView.h"

class BigViewProbe {
public:
    explicit BigViewProbe(TBigView &view) : view_(view) {}

    // ---- Rows and rendering ----
    const TBvRows &RowList() const { return view_.RowList(); }
    const QImage &Image() const { return view_.image_; }
    // Columns scrolled off to the left when the Image was rendered: the Image starts there.
    int ImageOriginColumn() const { return view_.imageOrigin_; }
    int PaintDeferrals() const { return view_.paintDeferrals_; }  // renders since the last Paint
    qint64 RenderedRows() const { return view_.renderedRows_; }   // rows rendered so far
    qint64 PaintCount() const { return view_.paintCount_; }       // Image copies to the window so far

    // ---- Scroll acceleration ----
    const int *VScrollHistory() const { return view_.vScroll_; }  // current, previous, the one before
    const int *HScrollHistory() const { return view_.hScroll_; }
    int ScrollStep() const { return view_.accel_.step; }
    int StepRepeats() const { return view_.accel_.repeats; }
    quint32 LastScrollTick() const { return view_.accel_.lastTick; }
    // Milliseconds of the system tick; a test puts a clock of its own here (none: the system's).
    void SetTickSource(std::function<quint32()> source) { view_.SetTickSource(std::move(source)); }
    quint32 Now() const { return view_.Now(); }

    // ---- Caret, selection and drag ----
    bool CaretShown() const { return view_.CaretShown(); }
    QRect CaretRect() const { return view_.CaretRect(); }  // viewport pixels of the caret block
    bool Selecting() const { return view_.Selecting; }
    int ClickKind() const { return view_.ClickKind; }
    bool DragScrolling() const { return view_.dragTimer_.isActive(); }
    // Milliseconds between auto-scroll steps while the pointer is held outside the rows.
    int DragInterval() const { return view_.dragTimer_.interval(); }
    void SetDragInterval(int ms) { view_.dragTimer_.setInterval(qMax(0, ms)); }

private:
    TBigView &view_;
};

inline BigViewProbe Probe(TBigView &view) { return BigViewProbe(view); }
