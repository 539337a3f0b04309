#include "app/TForm2.h"

#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/Appearance.h"
#include "bigview/BigView.h"
#include "bigview/ViewFileLoad.h"
#include "lines/IniFile.h"
#include "lines/NativeFile.h"
#include "bigview/ViewPresets.h"
#include "platform/CommonDialogs.h"
#include "platform/Controls.h"
#include "platform/FileDrop.h"
#include "platform/Fonts.h"
#include "platform/KeyMap.h"
#include "platform/KeyRouter.h"
#include "platform/MessageBox.h"
#include "app/rules/Messages.h"
#include "lines/ShiftJis.h"
#include "app/rules/TextValues.h"

namespace {
const QString kOpenFilter = QStringLiteral("全ﾌｧｲﾙ(*.*)|*.*");
}

TForm2::TForm2(Settings &settings, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      settings_(settings)
{
    setObjectName("Form2");
    setWindowTitle(QStringLiteral("Talvo (区切ﾌｧｲﾙ設定)"));
    setFont(ResolveFont(QStringLiteral("System"), 16, true));
    BuildControls();
    FormCreate();
}

void TForm2::BuildControls()
{
    setFixedSize(617, 403);
    auto label = [this](QLabel *&l, const char *name, const QString &caption, int x, int y, int w) {
        l = MakeLabel(this, name, caption, {x, y, w, 22});
    };
    auto button = [this](QPushButton *&b, const char *name, const QString &caption, int x, int y) {
        b = MakeButton(this, name, caption, {x, y, 76, 27});
        // Enter on a focused button clicks it; Enter elsewhere clicks nothing.
        b->setAutoDefault(true);
    };
    auto edit = [this](QLineEdit *&e, const char *name, int y) { e = MakeEdit(this, name, {8, y, 437, 27}); };
    const int browseX = 451, dispX = 533;

    label(Label2, "Label2", QStringLiteral("区切１出力ﾌｧｲﾙ名(&1)"), 8, 8, 300);
    edit(Edit1, "Edit1", 30);
    button(BtnSeparete1, "BtnSeparete1", QStringLiteral("参照(&Y)"), browseX, 30);
    button(BtnDisp1, "BtnDisp1", QStringLiteral("表示(&U)"), dispX, 30);

    label(Label3, "Label3", QStringLiteral("ﾌｧｲﾙ名出力文字列(&2)"), 8, 62, 180);
    label(Label6, "Label6", QStringLiteral("(先頭に付加する文字列を設定) "), 188, 62, 260);
    edit(Edit2, "Edit2", 84);

    label(Label4, "Label4", QStringLiteral("区切２出力ﾌｧｲﾙ名(&3)"), 8, 116, 300);
    edit(Edit3, "Edit3", 138);
    button(BtnSeparate2, "BtnSeparate2", QStringLiteral("参照(&H)"), browseX, 138);
    button(BtnDisp2, "BtnDisp2", QStringLiteral("表示(&J)"), dispX, 138);

    label(Label5, "Label5", QStringLiteral("区切３出力ﾌｧｲﾙ名(&4)"), 8, 170, 300);
    edit(Edit4, "Edit4", 192);
    button(BtnSeparate3, "BtnSeparate3", QStringLiteral("参照(&N)"), browseX, 192);
    button(BtnDisp3, "BtnDisp3", QStringLiteral("表示(&M)"), dispX, 192);

    label(Label1, "Label1", QStringLiteral("内容表示(&W)"), 8, 224, 200);
    BigView1 = new TBigView(this);
    BigView1->setObjectName("BigView1");
    BigView1->setGeometry(8, 246, 601, 112);
    ApplyContentViewPreset(*BigView1, {bvClientLow});

    button(BtnOk, "BtnOk", QStringLiteral("保存(&S)"), browseX, 368);
    button(BtnCansel, "BtnCansel", QStringLiteral("ｷｬﾝｾﾙ"), dispX, 368);

    Label1->setBuddy(BigView1);
    Label2->setBuddy(Edit1);
    Label3->setBuddy(Edit2);
    Label4->setBuddy(Edit3);
    Label5->setBuddy(Edit4);

    const QList<QWidget *> order{BtnSeparete1, BtnDisp1, Edit1, Edit2, BtnSeparate2, BtnDisp2, Edit3,
                                 BtnSeparate3, BtnDisp3, Edit4, BigView1, BtnOk, BtnCansel};
    SetTabOrder(order);
    // Esc works in every control, the view and the dialog itself.
    auto *keys = new KeyRouter(this, &TForm2::FormKeyDown);
    keys->Bind(order);
    keys->Bind({this});
    BtnSeparete1->setFocus();

    connect(BtnOk, &QPushButton::clicked, this, &TForm2::BtnOkClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm2::BtnCanselClick);
    connect(BtnSeparete1, &QPushButton::clicked, this, &TForm2::BtnSeparete1Click);
    connect(BtnSeparate2, &QPushButton::clicked, this, &TForm2::BtnSeparate2Click);
    connect(BtnSeparate3, &QPushButton::clicked, this, &TForm2::BtnSeparate3Click);
    connect(BtnDisp1, &QPushButton::clicked, this, &TForm2::BtnDisp1Click);
    connect(BtnDisp2, &QPushButton::clicked, this, &TForm2::BtnDisp2Click);
    connect(BtnDisp3, &QPushButton::clicked, this, &TForm2::BtnDisp3Click);
}

void TForm2::FormCreate()
{
    ApplyTextLook(BigView1, settings_);
    AcceptFileDrops(this, [this](const QByteArrayList &paths) { FormDropFiles(paths); });
}

void TForm2::FormDropFiles(const QByteArrayList &paths)
{
    if (!paths.isEmpty() && ShowFileInView(*BigView1, paths.first(), msg::CannotShow, this))
        activateWindow();
}

void TForm2::ShowSettings()
{
    Edit1->setText(DisplayName(settings_.FileName1));
    Edit3->setText(DisplayName(settings_.FileName2));
    Edit4->setText(DisplayName(settings_.FileName3));
    Edit2->setText(DecodeCp932(settings_.AddStrTo));
}

QByteArray TForm2::PathOf(const QLineEdit *edit) const
{
    const QByteArray &shownFrom = edit == Edit1 ? settings_.FileName1
                                  : edit == Edit3 ? settings_.FileName2
                                                  : settings_.FileName3;
    return EditedPath(edit->text(), shownFrom);
}

void TForm2::BtnOkClick()
{
    // Stored exactly as typed: no trimming, no test for existence, empty values allowed.
    const QByteArray path1 = PathOf(Edit1), path2 = PathOf(Edit3), path3 = PathOf(Edit4);
    // The prefix is used as the settings file will keep it, so a pasted line break never splits
    // the file-name line of a join, before or after a restart.
    settings_.AddStrTo = IniFile::StoredValue(EditedText(Edit2->text(), settings_.AddStrTo)).toByteArray();
    settings_.FileName1 = path1;
    settings_.FileName2 = path2;
    settings_.FileName3 = path3;
    accept();
}

void TForm2::BtnCanselClick()
{
    if (ShowMessageBox(msg::AskBackToMain, MsgKind::Information, mbYes | mbNo, this) == mrYes)
        reject();
}

void TForm2::Browse(QLineEdit *edit)
{
    // The first time the dialog starts at the path in the box; then at the name last chosen.
    const QString start = openDialogName_.isEmpty() ? edit->text() : openDialogName_;
    const QString chosen = ShowOpenFileDialog(this, kOpenFilter, start);
    if (chosen.isEmpty())
        return;
    openDialogName_ = chosen;
    edit->setText(chosen);
}

void TForm2::BtnSeparete1Click() { Browse(Edit1); }
void TForm2::BtnSeparate2Click() { Browse(Edit3); }
void TForm2::BtnSeparate3Click() { Browse(Edit4); }

void TForm2::Display(QLineEdit *edit)
{
    if (edit->text().isEmpty()) {
        ShowMessageBox(msg::NoOutputName, MsgKind::Warning, mbAbort, this);
        return;
    }
    ShowFileInView(*BigView1, PathOf(edit), msg::CannotShow, this);
}

void TForm2::BtnDisp1Click() { Display(Edit1); }
void TForm2::BtnDisp2Click() { Display(Edit3); }
void TForm2::BtnDisp3Click() { Display(Edit4); }

bool TForm2::FormKeyDown(int key, int shift)
{
    Q_UNUSED(shift);
    if (key == vk::Escape) {
        BtnCanselClick();
        return true;
    }
    return false;
}

void TForm2::keyPressEvent(QKeyEvent *event)
{
    // The keys FormKeyDown left. A focused button takes Enter itself; Enter that reaches the
    // dialog from an edit box or the view has no meaning here and must not click the last
    // focused button.
    if (MapKeyEvent(event).key == vk::Return)
        return;
    QDialog::keyPressEvent(event);
}
