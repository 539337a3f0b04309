#pragma once
// TBigView: a windowed control that shows the lines of its own line store as display rows, with
// word wrap at a byte count or at the window width, an off-screen rendered image, scroll bars
// with acceleration, an optional caret, a selection, keyboard and mouse handling.
//
// The control is a scroll area: the viewport is the client area, the scroll bars are the area's
// own, and everything outside them (frames, caption bar, sizing band) is the view's non-client
// area, drawn and handled by the view.
//
// Where things are. The class, one file per concern:
//   BigView.cpp         construction, published properties, window events
//   BigViewFrame.cpp    frames, caption bar, sizing band, scroll-bar placement, hit test
//   BigViewLayout.cpp   rows of the stored lines, measuring, re-layout after size/font changes
//   BigViewPaint.cpp    rendering rows into the Image, selection highlight, painting
//   BigViewScroll.cpp   the top row, scroll-bar ranges and positions, scroll requests
//   BigViewCaret.cpp    caret and selection positions, the drawn caret
//   BigViewInput.cpp    keys, clicks, word selection, drag selection, popup menu
//   BigViewContent.cpp  the operations through which text enters and leaves the view
// Beside the class:
//   ViewPresets         the property sets the program's windows place their views with
//   BigViewProbe.h      what only the tests and the benchmarks look at inside a view
// The plain rules it calls, tested without a window:
//   BvRows      lines -> display rows (wrapping) and row/line position conversions
//   BvText      byte kinds and text measuring (TBvMetrics)
//   BvScroll    scroll codes, acceleration thresholds and the acceleration rule
//   ViewInput   key tables, caret movement, the column under the pointer, word spans
//   BvMath      checked integer arithmetic
// Below them: the line store TBvStrings and the Shift-JIS rules (lines/).
#include <QAbstractScrollArea>
#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "bigview/rules/BvRows.h"
#include "bigview/rules/BvScroll.h"
#include "bigview/rules/BvText.h"
#include "lines/TBvStrings.h"
#include "lines/TextEncoding.h"

class PlainStrings;
class QIODevice;
class QMenu;
class QScrollBar;
class TBvStrings;

// Style flags of a view, by their ordinal.
enum TBvStyles : quint8 { bvCaption = 0, bvVResize = 1, bvHResize = 2, bvMove = 3, bvClientLow = 4, bvDblFrame = 5 };

// A set of TBvStyles held in one byte (flag values 1, 2, 4, 8, 16, 32).
class TBvStyle {
public:
    constexpr TBvStyle() = default;
    constexpr TBvStyle(std::initializer_list<TBvStyles> flags)
    {
        for (TBvStyles f : flags)
            bits_ |= quint8(1u << f);
    }
    static constexpr TBvStyle FromBits(quint8 bits)
    {
        TBvStyle s;
        s.bits_ = bits & 0x3F;
        return s;
    }
    constexpr quint8 Bits() const { return bits_; }
    constexpr bool Has(TBvStyles f) const { return bits_ & (1u << f); }
    constexpr bool IsEmpty() const { return bits_ == 0; }
    constexpr TBvStyle &Include(TBvStyles f) { bits_ |= quint8(1u << f); return *this; }
    constexpr TBvStyle &Exclude(TBvStyles f) { bits_ &= quint8(~(1u << f)); return *this; }
    friend constexpr bool operator==(TBvStyle a, TBvStyle b) { return a.bits_ == b.bits_; }

private:
    quint8 bits_ = 0;
};

// Which scroll bars a view has.
enum TScrollStyle : int { ssNone = 0, ssHorizontal = 1, ssVertical = 2, ssBoth = 3 };
constexpr bool HasVerticalBar(TScrollStyle s) { return s == ssVertical || s == ssBoth; }
constexpr bool HasHorizontalBar(TScrollStyle s) { return s == ssHorizontal || s == ssBoth; }

