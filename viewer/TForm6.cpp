#include "viewer/TForm6.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/Controls.h"
#include "platform/KeyRouter.h"
#include "platform/VirtualKeys.h"
#include "viewer/rules/NumberEntry.h"
#include "lines/ShiftJis.h"
#include "viewer/TForm17.h"
#include "viewer/ViewerMessages.h"
#include "viewer/ViewerState.h"

TForm6::TForm6(ViewerState &state, QWidget *parent)
    : ViewerDialog(QStringLiteral("Talvo (ｽｸﾛｰﾙ設定)"), QSize(492, 93), parent), state_(state)
{
    Label2 = MakeLabel(this, "Label2", QStringLiteral("スクロール設定"));
    Label1 = MakeLabel(this, "Label1", QStringLiteral("検索後のスクロール行数(&K)"));
    Edit1 = MakeEdit(this, "Edit1");
    Edit1->setMaxLength(2);
    Label1->setBuddy(Edit1);
    Label3 = MakeLabel(this, "Label3", QStringLiteral("(0-16)"));
    BtnOk = MakeButton(this, "BtnOk", QStringLiteral("保存(&S)"));
    BtnCansel = MakeButton(this, "BtnCansel", QStringLiteral("ｷｬﾝｾﾙ"));

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(10, 6, 10, 6);
    grid->addWidget(Label2, 0, 0, 1, 3);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(Edit1, 1, 1);
    grid->addWidget(Label3, 1, 2);
    Edit1->setFixedWidth(Edit1->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12);
    grid->addWidget(BtnOk, 0, 4);
    grid->addWidget(BtnCansel, 1, 4);
    grid->setColumnStretch(3, 1);

    setTabOrder(Edit1, BtnOk);
    setTabOrder(BtnOk, BtnCansel);

    Edit1->setText(QString::number(state_.FindLineScroll));
    Edit1->selectAll();

    connect(BtnOk, &QPushButton::clicked, this, &TForm6::BtnOkClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm6::BtnCanselClick);
    // Esc and Enter in the edit box; Esc on the buttons (the dialog itself has no keys).
    auto *keys = new KeyRouter(this, &TForm6::FormKeyDown);
    keys->Bind(Edit1, &TForm6::EditBoxKeyDown);
    keys->Bind({BtnOk, BtnCansel});
    Edit1->setFocus();
}

void TForm6::BtnOkClick()
{
    const std::optional<int> value = NumberInRange(EncodeCp932(Edit1->text()), 0, LineScrollMax);
    if (!value) {
        ShowMessageWindow(viewermsg::LineOutOfRange, this);
        return;
    }
    state_.FindLineScroll = *value;
    accept();
}

void TForm6::BtnCanselClick() { reject(); }

bool TForm6::EditBoxKeyDown(int key, int /*shift*/)
{
    if (key == vk::Escape)
        reject();
    else if (key == vk::Return)
        BtnOkClick();
    else
        return false;
    return true;
}

bool TForm6::FormKeyDown(int key, int /*shift*/)
{
    if (key != vk::Escape)
        return false;
    state_.DialogText.clear();
    reject();
    return true;
}
