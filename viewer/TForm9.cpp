#include "viewer/TForm9.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Controls.h"
#include "platform/KeyRouter.h"
#include "platform/VirtualKeys.h"
#include "viewer/ViewerState.h"

TForm9::TForm9(ViewerState &state, QWidget *parent)
    : ViewerDialog(QStringLiteral("Talvo (検索)"), QSize(487, 103), parent), state_(state)
{
    Label1 = MakeLabel(this, "Label1", QStringLiteral("検索文字列 (&S)"));
    Edit1 = MakeEdit(this, "Edit1");
    Edit1->setValidator(new ByteLimitValidator(255, Edit1));
    Label1->setBuddy(Edit1);
    BtnSearch = MakeButton(this, "BtnSearch", QStringLiteral("次検索(&N)"));
    BtnCansel = MakeButton(this, "BtnCansel", QStringLiteral("ｷｬﾝｾﾙ"));
    CheckUperLower = MakeCheckBox(this, "CheckUperLower", QStringLiteral("大文字と小文字を区別する(&C)"));
    BtnPriorSearch = MakeButton(this, "BtnPriorSearch", QStringLiteral("前検索(&P)"));

    // The string and the option on the left, the three buttons stacked on the right.
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(10, 6, 10, 6);
    grid->setVerticalSpacing(4);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Edit1, 1, 0);
    grid->addWidget(CheckUperLower, 2, 0);
    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(4);
    for (QPushButton *b : {BtnSearch, BtnPriorSearch, BtnCansel}) {
        b->setFixedWidth(112);
        buttons->addWidget(b);
    }
    grid->addLayout(buttons, 0, 1, 3, 1);
    grid->setColumnStretch(0, 1);
    grid->setHorizontalSpacing(14);

    setTabOrder(Edit1, BtnSearch);
    setTabOrder(BtnSearch, BtnCansel);
    setTabOrder(BtnCansel, CheckUperLower);
    setTabOrder(CheckUperLower, BtnPriorSearch);

    // Enter in the box repeats the last direction: the button drawn as the default is that one.
    (state_.SearchBackward ? BtnPriorSearch : BtnSearch)->setDefault(true);
    ShowBytes(Edit1, state_.FindStrName);
    Edit1->selectAll();
    CheckUperLower->setChecked(state_.SearchUperLower);

    connect(BtnSearch, &QPushButton::clicked, this, &TForm9::BtnSearchClick);
    connect(BtnPriorSearch, &QPushButton::clicked, this, &TForm9::BtnPriorSearchClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm9::BtnCancelClick);
    connect(CheckUperLower, &QCheckBox::clicked, this, &TForm9::CheckUperLowerClick);
    // Enter and Esc in the edit box; Esc in every control and in the dialog itself.
    auto *keys = new KeyRouter(this, &TForm9::FormKeyDown);
    keys->Bind(Edit1, &TForm9::EditBoxKeyDown);
    keys->Bind({this, BtnSearch, BtnCansel, CheckUperLower, BtnPriorSearch});
    Edit1->setFocus();
}

QByteArray TForm9::EnteredText() const { return EditBytes(Edit1, state_.FindStrName); }

void TForm9::BtnSearchClick()
{
    state_.SearchBackward = false;
    state_.SearchText = EnteredText();
    accept();
}

void TForm9::BtnPriorSearchClick()
{
    state_.SearchBackward = true;
    state_.SearchText = EnteredText();
    accept();
}

void TForm9::BtnCancelClick()
{
    state_.SearchText.clear();
    accept();
}

void TForm9::CheckUperLowerClick()
{
    // Takes effect at once: a later cancel keeps it.
    state_.SearchUperLower = CheckUperLower->isChecked();
}

bool TForm9::EditBoxKeyDown(int key, int /*shift*/)
{
    if (key == vk::Return) {
        state_.SearchText = EnteredText();
        accept();
        return true;
    }
    if (key == vk::Escape) {
        BtnCancelClick();
        return true;
    }
    return false;
}

bool TForm9::FormKeyDown(int key, int /*shift*/)
{
    if (key != vk::Escape)
        return false;
    BtnCancelClick();
    return true;
}
