#include "viewer/TForm4.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "bigview/BigView.h"
#include "platform/Controls.h"
#include "platform/KeyRouter.h"
#include "platform/VirtualKeys.h"
#include "viewer/rules/NumberEntry.h"
#include "lines/ShiftJis.h"
#include "viewer/TForm17.h"
#include "viewer/ViewScroll.h"
#include "viewer/ViewerMessages.h"
#include "viewer/ViewerState.h"

TForm4::TForm4(ViewerState &state, TBigView *view, QWidget *parent)
    : ViewerDialog(QStringLiteral("Talvo (折返設定)"), QSize(492, 93), parent), state_(state), view_(view)
{
    Label3 = MakeLabel(this, "Label3", QStringLiteral("折り返しの設定"));
    CheckBox1 = MakeCheckBox(this, "CheckBox1", QStringLiteral("折り返し文字数(&C)"));
    Label1 = MakeLabel(this, "Label1", QStringLiteral("設定値(&1)"));
    Edit1 = MakeEdit(this, "Edit1");
    Edit1->setMaxLength(3);
    Label1->setBuddy(Edit1);
    Label2 = MakeLabel(this, "Label2", QStringLiteral("(1-255)"));
    BtnOk = MakeButton(this, "BtnOk", QStringLiteral("保存(&S)"));
    BtnCansel = MakeButton(this, "BtnCansel", QStringLiteral("ｷｬﾝｾﾙ"));

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(10, 6, 10, 6);
    grid->addWidget(Label3, 0, 0);
    grid->addWidget(CheckBox1, 0, 1, 1, 3);
    grid->addWidget(Label1, 1, 0, Qt::AlignRight);
    grid->addWidget(Edit1, 1, 1);
    grid->addWidget(Label2, 1, 2);
    Edit1->setFixedWidth(Edit1->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    grid->addWidget(BtnOk, 0, 4);
    grid->addWidget(BtnCansel, 1, 4);
    grid->setColumnStretch(3, 1);

    setTabOrder(Edit1, CheckBox1);
    setTabOrder(CheckBox1, BtnOk);
    setTabOrder(BtnOk, BtnCansel);

    CheckBox1->setChecked(state_.WordWrap);
    Edit1->setText(QString::number(state_.WordWrapByte));
    Edit1->selectAll();

    connect(BtnOk, &QPushButton::clicked, this, &TForm4::BtnOkClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm4::BtnCanselClick);
    // Esc and Enter work in every control and in the dialog itself.
    auto *keys = new KeyRouter(this, &TForm4::FormKeyDown);
    keys->Bind({this, CheckBox1, Edit1, BtnOk, BtnCansel});
    Edit1->setFocus();
}

void TForm4::BtnOkClick()
{
    const std::optional<int> value = NumberInRange(EncodeCp932(Edit1->text()), WrapByteMin, WrapByteMax);
    if (!value) {
        ShowMessageWindow(viewermsg::ValueOutOfRange, this);
        return;
    }
    // A big file is laid out again in the background. Stopped there, nothing is applied and
    // the dialog stays open as it was: the user may try again or cancel.
    if (view_ && !ApplyWrap(*view_, CheckBox1->isChecked(), *value))
        return;
    state_.WordWrap = CheckBox1->isChecked();
    state_.WordWrapByte = *value;
    accept();
}

void TForm4::BtnCanselClick() { reject(); }

bool TForm4::FormKeyDown(int key, int /*shift*/)
{
    if (key == vk::Escape)
        reject();
    else if (key == vk::Return)
        BtnOkClick();
    else
        return false;
    return true;
}
