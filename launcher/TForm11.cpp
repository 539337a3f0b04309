#include "launcher/TForm11.h"

#include <QListWidget>
#include <QPushButton>

#include "lines/IniFile.h"
#include "platform/Controls.h"
#include "platform/KeyRouter.h"
#include "launcher/LauncherMessages.h"
#include "platform/MessageBox.h"
#include "lines/ShiftJis.h"
#include "launcher/TForm12.h"
#include "platform/VirtualKeys.h"
#include "platform/WindowPlacement.h"

TForm11::TForm11(LauncherWorkLists &lists, LauncherEntries &entries, const QByteArray &settingsFile,
                 QWidget *parent)
    : LauncherDialog("Form11", QStringLiteral("Talvo (ﾗﾝﾁｬｰ設定)"), {410, 286}, parent),
      lists_(lists), entries_(entries), settingsFile_(settingsFile)
{
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setGeometry(8, 8, 260, 232);

    auto button = [this](QPushButton *&b, const char *name, const QString &caption, int x, int y) {
        b = MakeButton(this, name, caption, {x, y, 126, 27});
        b->setAutoDefault(false);
    };
    const int col = 276;
    button(BtnAdd, "BtnAdd", QStringLiteral("新規追加(&N)..."), col, 8);
    button(BtnEdit, "BtnEdit", QStringLiteral("編集(&E)..."), col, 38);
    button(BtnUp, "BtnUp", QStringLiteral("一つ上へ"), col, 76);
    button(BtnDown, "BtnDown", QStringLiteral("一つ下へ"), col, 106);
    button(BtnCut, "BtnCut", QStringLiteral("ｶｯﾄ(&X)"), col, 144);
    button(BtnCopy, "BtnCopy", QStringLiteral("ｺﾋﾟｰ(&C)"), col, 174);
    button(BtnPaste, "BtnPaste", QStringLiteral("張り付け(&V)"), col, 204);
    button(BtnDel, "BtnDel", QStringLiteral("削除(&D)"), col, 234);
    button(BtnOk, "BtnOk", QStringLiteral("OK(&O)"), 8, 250);
    button(BtnCansel, "BtnCansel", QStringLiteral("ｷｬﾝｾﾙ"), 142, 250);

    const QList<QWidget *> order{ListBox1, BtnOk, BtnCansel, BtnAdd, BtnEdit, BtnUp, BtnDown, BtnCut,
                                 BtnCopy, BtnPaste, BtnDel};
    SetTabOrder(order);
    // Esc works in every control and in the dialog itself.
    auto *keys = new KeyRouter(this, &TForm11::FormKeyDown);
    keys->Bind(ListBox1, &TForm11::ListBoxKeyDown);
    keys->Bind(order);
    keys->Bind({this});

    connect(BtnOk, &QPushButton::clicked, this, &TForm11::BtnOkClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm11::BtnCanselClick);
    connect(BtnAdd, &QPushButton::clicked, this, &TForm11::BtnAddClick);
    connect(BtnEdit, &QPushButton::clicked, this, &TForm11::BtnEditClick);
    connect(BtnUp, &QPushButton::clicked, this, &TForm11::BtnUpClick);
    connect(BtnDown, &QPushButton::clicked, this, &TForm11::BtnDownClick);
    connect(BtnCut, &QPushButton::clicked, this, &TForm11::BtnCutClick);
    connect(BtnCopy, &QPushButton::clicked, this, &TForm11::BtnCopyClick);
    connect(BtnPaste, &QPushButton::clicked, this, &TForm11::BtnPasteClick);
    connect(BtnDel, &QPushButton::clicked, this, &TForm11::BtnDelClick);

    BtnPaste->setEnabled(false);
    RefillList(0);
    ListBox1->setFocus();
}

void TForm11::RefillList(int select)
{
    ListBox1->clear();
    for (const QByteArray &title : lists_.ShownTitles())
        ListBox1->addItem(DecodeCp932(title));
    if (ListBox1->count() == 0)
        ListBox1->addItem(QString());
    ListBox1->setCurrentRow(std::clamp(select, 0, ListBox1->count() - 1));
}

int TForm11::Selection() const { return std::max(0, ListBox1->currentRow()); }

void TForm11::EditLine(int position, bool fromLine)
{
    TForm12 edit(lists_, position, this);
    if (fromLine)
        edit.LoadEntry();
    CentreOnScreen(&edit);
    edit.exec();
}

void TForm11::BtnAddClick()
{
    if (lists_.IsFull()) {
        ShowMessageBox(msg::TooManyEntries, MsgKind::Warning, mbOK, this);
        return;
    }
    EditLine(int(lists_.ShownTitles().size()), false);
    RefillList(ListBox1->count());  // the last line
}

void TForm11::BtnEditClick()
{
    const int s = Selection();
    EditLine(s, true);
    RefillList(s);
}

void TForm11::BtnUpClick() { RefillList(lists_.MoveUp(Selection())); }

void TForm11::BtnDownClick() { RefillList(lists_.MoveDown(Selection())); }

bool TForm11::CopySelection()
{
    const LauncherEntry e = lists_.Entry(Selection());
    if (e.Title.isEmpty())
        return false;
    clipboard_ = e;
    BtnPaste->setEnabled(true);
    return true;
}

void TForm11::BtnCutClick()
{
    if (CopySelection())
        RefillList(lists_.Remove(Selection()));
}

void TForm11::BtnCopyClick() { CopySelection(); }

void TForm11::BtnPasteClick()
{
    if (lists_.IsFull()) {
        ShowMessageBox(msg::TooManyEntries, MsgKind::Warning, mbOK, this);
        return;
    }
    RefillList(lists_.Insert(Selection(), clipboard_));
}

void TForm11::BtnDelClick() { RefillList(lists_.Remove(Selection())); }

void TForm11::BtnOkClick()
{
    lists_.StoreTo(entries_);
    try {
        WriteLauncherEntries(settingsFile_, entries_);
    } catch (const EIniWriteError &e) {
        // The dialog stays open, so the user can make the file writable and press OK again.
        ShowMessageBox(e.message(), MsgKind::Error, mbOK, this);
        return;
    }
    accept();
}

void TForm11::BtnCanselClick() { reject(); }

bool TForm11::FormKeyDown(int key, int shift)
{
    Q_UNUSED(shift);
    if (key != vk::Escape)
        return false;
    BtnCanselClick();
    return true;
}

bool TForm11::ListBoxKeyDown(int key, int shift)
{
    // The list has no keys of its own: its Esc is FormKeyDown's, which comes next.
    Q_UNUSED(key);
    Q_UNUSED(shift);
    return false;
}
