#include "launcher/TForm12.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>

#include "platform/CommonDialogs.h"
#include "platform/Controls.h"
#include "platform/KeyRouter.h"
#include "launcher/LauncherMessages.h"
#include "launcher/LauncherRun.h"
#include "lines/IniFile.h"
#include "lines/NativeFile.h"
#include "launcher/LauncherWorkLists.h"
#include "platform/MessageBox.h"
#include "lines/ShiftJis.h"
#include "platform/VirtualKeys.h"

namespace {
enum Box { kTitle, kName, kOption, kDir, kShortCut };

const QString kProgramFilter = QStringLiteral(
    "実行ﾌｧｲﾙ(EXE ; COM)|*.EXE;*.COM|実行ﾌｧｲﾙ(PIF ; BAT ; LNK)|*.PIF;*.BAT;*.LNK|全ﾌｧｲﾙ(*.*)|*.*");

// The title and the shortcut are the settings file's Shift-JIS text; the other three are
// names and arguments, shown as DisplayName shows them.
bool IsCp932Box(int box) { return box == kTitle || box == kShortCut; }

QString Shown(int box, const QByteArray &bytes)
{
    return IsCp932Box(box) ? DecodeCp932(bytes) : DisplayName(bytes);
}

// A value of the settings file is one line: a pasted line break becomes a blank.
QString OneLine(QString text)
{
    for (QChar &c : text)
        if (c == u'\r' || c == u'\n' || c == u'\0')
            c = u' ';
    return text;
}
}  // namespace

TForm12::TForm12(LauncherWorkLists &lists, int editPosition, QWidget *parent)
    : LauncherDialog("Form12", QStringLiteral("Talvo (ﾗﾝﾁｬｰ編集)"), {540, 210}, parent),
      EditPosition(editPosition), lists_(lists)
{
    const std::array<QLabel **, 5> labels{&Label1, &Label2, &Label3, &Label4, &Label5};
    const std::array<QLineEdit **, 5> edits{&Edit1, &Edit2, &Edit3, &Edit4, &Edit5};
    const char *captions[] = {"ﾌﾟﾛｸﾞﾗﾑﾀｲﾄﾙ", "実行ﾌｧｲﾙ名", "ｵﾌﾟｼｮﾝ", "実行ﾃﾞｨﾚｸﾄﾘ", "起動ｼｮｰﾄｶｯﾄ"};
    for (int i = 0; i < 5; ++i) {
        const int y = 10 + 32 * i;
        QLabel *label = *labels[i] = MakeLabel(this, QStringLiteral("Label%1").arg(i + 1),
                                               QString::fromUtf8(captions[i]), {8, y, 112, 26});
        // The shortcut box is narrow: one letter is what it is for.
        QLineEdit *edit = *edits[i] = MakeEdit(this, QStringLiteral("Edit%1").arg(i + 1),
                                               {124, y, i == kShortCut ? 60 : (i == kName ? 296 : 408), 26});
        edit->setMaxLength(std::numeric_limits<int>::max());
        label->setBuddy(edit);
        edits_[size_t(i)] = edit;
        labels_[size_t(i)] = label;
    }
    BtnRef = MakeButton(this, "BtnRef", QStringLiteral("参照(&B)..."), {426, 42, 106, 27});
    BtnOk = MakeButton(this, "BtnOk", QStringLiteral("OK(&O)"), {316, 172, 104, 27});
    BtnCansel = MakeButton(this, "BtnCansel", QStringLiteral("ｷｬﾝｾﾙ"), {428, 172, 104, 27});
    const QList<QWidget *> order{Edit1, Edit2, Edit3, Edit4, Edit5, BtnOk, BtnCansel, BtnRef};
    SetTabOrder(order);
    // Esc works in every control and in the dialog itself.
    auto *keys = new KeyRouter(this, &TForm12::FormKeyDown);
    keys->Bind(order);
    keys->Bind({this});

    connect(BtnOk, &QPushButton::clicked, this, &TForm12::BtnOkClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm12::BtnCanselClick);
    connect(BtnRef, &QPushButton::clicked, this, &TForm12::BtnRefClick);
    Edit1->setFocus();
}

void TForm12::LoadEntry()
{
    const LauncherEntry e = lists_.Entry(EditPosition);
    filledFrom_ = {e.Title, e.Name, e.Option, e.Dir, e.ShortCut == " " ? QByteArray() : e.ShortCut};
    for (int i = 0; i < 5; ++i)
        edits_[size_t(i)]->setText(Shown(i, filledFrom_[size_t(i)]));
}

QByteArray TForm12::BoxBytes(int box) const
{
    const QString text = OneLine(edits_[size_t(box)]->text());
    const QByteArray &original = filledFrom_[size_t(box)];
    if (text == Shown(box, original))
        return original;
    return IsCp932Box(box) ? EncodeCp932OrQuestion(text) : text.toUtf8();
}

bool TForm12::EditBoxCheck()
{
    // What the settings file would cut is refused here, before anything is stored.
    for (int box = kTitle; box <= kShortCut; ++box) {
        if (IniFile::Protected(BoxBytes(box)).size() > IniFile::MaxValueBytes) {
            ShowMessageBox(msg::TooLong(labels_[size_t(box)]->text()), MsgKind::Warning, mbOK, this);
            edits_[size_t(box)]->setFocus();
            return false;
        }
    }
    // Blanks alone would read back from the settings file as nothing.
    if (Edit1->text().trimmed().isEmpty()) {
        ShowMessageBox(msg::NeedTitle, MsgKind::Warning, mbOK, this);
        return false;
    }
    lists_.SetTitle(EditPosition, BoxBytes(kTitle));
    if (Edit2->text().trimmed().isEmpty()) {
        ShowMessageBox(msg::NeedFileName, MsgKind::Warning, mbOK, this);
        return false;
    }
    const QByteArray shortCut = BoxBytes(kShortCut);
    lists_.SetEntry(EditPosition, {BoxBytes(kTitle), BoxBytes(kName), BoxBytes(kOption),
                                   BoxBytes(kDir), shortCut.isEmpty() ? QByteArray(" ") : shortCut});
    accept();
    return true;
}

void TForm12::BtnOkClick() { EditBoxCheck(); }

void TForm12::BtnCanselClick() { reject(); }

void TForm12::BtnRefClick()
{
    const QString start = Edit4->text().isEmpty() ? Edit2->text() : Edit4->text();
    const QString chosen = ShowOpenFileDialog(this, kProgramFilter, start);
    if (chosen.isEmpty())
        return;
    const qsizetype slash = chosen.lastIndexOf(u'/');
    if (Edit1->text().isEmpty())
        Edit1->setText(chosen.mid(slash + 1));
    Edit2->setText(chosen);
    Edit3->clear();
    Edit4->setText(chosen.left(std::max<qsizetype>(slash, 0)));
}

bool TForm12::FormKeyDown(int key, int shift)
{
    Q_UNUSED(shift);
    if (key != vk::Escape)
        return false;
    BtnCanselClick();
    return true;
}
