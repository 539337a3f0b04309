// The viewer window's search, jump, wrap and scroll commands.
#include <QAction>

#include "bigview/BigView.h"
#include "bigview/ViewFileLoad.h"
#include "platform/BackgroundWork.h"
#include "platform/MessageBox.h"
#include "viewer/rules/NumberEntry.h"
#include "viewer/TForm14.h"
#include "viewer/TForm17.h"
#include "viewer/TForm3.h"
#include "viewer/TForm4.h"
#include "viewer/TForm5.h"
#include "viewer/TForm6.h"
#include "viewer/TForm7.h"
#include "viewer/TForm9.h"
#include "viewer/TextSearch.h"
#include "viewer/ViewScroll.h"
#include "viewer/ViewerMessages.h"

namespace {
// A search the user stopped: the view stays where it was and nothing is said.
constexpr int SearchStopped = -2;

// The first matching row from `first` on, or -1; the match's column goes to *column. A search
// through a big file runs in the background with the progress window and its 中止.
int SearchFrom(TForm3 &form, int first, bool downwards, int *column)
{
    // The search text is typed as Shift-JIS; the rows may be in another encoding.
    const SearchPattern pattern =
        SearchPattern::ForRows(form.State.SearchText, form.State.SearchUperLower, form.BigView1->Encoding());
    JobControl job;
    int row = -1;
    try {
        RunInBackground(&form, QStringLiteral("検索中"), job,
                        [&] { row = FindRow(*form.BigView1, pattern, first, downwards, column, &job); });
    } catch (const EJobCancelled &) {
        return SearchStopped;
    }
    return row;
}

// Scrolls the hit into view with HitScroll rows above it, marks it and shows it in the caption.
void MoveToHit(TForm3 &form, int row, int column)
{
    form.State.HitRow = row + 1;
    form.BigView1->SetTopRow(qMax(0, row - HitScroll(form.State)));
    form.ShowHitMarker(QPoint(column, row));
    form.ShowStatusCaption(column);
}

// The pause form sits on the main window's corner (the window this viewer was opened from).
const QWidget *MainWindowOf(const QWidget &form)
{
    return form.parentWidget() ? form.parentWidget()->window() : &form;
}

void ReFind(TForm3 &form, bool downwards)
{
    ViewerState &state = form.State;
    state.HitTopRow = form.BigView1->TopRow();
    form.BigView1->SetCaret(false);
    form.SetTimerInterval(0);
    state.ReFindReady = true;
    if (state.SearchText.isEmpty()) {
        ShowMessageWindow(viewermsg::NoSearchText, &form);
        return;
    }
    int column = 0;
    const int row = SearchFrom(form, ReFindStartRow(state, form.BigView1->TopRow(), downwards), downwards, &column);
    if (row == SearchStopped)
        return;
    if (row < 0) {
        // The marker's state stays, so the next repeat starts from the same row again.
        ShowMessageWindow(viewermsg::NotFound, &form);
        return;
    }
    ShowPauseForm(MainWindowOf(form));
    MoveToHit(form, row, column);
}
}

void TForm3::MenuFindClick()
{
    State.SearchText.clear();
    State.HitTopRow = BigView1->TopRow();
    HideHitMarker();
    TForm9 dialog(State, this);
    dialog.ShowModal();
    if (State.SearchText.isEmpty())
        return;
    State.SearchDone = true;
    int column = 0;
    const int row = SearchFrom(*this, BigView1->TopRow(), !State.SearchBackward, &column);
    if (row >= 0)
        MoveToHit(*this, row, column);
    else if (row != SearchStopped)
        ShowMessageWindow(viewermsg::NotFound, this);
    MenuReFind->setEnabled(true);
    MenuReFindPrior->setEnabled(true);
    State.FindStrName = State.SearchText;
}

void TForm3::MenuReFindClick() { ReFind(*this, true); }

void TForm3::MenuReFindPriorClick() { ReFind(*this, false); }

void TForm3::MenuJumpClick()
{
    State.DialogText.clear();
    {
        TForm5 dialog(State, this);
        dialog.ShowModal();
    }
    if (State.DialogText.isEmpty())
        return;
    const std::optional<int> line = NumberInRange(State.DialogText, 1, JumpLineMax);
    if (!line) {
        ShowMessageWindow(viewermsg::LineOutOfRange, this);
        return;
    }
    ShowLineAtTop(*BigView1, *line - 1);
    State.JumpLineNum = State.DialogText;
}

void TForm3::MenuWrapChangeClick()
{
    const int topLine = BigView1->RowCount() > 0 ? BigView1->RowToLine(BigView1->TopRow()) : -1;
    {
        TForm7 dialog(State, BigView1->WrapByte(), this);
        dialog.ShowModal();
    }
    if (State.WrapSwitchChoice == 1 || State.WrapSwitchChoice == 0) {
        const bool toWidth = State.WrapSwitchChoice == 1;
        ClearForWrap(*BigView1, toWidth || State.WordWrap, toWidth ? 0 : State.WordWrapByte);
        if (!ShowFileInView(*BigView1, State.ShownFile, viewermsg::CannotOpen, this))
            return;
    }
    if (topLine >= 0)
        ShowLineAtTop(*BigView1, topLine);
}

void TForm3::MenuEncodingClick(std::optional<TextEncoding> encoding)
{
    HideHitMarker();
    BigView1->SetEncodingChoice(encoding);
    if (State.ShownFile.isEmpty() || !ShowFileAgainInView(*BigView1, State.ShownFile, viewermsg::CannotOpen, this))
        return;
    UpdateEncodingMenu();
}

void TForm3::MenuWordWrapClick()
{
    TForm4 dialog(State, BigView1, this);
    dialog.ShowModal();
}

void TForm3::MenuScrollClick()
{
    TForm6 dialog(State, this);
    dialog.ShowModal();
}
