#include "TForm13.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

#include "Fonts.h"
#include "KeyMap.h"
#include "ShiftJis.h"

TForm13::TForm13(int &chosenEntry, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      chosenEntry_(chosenEntry)
{
    setObjectName("Form13");
    setWindowTitle(QStringLiteral("Talvo (ﾗﾝﾁｬｰ実行)"));
    setFont(ResolveFont(QStringLiteral("System"), 16, true));
    setFixedSize(402, 206);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setGeometry(8, 8, 280, 190);
    BtnOk = new QPushButton(QStringLiteral("実行(&O)"), this);
    BtnOk->setObjectName("BtnOk");
    BtnOk->setGeometry(298, 8, 96, 27);
    BtnCansel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    BtnCansel->setObjectName("BtnCansel");
    BtnCansel->setGeometry(298, 40, 96, 27);
    setTabOrder(ListBox1, BtnOk);
    setTabOrder(BtnOk, BtnCansel);
    for (QWidget *w : {static_cast<QWidget *>(ListBox1), static_cast<QWidget *>(BtnOk),
                       static_cast<QWidget *>(BtnCansel)})
        w->installEventFilter(this);

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
    return FormKeyDown(key, shift);
}

bool TForm13::FormKeyDown(int key, int shift)
{
    Q_UNUSED(shift);
    if (key != vk::Escape)
        return false;
    BtnCanselClick();
    return true;
}

bool TForm13::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const VirtualKey vk = MapKeyEvent(static_cast<QKeyEvent *>(event));
        return watched == ListBox1 ? ListBoxKeyDown(vk.key, vk.shift) : FormKeyDown(vk.key, vk.shift);
    }
    return QDialog::eventFilter(watched, event);
}

void TForm13::keyPressEvent(QKeyEvent *event)
{
    const VirtualKey vk = MapKeyEvent(event);
    if (!FormKeyDown(vk.key, vk.shift))
        QDialog::keyPressEvent(event);
}
