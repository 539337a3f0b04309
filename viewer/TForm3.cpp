#include "viewer/TForm3.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

#include "bigview/BigView.h"
#include "bigview/ViewPresets.h"
#include "bigview/ViewFileLoad.h"
#include "lines/FileMessages.h"
#include "platform/FileDrop.h"
#include "platform/Fonts.h"
#include "platform/KeyRouter.h"
#include "platform/VirtualKeys.h"
#include "viewer/StatusCaption.h"

#include <algorithm>

namespace {
// "Exactly" a modifier: that one held and no other.
bool Exactly(int shift, ShiftBits bit) { return shift == bit; }
}

TForm3::TForm3(ViewerState &state, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      State(state)
{
    setObjectName("Form3");
    setWindowTitle(QStringLiteral("Talvo (ﾋﾞｭｰﾜ)"));
    setFont(ResolveFont(QStringLiteral("ＭＳ Ｐゴシック"), 12, true));
    setSizeGripEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName("MainMenu1");
    layout->setMenuBar(MainMenu1);
    BuildMenus();

    BigView1 = new TBigView(this);
    BigView1->setObjectName("BigView1");
    ApplyViewerPreset(*BigView1);
    layout->addWidget(BigView1);
    setFocusProxy(BigView1);
    // The outer size 625 x 430 of the original window, less its frame.
    resize(617, 404);

    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &TForm3::Timer1Timer);
    Timer1.start();

    // The window's keys, in the view and in the window itself, before the view's own.
    auto *keys = new KeyRouter(this, &TForm3::FormKeyDown);
    keys->Bind({this, BigView1});
    AcceptFileDrops(this, [this](const QByteArrayList &paths) { FormDropFiles(paths); });
}

void TForm3::FormDropFiles(const QByteArrayList &paths)
{
    if (paths.isEmpty())
        return;
    // The marker and the caption told of a hit in the file that goes.
    HideHitMarker();
    setWindowTitle(QStringLiteral("Talvo (ﾋﾞｭｰﾜ)"));
    // Another file is judged by its own bytes.
    BigView1->SetEncodingChoice(std::nullopt);
    if (!ShowFileInView(*BigView1, paths.first(), filemsg::CannotShow, this))
        return;
    State.ShownFile = paths.first();
    activateWindow();
}

TForm3::~TForm3() = default;

void TForm3::BuildMenus()
{
    const auto item = [this](QMenu *menu, QAction *&action, const char *name, const QString &caption,
                             void (TForm3::*handler)()) {
        action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
    };
    MenuSearch = MainMenu1->addMenu(QStringLiteral("検索(&S)"));
    MenuSearch->setObjectName("MenuSearch");
    item(MenuSearch, MenuFind, "MenuFind", QStringLiteral("検索(&F)..."), &TForm3::MenuFindClick);
    item(MenuSearch, MenuReFind, "MenuReFind", QStringLiteral("前検索(下検索)(&N)"), &TForm3::MenuReFindClick);
    item(MenuSearch, MenuReFindPrior, "MenuReFindPrior", QStringLiteral("後検索(上検索)(&P)"),
         &TForm3::MenuReFindPriorClick);
    item(MenuSearch, MenuJump, "MenuJump", QStringLiteral("ｼﾞｬﾝﾌﾟ(&J)..."), &TForm3::MenuJumpClick);
    MenuDisp = MainMenu1->addMenu(QStringLiteral("表示(&D)"));
    MenuDisp->setObjectName("MenuDisp");
    item(MenuDisp, MenuWrapChange, "MenuWrapChange", QStringLiteral("折返切替(&W)..."),
         &TForm3::MenuWrapChangeClick);
    MenuEncoding = MenuDisp->addMenu(QStringLiteral("文字ｺｰﾄﾞ(&E)"));
    MenuEncoding->setObjectName("MenuEncoding");
    encodingGroup_ = new QActionGroup(this);
    for (const EncodingMenuEntry &entry : EncodingMenu) {
        QAction *action = MenuEncoding->addAction(QString::fromUtf16(entry.caption));
        action->setCheckable(true);
        encodingGroup_->addAction(action);
        MenuEncodingItems.append(action);
        const std::optional<TextEncoding> encoding = entry.encoding;
        connect(action, &QAction::triggered, this, [this, encoding] { MenuEncodingClick(encoding); });
    }
    MenuEncodingItems.front()->setObjectName("MenuEncodingAuto");
    connect(MenuEncoding, &QMenu::aboutToShow, this, &TForm3::UpdateEncodingMenu);
    MenuOption = MainMenu1->addMenu(QStringLiteral("環境設定(&K)"));
    MenuOption->setObjectName("MenuOption");
    item(MenuOption, MenuWordWrap, "MenuWordWrap", QStringLiteral("折返設定(&W)..."), &TForm3::MenuWordWrapClick);
    item(MenuOption, MenuScroll, "MenuScroll", QStringLiteral("ｽｸﾛｰﾙ設定(&S)..."), &TForm3::MenuScrollClick);
}

