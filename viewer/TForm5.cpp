#include "viewer/TForm5.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/Controls.h"
#include "platform/KeyRouter.h"
#include "platform/VirtualKeys.h"
#include "viewer/ViewerState.h"

TForm5::TForm5(ViewerState &state, QWidget *parent)
    : ViewerDialog(QStringLiteral("Talvo (ｼﾞｬﾝﾌﾟ)"), QSize(492, 93), parent), state_(state)
{
    Label3 = MakeLabel(this, "Label3", QStringLiteral("ジャンプ行設定"));
    Label1 = MakeLabel(this, "Label1", QStringLiteral("ジャンプする行番号(&J)"));
    Label2 = MakeLabel(this, "Label2", QStringLiteral("(1-999999)"));
    Edit1 = MakeEdit(this, "Edit1");
    Edit1->setMaxLength(6);
    Label1->setBuddy(Edit1);
    BtnJump = MakeButton(this, "BtnJump", QStringLiteral("実行(&O)"));
    BtnCansel = MakeButton(this, "BtnCansel", QStringLiteral("ｷｬﾝｾﾙ"));

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(10, 6, 10, 6);
    grid->addWidget(Label3, 0, 0, 1, 3);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(Edit1, 1, 1);
    grid->addWidget(Label2, 1, 2);
    Edit1->setFixedWidth(Edit1->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    grid->addWidget(BtnJump, 0, 4);
    grid->addWidget(BtnCansel, 1, 4);
    grid->setColumnStretch(3, 1);

    setTabOrder(Edit1, BtnJump);
    setTabOrder(BtnJump, BtnCansel);

    ShowBytes(Edit1, state_.JumpLineNum);
    Edit1->selectAll();

    connect(BtnJump, &QPushButton::clicked, this, &TForm5::BtnJumpClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm5::BtnCancelClick);
    // Enter and Esc in the edit box; Esc in every control and in the dialog itself.
    auto *keys = new KeyRouter(this, &TForm5::FormKeyDown);
    keys->Bind(Edit1, &TForm5::EditBoxKeyDown);
    keys->Bind({this, BtnJump, BtnCansel});
    Edit1->setFocus();
}

void TForm5::BtnJumpClick()
{
    state_.DialogText = EditBytes(Edit1, state_.JumpLineNum);
    accept();
}

void TForm5::BtnCancelClick()
{
    state_.DialogText.clear();
    accept();
}

bool TForm5::EditBoxKeyDown(int key, int /*shift*/)
{
    if (key == vk::Return)
        BtnJumpClick();
    else if (key == vk::Escape)
        BtnCancelClick();
    else
        return false;
    return true;
}

bool TForm5::FormKeyDown(int key, int /*shift*/)
{
    if (key != vk::Escape)
        return false;
    BtnCancelClick();
    return true;
}
