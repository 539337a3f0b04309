#include "viewer/TForm5.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/KeyMap.h"
#include "viewer/ViewerState.h"

TForm5::TForm5(ViewerState &state, QWidget *parent)
    : ViewerDialog(QStringLiteral("Talvo (ｼﾞｬﾝﾌﾟ)"), QSize(492, 93), parent), state_(state)
{
    Label3 = new QLabel(QStringLiteral("ジャンプ行設定"), this);
    Label1 = new QLabel(QStringLiteral("ジャンプする行番号(&J)"), this);
    Label2 = new QLabel(QStringLiteral("(1-999999)"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setMaxLength(6);
    Label1->setBuddy(Edit1);
    BtnJump = new QPushButton(QStringLiteral("実行(&O)"), this);
    BtnCansel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Label1->setObjectName("Label1");
    Label2->setObjectName("Label2");
    Label3->setObjectName("Label3");
    Edit1->setObjectName("Edit1");
    BtnJump->setObjectName("BtnJump");
    BtnCansel->setObjectName("BtnCansel");

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
    SetKeyDown(Edit1, [this](int key, int shift) { return EditBoxKeyDown(key, shift); });
    for (QWidget *w : std::initializer_list<QWidget *>{this, BtnJump, BtnCansel})
        SetKeyDown(w, [this](int key, int shift) { return FormKeyDown(key, shift); });
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