// The caret the view draws: a block this many pixels wide, a row high.
constexpr int CaretWidth = 10;

class TBigView;
using TBvStyleEvent = std::function<void(TBigView *sender, TBvStyle &parm)>;
using TViewLineEvent = std::function<void(TBigView *sender, int &value)>;
using TNotifyEvent = std::function<void(TBigView *sender)>;

class TBigView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TBigView(QWidget *parent = nullptr);
    ~TBigView() override;

    // ---- Events (fired in the order their setters and SetTopRow state) ----
    TBvStyleEvent OnBvStyleChanging;
    TNotifyEvent OnBvStyleChanged;
    TViewLineEvent OnViewLineChanging;
    TNotifyEvent OnViewLineChanged;

    // ---- Published properties ----
    TBvStyle BvStyle() const { return bvStyle_; }
    void SetBvStyle(TBvStyle value);
    int Capacity() const;
    void SetCapacity(int value);
    QString Caption() const;                 // CaptionText decoded for display
    QByteArray CaptionText() const { return captionText_; }  // at most 255 bytes (CP932)
    void SetCaption(const QString &value);   // longer text is cut at a character boundary
    bool Caret() const { return caret_; }
    void SetCaret(bool value);
    int MaxChar() const { return maxChar_; }
    void SetMaxChar(int value);
    int PCanLimit() const { return pCanLimit_; }
    void SetPCanLimit(int value);
    bool ScOver() const { return scOver_; }
    void SetScOver(bool value);
    TScrollStyle ScrollBar() const { return scrollBar_; }
    void SetScrollBar(TScrollStyle value);
    int ScrollSense() const { return scrollSense_; }
    void SetScrollSense(int value);
    bool Select() const { return select_; }
    void SetSelect(bool value);
    int ViewTabStop() const { return viewTabStop_; }
    void SetViewTabStop(int value);
    int WrapByte() const { return wrapByte_; }
    void SetWrapByte(int value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    // Background (the window colour) and text colour; the font is the widget's font.
    QColor Color() const { return color_; }
    void SetColor(const QColor &value);
    QColor FontColor() const { return fontColor_; }
    void SetFontColor(const QColor &value);

    // ---- Content operations (rows where a row is meant, lines of the store otherwise) ----
    virtual QByteArray GetRow(int row) const;
    virtual void PutRow(int row, QByteArrayView text);
    virtual int Add(QByteArrayView text);                // returns RowCount afterwards
    virtual void AddStrings(const PlainStrings &source);
    virtual void Assign(const PlainStrings &source);
    virtual void Clear();
    virtual void AssignTo(PlainStrings &dest) const;
    virtual void Delete(int row);
    virtual void Exchange(int row1, int row2);
    // Forward, ASCII case-insensitive search from (column, row) itself; without a match the
    // position becomes (1, RowCount). Runs in the background (検索中); stopped there, it returns
    // false and leaves the position as it was.
    virtual bool Find(QByteArrayView text, int &row, int &column) const;
    virtual int IndexOf(QByteArrayView text) const;      // first row of the equal line, or -1
    virtual void Insert(int row, QByteArrayView text);
    virtual void LoadFromFile(const QString &fileName);
    virtual void LoadFromFile(const QByteArray &path);  // the file system's bytes for the name
    // Takes lines read on a worker thread (TBvStrings::ReadFile), as LoadFromFile would.
    void TakeRead(TBvStrings::FileRead &&read);
    virtual void LoadFromStream(QIODevice &stream);
    // The encoding the next file is read in; none (the default) lets each file's first bytes
    // decide. Text that enters otherwise (Add, Assign, streams) is Shift-JIS.
    std::optional<TextEncoding> EncodingChoice() const { return encodingChoice_; }
    void SetEncodingChoice(std::optional<TextEncoding> encoding) { encodingChoice_ = encoding; }
    // The encoding the lines are shown, measured, searched and copied in.
    TextEncoding Encoding() const;
    // Find with a text typed by the user: encoded in the lines' encoding first (nothing found
    // when the encoding cannot hold it).
    bool FindText(QStringView text, int &row, int &column) const;
    // The selection as text decoded from the lines' encoding, lines joined by LF; empty without
    // a selection. With a job: its lines counted, and a stop (EJobCancelled) every 1024 lines.
    QString SelectedText(JobControl *job = nullptr) const;
    // Puts SelectedText on the clipboard; without a selection the clipboard stays as it was. A
    // selection of BackgroundCopyLines lines or more, or with a line of BackgroundCopyBytes or
    // more, is decoded in the background (stopped: the clipboard stays as it was).
    void CopyToClipboard() const;
    static constexpr int BackgroundCopyLines = 100000;
    static constexpr int BackgroundCopyBytes = 4 * 1024 * 1024;
    virtual void SaveToFile(const QString &fileName) const;
    virtual void SaveToStream(QIODevice &stream) const;

    // ---- Rows and lines ----
    int RowCount() const { return rows_.Count(); }
    int LineCount() const;
    TBvRow Row(int row) const { return rows_.At(row); }  // EListError outside the rows
    const TBvStrings &Lines() const { return *lines_; }
    const TBvRows &RowList() const { return rows_; }  // the layout, for walks over every row
    QByteArrayView RowView(int row) const;   // no copy; valid until the text changes
    int RowLength(int row) const;            // EListError outside the rows
    void LayoutFrom(int line);
    // Every row again (after a wrap change), the top line, caret and selection kept on their
    // bytes, the scroll ranges updated: nothing points past the new rows. `laidOut`: rows
    // already laid out under the view's wrap, taken instead of laying out here.
    void Relayout(TBvRows *laidOut = nullptr);
    // Sets the wrap (a byte count below 0 keeps the present one) and lays every row out again
    // as Relayout does. A view of many lines or long ones is laid out on a worker (折返中, the
    // progress window after a moment) while it paints its old rows. False when the user stopped
    // it there: the wrap, the rows and the position stay as they were.
    bool Rewrap(bool wordWrap, int wrapByte);
    int LineToRow(int line) const { return rows_.LineToRow(line); }
    int RowToLine(int row) const { return rows_.RowToLine(row); }
    QPoint RowPosToLinePos(QPoint rowPos) const { return rows_.RowPosToLinePos(rowPos); }
    QPoint LinePosToRowPos(QPoint linePos) const { return rows_.LinePosToRowPos(linePos); }
    static int ByteKind(QByteArrayView text, int pos) { return ::ByteKind(text, pos); }

    // ---- Measuring ----
    qint64 TabbedWidth(QByteArrayView text) const;  // whole width in pixels, tabs expanded
    // Width of the first `bytes` bytes of a row; fast on very long rows (checkpoints).
    qint64 RowPrefixWidth(int row, int bytes) const;
    // The column under x = px of a row: with wholeChars, the first column of the first character
    // whose right edge is at or beyond px; without, the smallest i in 1..length with
    // RowPrefixWidth(row, i) >= px (a trail byte can be the answer). length + 1 when the row ends
    // before px.
    int RowColumnAtX(int row, qint64 px, bool wholeChars) const;
    const TBvMetrics &Metrics() const { return metrics_; }
    void MeasureFont();
    void Remeasure();
    bool GrowMaxChar(int first, int count);
    int LineHeight() const { return lineHeight_; }
    int CharWidth() const { return charWidth_; }
    int VisibleRows() const { return visibleRows_; }
    int ClientWidth() const;
    int ClientHeight() const;

    // ---- Rendering and painting ----
    void ClearImage();
    void Redraw();
    void ScrollImageUp(int n);
    void ScrollImageDown(int n);
    void InvertSpan(QPoint p, QPoint q);
    void HighlightRow(int row);
    void Paint();                    // paints the Image to the window at once

    // ---- Scrolling ----
    int TopRow() const { return topRow_; }
    int BottomRow() const { return bottomRow_; }
    void SetTopRow(int row);
    void SetBottomRow(int row);
    void UpdateScrollRanges();
    int MaxTop() const;
    void VScrollBy(int code, int pos, int threshold);
    void HScrollBy(int code, int pos, int threshold);
    void SetVScrollPos(int pos);
    void SetHScrollPos(int pos);
    void Accelerate(int threshold);
    bool ScrollToCaret(QPoint pos);
    // A scroll-bar request with its ScrollCode (the track position is read from the bar); other
    // numbers are ignored.
    void HandleVScroll(int code);
    void HandleHScroll(int code);
    int VScrollPos() const { return vScroll_[0]; }
    int HScrollPos() const { return hScroll_[0]; }

    // ---- Caret and selection ----
    QPoint CaretPos() const { return caretPos_; }
    QPoint SelAnchor() const { return selAnchor_; }
    QPoint SelEnd() const { return selEnd_; }
    bool SelectionEmpty() const { return selAnchor_ == selEnd_; }
    QPoint ClampPos(QPoint pos) const;
    void PlaceCaret(QPoint pos);
    void SetSelAnchor(QPoint pos);
    void SetSelEnd(QPoint pos);

    // ---- Keyboard and mouse (BigViewInput.cpp) ----
    // Events the owner hooks. Each runs first, before the view's own handling of the input,
    // and a key handler may change the key (0 swallows it).
    using TKeyEvent = std::function<void(TBigView *sender, int &key, int shift)>;
    using TMouseEvent = std::function<void(TBigView *sender, Qt::MouseButton button, int shift, int x, int y)>;
    using TMouseMoveEvent = std::function<void(TBigView *sender, int shift, int x, int y)>;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;

    // The menu the right button opens (not owned).
    QMenu *PopupMenu() const;
    void SetPopupMenu(QMenu *menu);

    // Positions under a client point: never inside a double-byte character, or byte by byte.
    QPoint PointToRowPos(QPoint client) const;
    QPoint PointToRowPosBytes(QPoint client) const;
    void SelectWord(QPoint client);

    // The handling of one key or mouse event in virtual-key codes, shift sets (ShiftBits) and
    // client pixels. KeyDown reports whether a key table used the key.
    bool KeyDown(int &key, int shift);
    void KeyUp(int &key, int shift);
    void Click();
    void DblClick();
    void MouseDown(Qt::MouseButton button, int shift, QPoint client);
    void MouseMove(int shift, QPoint client);
    void MouseUp(Qt::MouseButton button, int shift, QPoint client);
    // One step of drag auto-scroll; reports whether it scrolled (and so wants another step).
    bool DragStep();

signals:
    // The file the lines are read from is no longer the one loaded (rewritten, cut short,
    // replaced or deleted), noticed when the view paints; once per load. Whoever loaded the file
    // reloads it or shows why it cannot (ShowFileInView does).
    void SourceChanged();

protected:
    // ---- Qt's event handlers ----
    bool event(QEvent *e) override;
    bool viewportEvent(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void changeEvent(QEvent *e) override;
    void moveEvent(QMoveEvent *e) override;
    void scrollContentsBy(int dx, int dy) override;
    // Keyboard and mouse (BigViewInput.cpp).
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    // What only the tests and the benchmarks look at (bigview/BigViewProbe.h).
    friend class BigViewProbe;

    // Emits SourceChanged, after this paint, when the shown file changed on disk.
    void NoticeSourceChange();
    bool sourceChangeReported_ = false;  // for the file loaded last

    // ---- Non-client area: frames, caption bar, sizing band, bar placement (BigViewFrame.cpp) ----
    enum HitCode { HitNowhere, HitClient, HitCaption, HitLeft, HitRight, HitTop, HitTopLeft,
                   HitTopRight, HitBottom, HitBottomLeft, HitBottomRight, HitBorder };
    struct FrameInsets {
        int dlg = 0, sizing = 0, border = 0, caption = 0, client = 0;
        int Total() const { return dlg + sizing + border + client; }
    };
    FrameInsets Insets() const;
    void RecreateWindow();
    HitCode RawHitTest(QPoint pos) const;
    HitCode HitTest(QPoint pos, Qt::KeyboardModifiers mods) const;
    void PaintNonClient();
    bool NonClientMouse(QMouseEvent *e);
    void UpdateNonClientCursor(QPoint pos);
    void StartFrameDrag(HitCode code, QPoint globalPos);
    void DragFrame(QPoint globalPos);
    QSize MinTrackSize() const;
    void ApplyScrollBarPolicy();
    void ApplyFrameMargins();
    void PlaceScrollBars();

    // ---- Layout (BigViewLayout.cpp) ----
    // What wrapping at the window width measures against, read once per layout.
    struct WidthFit {
        qint64 width = 0;      // client width
        qint64 x = 0;          // width of "x"
        qint64 charWidth = 1;
        const TBvMetrics *metrics = nullptr;  // the view's, or a worker's own
    };
    WidthFit CurrentWidthFit() const;
    int WindowWidthCount(QByteArrayView line, const WidthFit &fit) const;
    void UpdateVisibleRows();
    void UpdateTabDistance();
    void DropWidthCache();

    // ---- Rendering (BigViewPaint.cpp) ----
    void RenderRow(QPainter &p, int row, int y);
    // Clears the Image band of bandHeight pixels at y and renders the rows first..last into it.
    void RenderRows(int first, int last, int y, int bandHeight);
    void RenderAll();
    void ScrollImage(int n, bool up);
    void Show();
    void SizeImage();
    void InvertRect(int left, int right, int y);

    // ---- Scrolling (BigViewScroll.cpp) ----
    void OnScrollAction(Qt::Orientation orientation, int action);
    // Where a scroll request with `code` (0..7) moves a bar that stands at `from`: by the current
    // step, by `page`, to the track position `pos` or to either end, within the bar's range.
    // Other codes keep `from`.
    int ScrollTarget(int code, qint64 from, int pos, int page, const QScrollBar *bar) const;
    // Puts the top row where the vertical bar's position stands for (BarPosToTopRow).
    void FollowVScrollBar();
    void OnSliderReleased(Qt::Orientation orientation);
    void SetBarRange(QScrollBar *bar, int min, int max);
    void SetBarValue(QScrollBar *bar, int value);
    // The acceleration's clock: milliseconds of the system tick, or of a clock a test put in
    // its place.
    quint32 Now() const { return tick_(); }
    void SetTickSource(std::function<quint32()> source);

    // ---- Caret (BigViewCaret.cpp) ----
    bool CaretShown() const { return caretCreated_ && caret_; }
    QRect CaretRect() const;         // viewport pixels of the caret block
    void BlinkCaret();
    void RestartCaretBlink();
    void UpdateCaretArea(const QRect &old);

    // ---- Content (BigViewContent.cpp) ----
    void AfterReplaceAll();
    // Runs a load of the line store, then lays out and shows the rows, also after a failed load.
    void LoadWith(const std::function<void()> &load);
    void AfterLoad();
    void FitWindowAfterAdd(bool strict);

    // ---- Keyboard and mouse (BigViewInput.cpp) ----
    // Claims the arrow keys before shortcuts and dialog navigation can take them, and sets up
    // the input handling while the view is constructed.
    class InputHook : public QObject {
    public:
        explicit InputHook(TBigView *view);
        bool eventFilter(QObject *watched, QEvent *e) override;
    };
    void DragTimerTick();
    void RunDragStep();
    void OpenPopupMenu(QPoint global);

    // ---- State ----
    // Keyboard and mouse: the drag auto-scroll timer (interval: milliseconds between steps
    // while the pointer is held outside the rows), the popup menu.
    QTimer dragTimer_;
    QMenu *popupMenu_ = nullptr;
    QMetaObject::Connection popupMenuGone_;
    bool pressClicked_ = false;   // a left press that a release over the view turns into a click
    bool inDragStep_ = false;
    InputHook inputHook_{this};   // after the members it sets up

    std::unique_ptr<TBvStrings> lines_;
    std::optional<TextEncoding> encodingChoice_;
    TBvRows rows_;
    TBvMetrics metrics_;
    QImage image_;
    QColor imageBrush_;
    int imageOrigin_ = 0;    // columns scrolled off to the left when the Image was rendered

    TBvStyle bvStyle_{bvClientLow};
    QByteArray captionText_;
    bool caret_ = false;
    QPoint caretPos_;
    int maxChar_ = 255;
    int lineHeight_ = 0;
    int charWidth_ = 1;
    int topRow_ = 0;
    int bottomRow_ = 0;
    int visibleRows_ = 0;
    int viewTabStop_ = 8;
    bool scOver_ = false;
    ScrollHistory vScroll_ = {0, 0, 0};  // current, previous, the one before
    ScrollHistory hScroll_ = {0, 0, 0};
    int scrollSense_ = 1;
    ScrollAcceleration accel_;
    TScrollStyle scrollBar_ = ssNone;
    int paintDeferrals_ = 0;
    int pCanLimit_ = 0;
    QPoint selAnchor_;
    QPoint selEnd_;
    bool select_ = true;
    int wrapByte_ = 0;
    bool wordWrap_ = true;
    QColor color_;
    QColor fontColor_;
    // Rendering into the Image is suppressed while set: only for the length of compound updates.
    bool NoRender = false;
    bool Selecting = false;  // the selection end follows the mouse
    int ClickKind = 1;       // 1 or 2: the press was a single or a double click
    QPoint DragPoint;        // last mouse position while Selecting

    std::function<quint32()> tick_;
    QElapsedTimer clock_;
    qint64 renderedRows_ = 0;  // rows rendered so far
    qint64 paintCount_ = 0;    // Image copies to the window so far
    bool inPaintEvent_ = false;
    bool inRemeasure_ = false;
    qint64 renderCount_ = 0;  // renders of any kind (full or scrolled)
    // What the rows were last wrapped for when wrapping at the window width.
    struct WrapKey {
        int width = -1;
        int charWidth = 0;
        int tabDistance = 0;
        QFont font;
        bool operator==(const WrapKey &o) const
        {
            return width == o.width && charWidth == o.charWidth && tabDistance == o.tabDistance
                && font == o.font;
        }
    };
    WrapKey wrapKey_;
    WrapKey CurrentWrapKey() const;
    bool syncingBar_ = false;

    // Caret drawn by the view: created while focused, blinking while shown.
    bool caretCreated_ = false;
    bool caretOn_ = false;
    QTimer caretTimer_;
    QRect caretRect_;

    // Frame dragging (sizing band, caption bar, Ctrl-drag).
    HitCode dragCode_ = HitNowhere;
    QPoint dragStartGlobal_;
    QRect dragStartGeometry_;

    // Checkpoints (byte offset, x) every few kilobytes of very long rows, so widths inside a long
    // row are found without walking from its start. Dropped whenever rows, font or tabs change.
    struct WidthIndex {
        int row = -1;
        std::vector<TBvMetrics::Cursor> marks;
    };
    mutable std::vector<WidthIndex> widthIndex_;
    const WidthIndex &IndexFor(int row) const;
    TBvMetrics::Cursor CursorBefore(int row, qsizetype offset) const;
    TBvMetrics::Cursor CursorBeforeX(int row, qint64 x) const;
};
