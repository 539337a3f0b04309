// TBigView: construction, published properties and the window events that reach the view.
#include "bigview/BigView.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QFocusEvent>
#include <QHoverEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStyle>

#include <algorithm>

#include "lines/TBvStrings.h"

namespace {
// Milliseconds since the program started; wraps like a 32-bit system tick.
quint32 SystemTick()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return static_cast<quint32>(timer.elapsed());
}

constexpr int CaptionLimit = 255;  // bytes of a caption, as the window text held them
}

TBigView::TBigView(QWidget *parent)
    : QAbstractScrollArea(parent), lines_(std::make_unique<TBvStrings>())
{
    setFrameStyle(QFrame::NoFrame);
    // The view paints its whole client area itself.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    tick_ = SystemTick;
    color_ = palette().color(QPalette::Base);
    fontColor_ = palette().color(QPalette::Text);
    resize(65, 65);

    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { OnScrollAction(Qt::Vertical, action); });
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { OnScrollAction(Qt::Horizontal, action); });
    connect(verticalScrollBar(), &QAbstractSlider::sliderReleased, this,
            [this] { OnSliderReleased(Qt::Vertical); });
    connect(horizontalScrollBar(), &QAbstractSlider::sliderReleased, this,
            [this] { OnSliderReleased(Qt::Horizontal); });

    // Provisional measurements until the window is laid out and Remeasure runs.
    metrics_.SetFont(font());
    lineHeight_ = qMax(1, QFontInfo(font()).pixelSize() + 2);
    charWidth_ = static_cast<int>(std::clamp<qint64>(metrics_.Width("x"), 1, 1000));
    UpdateTabDistance();
    visibleRows_ = height() / lineHeight_;
    SizeImage();
    accel_.lastTick = Now();
    ClearImage();

    connect(&caretTimer_, &QTimer::timeout, this, [this] { BlinkCaret(); });
    RecreateWindow();
}

TBigView::~TBigView() = default;

// ---- Published properties ----

void TBigView::SetBvStyle(TBvStyle value)
{
    if (value == bvStyle_)
        return;
    TBvStyle parm = value;
    if (OnBvStyleChanging)
        OnBvStyleChanging(this, parm);
    bvStyle_ = parm;
    RecreateWindow();
    if (OnBvStyleChanged)
        OnBvStyleChanged(this);
}

int TBigView::Capacity() const
{
    return lines_->Capacity();
}

void TBigView::SetCapacity(int value)
{
    lines_->SetCapacity(value);
}

QString TBigView::Caption() const
{
    return DecodeCp932(captionText_);
}

void TBigView::SetCaption(const QString &value)
{
    QByteArray bytes = EncodeCp932(value);
    if (const int nul = static_cast<int>(bytes.indexOf('\0')); nul >= 0)
        bytes.truncate(nul);  // the caption is a zero-terminated text
    if (bytes.size() > CaptionLimit) {
        // Cut at a character boundary: never keep half of a double-byte character.
        int keep = CaptionLimit;
        if (ByteKind(bytes, keep + 1) == 2)
            --keep;
        bytes.truncate(keep);
    }
    if (bytes == captionText_)
        return;
    captionText_ = bytes;
    RecreateWindow();
}

void TBigView::SetCaret(bool value)
{
    caret_ = value;
    if (value)
        RestartCaretBlink();
    else
        caretOn_ = false;
    viewport()->update(caretRect_);
}

void TBigView::SetMaxChar(int value)
{
    if (value <= 0)
        value = 1;
    if (value == maxChar_)
        return;
    maxChar_ = value;
    Remeasure();
}

void TBigView::SetPCanLimit(int value)
{
    pCanLimit_ = qMax(0, value);
}

void TBigView::SetScOver(bool value)
{
    scOver_ = value;
    UpdateScrollRanges();
}

void TBigView::SetScrollBar(TScrollStyle value)
{
    if (value == scrollBar_)
        return;
    scrollBar_ = value;
    RecreateWindow();
    UpdateScrollRanges();
    UpdateVisibleRows();
}

