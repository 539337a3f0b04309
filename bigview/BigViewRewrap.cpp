// TBigView: a new wrap laid out on a worker while the view paints its old rows.
#include <optional>

#include "bigview/BigView.h"
#include "lines/TBvStrings.h"
#include "platform/BackgroundWork.h"
#include "platform/BusyCursor.h"

namespace {
// Below these the layout takes no time worth a thread: it runs here, as the setters' does.
constexpr int InlineLines = 4096;
constexpr int InlineLongestLine = 64 * 1024;
}

bool TBigView::Rewrap(bool wordWrap, int wrapByte)
{
    if (wrapByte < 0)
        wrapByte = wrapByte_;
    if (wordWrap == wordWrap_ && wrapByte == wrapByte_)
        return true;
    const int lineCount = lines_->Count();
    if (!wordWrap || (lineCount < InlineLines && lines_->LongestLine(0, lineCount) < InlineLongestLine)) {
        BusyCursor busy;
        wordWrap_ = wordWrap;
        wrapByte_ = wrapByte;
        Relayout();
        Redraw();
        return true;
    }

    // The worker reads the lines (unchanged meanwhile: input waits) into rows of its own; the
    // window thread goes on painting the old ones. Wrapping at the window width measures with
    // metrics of the worker's own, made there: the view's glyph cache serves the painting.
    const bool byWidth = wrapByte == 0;
    const WrapKey key = byWidth ? CurrentWrapKey() : WrapKey();
    const WidthFit fit = CurrentWidthFit();
    const QFont font = byWidth ? TBvMetrics::UnsharedFont(metrics_.Font()) : QFont();
    const int tabDistance = metrics_.TabDistance();
    const TextEncoding encoding = metrics_.Encoding();
    TBvRows fresh;
    JobControl job;
    try {
        RunInBackground(window(), QStringLiteral("折返中"), job, [&] {
            std::optional<TBvMetrics> own;
            WidthFit ownFit = fit;
            if (byWidth) {
                own.emplace(font);
                own->SetTabDistance(tabDistance);
                own->SetEncoding(encoding);
                ownFit.metrics = &*own;
            }
            fresh.LayoutFrom(*lines_, 0, wordWrap, wrapByte,
                             [this, &ownFit](QByteArrayView s) { return WindowWidthCount(s, ownFit); }, &job);
        });
    } catch (const EJobCancelled &) {
        return false;
    }
    BusyCursor busy;  // the new rows' scroll ranges and painting
    wordWrap_ = wordWrap;
    wrapByte_ = wrapByte;
    // The window may have changed its width or font meanwhile: then the rows are laid out again
    // for what it has now.
    if (byWidth && !(CurrentWrapKey() == key))
        Relayout();
    else
        Relayout(&fresh);
    Redraw();
    return true;
}
