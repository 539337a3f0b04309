#include "viewer/TForm6.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/KeyMap.h"
#include "viewer/NumberEntry.h"
#include "lines/ShiftJis.h"
#include "viewer/TForm17.h"
#include "viewer/ViewerMessages.h"
#include "viewer/ViewerState.h"

TForm6::TForm6(ViewerState &state, QWidget *parent)
    : ViewerDialog(QStringLiteral("Talvo (ｽｸﾛｰﾙ設定)"), QSize(492, 93), parent), state_(state)
{
    Label2 = new QLabel(QStringLiteral("スクロール設定"), this);
    Label1 = new QLabel(QStringLiteral("検索後のスクロール行数(&K)"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setMaxLength(2);
    Label1->setBuddy(Edit1);
    Label3 = new QLabel(QStringLiteral("(0-16)"), this);
    BtnOk = new QPushButton(QStringLiteral("保存(&S)"), this);
    BtnCansel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Label1->setObjectName("Label1");
    Label2->setObjectName("Label2");
    Label3->setObjectName("Label3");
    Edit1->setObjectName("Edit1");
    BtnOk->setObjectName("BtnOk");
    BtnCansel->setObjectName("BtnCansel");

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
    SetKeyDown(Edit1, [this](int key, int shift) { return EditBoxKeyDown(key, shift); });
    for (QWidget *w : std::initializer_list<QWidget *>{BtnOk, BtnCansel})
        SetKeyDown(w, [this](int key, int shift) { return FormKeyDown(key, shift); });
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
