#pragma once
// The viewer window: one file in a big-text view filling the window, with the search, jump,
// wrap and scroll commands, the hit marker and its timer. Opened modally by the main window,
// which hands it the viewer state that outlives one window.
#include <QByteArrayList>
#include <QDialog>
#include <QPoint>
#include <QTimer>

#include <optional>

#include "lines/TextEncoding.h"
#include "viewer/ViewerState.h"

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class TBigView;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(ViewerState &state, QWidget *parent = nullptr);
    ~TForm3() override;

    QMenuBar *MainMenu1 = nullptr;
    QMenu *MenuSearch = nullptr, *MenuDisp = nullptr, *MenuOption = nullptr, *MenuEncoding = nullptr;
    // The entries of MenuEncoding, in the order of EncodingMenu.
    QList<QAction *> MenuEncodingItems;
    QAction *MenuFind = nullptr, *MenuReFind = nullptr, *MenuReFindPrior = nullptr,
            *MenuJump = nullptr, *MenuWrapChange = nullptr, *MenuWordWrap = nullptr,
            *MenuScroll = nullptr;
    TBigView *BigView1 = nullptr;
    QTimer Timer1;
    ViewerState &State;

    // The window's keys (KeyRouter), in the view before the view handles them and in the window
    // itself; true when the key is used up here.
    bool FormKeyDown(int key, int shift);
    // Runs once as the window closes: the view lets its lines go, and a wrap switch made in
    // this window does not outlive it.
    void FormClose();
    // The hit marker's watchdog: a scrolled view takes the marker away.
    void Timer1Timer();

    // A file dropped on the window (the first, when several are): shown in place of the one
    // shown, as the display commands show one, and the one the wrap switch reloads.
    void FormDropFiles(const QByteArrayList &paths);

    // Search, jump, wrap and scroll commands.
    void MenuFindClick();
    void MenuReFindClick();
    void MenuReFindPriorClick();
    void MenuJumpClick();
    void MenuWrapChangeClick();
    void MenuWordWrapClick();
    void MenuScrollClick();
    // Reads the shown file again in the encoding chosen (none: the one its bytes show), keeping
    // the top line. The choice holds for this file only.
    void MenuEncodingClick(std::optional<TextEncoding> encoding);
    // Checks the entry of the view's choice; the automatic entry names what it found.
    void UpdateEncodingMenu();
    void WordWrapDspChange();

    // The hit marker: the caret at a hit (column, row), remembered with the view's top row and
    // watched by Timer1 at 100 ms; hidden by the keys of FormKeyDown, a new search or scrolling.
    void ShowHitMarker(QPoint pos);
    void HideHitMarker();
    // The caption after a hit at 1-based State.HitRow, 1-based byte column `column` (shown as
    // the cell column).
    void ShowStatusCaption(int column);
    // Interval 0 stops the timer.
    void SetTimerInterval(int ms);

protected:
    void done(int result) override;

private:
    void BuildMenus();
    QActionGroup *encodingGroup_ = nullptr;
    bool closed_ = false;
};
