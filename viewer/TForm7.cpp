#include "viewer/TForm7.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "platform/Controls.h"
#include "platform/KeyRouter.h"
#include "platform/VirtualKeys.h"
#include "viewer/ViewerState.h"

TForm7::TForm7(ViewerState &state, int wrapByte, QWidget *parent)
    : ViewerDialog(QStringLiteral("Pemri (折返切替)"), QSize(462, 53), parent), state_(state)
{
    BtnWrapON = MakeButton(this, "BtnWrapON", QStringLiteral("画面幅で折返(&Y)"));
    BtnWrapOff = MakeButton(this, "BtnWrapOff", QStringLiteral("設定値で折返(&N)"));
    BtnCansel = MakeButton(this, "BtnCansel", QStringLiteral("ｷｬﾝｾﾙ"));

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 8, 6, 8);
    row->setSpacing(4);
    row->addWidget(BtnWrapON, 1);
    row->addWidget(BtnWrapOff, 1);
    BtnCansel->setFixedWidth(110);
    row->addWidget(BtnCansel);
    setTabOrder(BtnWrapON, BtnWrapOff);
    setTabOrder(BtnWrapOff, BtnCansel);

    BtnWrapON->setEnabled(wrapByte != 0);
    BtnWrapOff->setEnabled(wrapByte == 0);
    state_.WrapSwitchChoice = -1;

    connect(BtnWrapON, &QPushButton::clicked, this, &TForm7::BtnWrapONClick);
    connect(BtnWrapOff, &QPushButton::clicked, this, &TForm7::BtnWrapOffClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm7::BtnCanselClick);
    // Esc on the buttons (the dialog itself has no keys).
    auto *keys = new KeyRouter(this, &TForm7::FormKeyDown);
    keys->Bind({BtnWrapON, BtnWrapOff, BtnCansel});
    (wrapByte != 0 ? BtnWrapON : BtnWrapOff)->setFocus();
}

void TForm7::BtnWrapONClick()
{
    state_.WrapSwitchChoice = 1;
    accept();
}

void TForm7::BtnWrapOffClick()
{
    state_.WrapSwitchChoice = 0;
    accept();
}

void TForm7::BtnCanselClick() { reject(); }

bool TForm7::FormKeyDown(int key, int /*shift*/)
{
    if (key != vk::Escape)
        return false;
    reject();
    return true;
}