bool TForm3::FormKeyDown(int key, int shift)
{
    const bool exactlyCtrl = Exactly(shift, ssCtrl), exactlyAlt = Exactly(shift, ssAlt),
               exactlyShift = Exactly(shift, ssShift);
    switch (key) {
    case vk::Escape:
    case vk::Return:
        reject();
        return true;
    case vk::OpenBracket:
        if (!exactlyCtrl)
            return false;
        if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
            showNormal();
        else
            showMaximized();
        return true;
    case vk::W:
        if (exactlyCtrl || exactlyAlt || exactlyShift)
            return false;
        MenuWrapChangeClick();
        return true;
    case vk::J:
        if (exactlyAlt)
            return false;
        MenuJumpClick();
        return true;
    case vk::F:
        if (exactlyAlt)
            return false;
        MenuFindClick();
        return true;
    case vk::N:
        if (exactlyAlt || !State.SearchDone)
            return false;
        MenuReFindClick();
        return true;
    case vk::P:
        if (exactlyAlt || !State.SearchDone)
            return false;
        MenuReFindPriorClick();
        return true;
    case 'Q':
        if (exactlyCtrl || exactlyAlt)
            return false;
        reject();
        return true;
    case vk::X:
    case vk::E:
        if (exactlyCtrl)
            HideHitMarker();
        return false;
    case vk::T:
    case vk::B:
        if (!exactlyCtrl && !exactlyAlt)
            HideHitMarker();
        return false;
    case vk::Down:
    case vk::Up:
    case vk::Left:
    case vk::Right:
    case vk::Prior:
    case vk::Next:
    case vk::Home:
    case vk::End:
        HideHitMarker();
        return false;
    default:
        return false;
    }
}

void TForm3::SetTimerInterval(int ms)
{
    if (ms <= 0) {
        Timer1.stop();
    } else {
        Timer1.start(ms);
    }
}

void TForm3::HideHitMarker()
{
    BigView1->SetCaret(false);
    State.HitShown = false;
    SetTimerInterval(0);
}

void TForm3::ShowHitMarker(QPoint pos)
{
    BigView1->PlaceCaret(pos);
    State.HitTopRow = BigView1->TopRow();
    State.HitShown = true;
    SetTimerInterval(100);
    BigView1->SetCaret(true);
}

void TForm3::ShowStatusCaption(int column)
{
    const int row = State.HitRow;
    // The column counts cells: a byte of Shift-JIS, a character (two when wide) elsewhere.
    const QByteArrayView text = row >= 1 && row <= BigView1->RowCount() ? BigView1->RowView(row - 1) : QByteArrayView();
    const qsizetype before = std::clamp<qsizetype>(qsizetype(column) - 1, 0, text.size());
    const qint64 cells = BigView1->Encoding() == TextEncoding::ShiftJis
        ? column : CellCount(BigView1->Encoding(), text.first(before)) + 1;
    setWindowTitle(StatusCaption(BigView1->RowCount(), BigView1->LineCount(), row,
                                 BigView1->RowToLine(row - 1) + 1, int(cells)));
}

void TForm3::UpdateEncodingMenu()
{
    const std::optional<TextEncoding> choice = BigView1->EncodingChoice();
    for (qsizetype i = 0; i < MenuEncodingItems.size(); ++i) {
        const EncodingMenuEntry &entry = EncodingMenu[i];
        MenuEncodingItems[i]->setChecked(entry.encoding == choice);
        if (!entry.encoding) {
            // The automatic entry says what it found for the file shown.
            QString caption = QString::fromUtf16(entry.caption);
            if (!choice && BigView1->LineCount() > 0) {
                for (const EncodingMenuEntry &other : EncodingMenu)
                    if (other.encoding == BigView1->Encoding())
                        caption += QStringLiteral(" (%1)").arg(QString::fromUtf16(other.caption));
            }
            MenuEncodingItems[i]->setText(caption);
        }
    }
}

void TForm3::Timer1Timer()
{
    if (BigView1->TopRow() == State.HitTopRow || !State.HitShown)
        return;
    State.HitTopRow = BigView1->TopRow();
    BigView1->SetCaret(false);
    BigView1->Redraw();
    State.HitShown = false;
    SetTimerInterval(0);
}

void TForm3::FormClose()
{
    // Clearing first means the wrap change below lays out no text.
    BigView1->Clear();
    BigView1->SetWordWrap(State.WordWrap);
    BigView1->SetWrapByte(State.WordWrapByte);
}

void TForm3::done(int result)
{
    if (!std::exchange(closed_, true))
        FormClose();
    Timer1.stop();
    QDialog::done(result);
}

// The search, jump, wrap and scroll commands are in TForm3Commands.cpp.

void TForm3::WordWrapDspChange() { MenuWrapChangeClick(); }