void TBigView::SetScrollSense(int value)
{
    if (value >= MinScrollSense && value <= MaxScrollSense)
        scrollSense_ = value;
}

void TBigView::SetSelect(bool value)
{
    select_ = value;
}

void TBigView::SetViewTabStop(int value)
{
    if (value < 0 || value == viewTabStop_)
        return;
    viewTabStop_ = value;
    UpdateTabDistance();
    Redraw();
}

void TBigView::SetWrapByte(int value)
{
    if (value < 0 || value == wrapByte_)
        return;
    wrapByte_ = value;
    Relayout();
    Redraw();
}

void TBigView::SetWordWrap(bool value)
{
    if (value == wordWrap_)
        return;
    wordWrap_ = value;
    Relayout();
    Redraw();
}

void TBigView::SetColor(const QColor &value)
{
    // The next Paint notices that the Image was rendered on another background.
    color_ = value;
    viewport()->update();
}

void TBigView::SetFontColor(const QColor &value)
{
    fontColor_ = value;
}

void TBigView::SetTickSource(std::function<quint32()> source)
{
    tick_ = source ? std::move(source) : std::function<quint32()>(SystemTick);
}


// ---- Events ----

bool TBigView::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::Paint: {
        const bool done = QAbstractScrollArea::event(e);
        PaintNonClient();
        return done;
    }
    case QEvent::LayoutRequest:
    case QEvent::StyleChange:
    case QEvent::Show: {
        const bool done = QAbstractScrollArea::event(e);
        PlaceScrollBars();
        return done;
    }
    case QEvent::Resize: {
        const bool done = QAbstractScrollArea::event(e);
        PlaceScrollBars();
        Remeasure();
        return done;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        // Presses on the frame or the caption bar (the client area's go to the viewport).
        if (NonClientMouse(static_cast<QMouseEvent *>(e)))
            return true;
        break;
    case QEvent::HoverMove:
    case QEvent::HoverEnter:
        UpdateNonClientCursor(static_cast<QHoverEvent *>(e)->position().toPoint());
        break;
    default:
        break;
    }
    return QAbstractScrollArea::event(e);
}

bool TBigView::viewportEvent(QEvent *e)
{
    // Ctrl-drag in the client area moves a view that has no caption bar to drag.
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *me = static_cast<QMouseEvent *>(e);
        if (me->button() == Qt::LeftButton && bvStyle_.Has(bvMove) && !bvStyle_.Has(bvCaption)
            && (me->modifiers() & Qt::ControlModifier)) {
            setFocus(Qt::MouseFocusReason);
            StartFrameDrag(HitCaption, me->globalPosition().toPoint());
            return true;
        }
        break;
    }
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        if (dragCode_ != HitNowhere) {
            auto *me = static_cast<QMouseEvent *>(e);
            DragFrame(me->globalPosition().toPoint());
            if (e->type() == QEvent::MouseButtonRelease)
                dragCode_ = HitNowhere;
            return true;
        }
        break;
    default:
        break;
    }
    return QAbstractScrollArea::viewportEvent(e);
}

void TBigView::changeEvent(QEvent *e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        metrics_.SetFont(font());
        DropWidthCache();
        Remeasure();
        Redraw();  // the rows in the new font, also when the Image kept its size
    }
}

void TBigView::moveEvent(QMoveEvent *e)
{
    QAbstractScrollArea::moveEvent(e);
    Redraw();
}

void TBigView::focusInEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusInEvent(e);
    caretCreated_ = true;
    caretRect_ = CaretRect();
    if (caret_)
        SetCaret(true);
    if (bvStyle_.Has(bvMove)) {
        raise();
        QCoreApplication::processEvents();
    }
    if (bvStyle_.Has(bvCaption))
        update();
}

void TBigView::focusOutEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusOutEvent(e);
    caretCreated_ = false;
    caretOn_ = false;
    caretTimer_.stop();
    viewport()->update(caretRect_);
    if (bvStyle_.Has(bvCaption))
        update();
}
