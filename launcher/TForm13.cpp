#include "launcher/TForm13.h"

#include <QListWidget>
#include <QPushButton>

#include "platform/Controls.h"
#include "platform/KeyRouter.h"
#include "lines/ShiftJis.h"
#include "platform/VirtualKeys.h"

namespace {
// The run list: a typed character moves to the next line that begins with it, wrapping at the
// end, so each line's shortcut selects it and typing it again moves to the next such line. Qt's
// own search would join characters typed in quick succession into one search.
class RunList : public QListWidget {
public:
    using QListWidget::QListWidget;

    void keyboardSearch(const QString &search) override
    {
        const int n = count();
        if (search.isEmpty() || n == 0)
            return;
        const int from = currentRow();
        for (int step = 1; step <= n; ++step) {
            const int row = (from + step) % n;
            if (item(row)->text().startsWith(search, Qt::CaseInsensitive)) {
                setCurrentRow(row);
                return;
            }
        }
    }
};
}  // namespace

TForm13::TForm13(int &chosenEntry, QWidget *parent)
    : LauncherDialog("Form13", QStringLiteral("Talvo (ﾗﾝﾁｬｰ実行)"), {402, 206}, parent),
      chosenEntry_(chosenEntry)
{
    ListBox1 = new RunList(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setGeometry(8, 8, 280, 190);
    BtnOk = MakeButton(this, "BtnOk", QStringLiteral("実行(&O)"), {298, 8, 96, 27});
    BtnCansel = MakeButton(this, "BtnCansel", QStringLiteral("ｷｬﾝｾﾙ"), {298, 40, 96, 27});
    const QList<QWidget *> order{ListBox1, BtnOk, BtnCansel};
    SetTabOrder(order);
    // Enter in the list runs the entry; Esc works in every control and in the dialog itself.
    auto *keys = new KeyRouter(this, &TForm13::FormKeyDown);
    keys->Bind(ListBox1, &TForm13::ListBoxKeyDown);
    keys->Bind(order);
    keys->Bind({this});

    connect(BtnOk, &QPushButton::clicked, this, &TForm13::BtnOkClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm13::BtnCanselClick);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TForm13::ListBox1Click);
    ListBox1->setFocus();
}

void TForm13::SetLines(const std::vector<LauncherRunLine> &lines)
{
    ListBox1->clear();
    lineEntries_.clear();
    for (const LauncherRunLine &line : lines) {
        ListBox1->addItem(DecodeCp932(line.text));
        lineEntries_.push_back(line.entry);
    }
}

void TForm13::AddEmptyLine()
{
    ListBox1->addItem(QString());
    lineEntries_.push_back(0);
}

int TForm13::SelectedEntry() const
{
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= int(lineEntries_.size()) || !ListBox1->currentItem()->isSelected())
        return 0;
    return lineEntries_[size_t(row)];
}

void TForm13::BtnOkClick()
{
    chosenEntry_ = SelectedEntry();
    accept();
}

void TForm13::ListBox1Click() { BtnOkClick(); }

void TForm13::BtnCanselClick()
{
    chosenEntry_ = -1;
    reject();
}

bool TForm13::ListBoxKeyDown(int key, int shift)
{
    Q_UNUSED(shift);
    if (key == vk::Return) {
        BtnOkClick();
        return true;
    }
    return false;
}

bool TForm13::FormKeyDown(int key, int shift)
{
    Q_UNUSED(shift);
    if (key != vk::Escape)
        return false;
    BtnCanselClick();
    return true;
}
