#pragma once
// The launcher's run dialog: the entries in use, one line each; the chosen entry goes back to
// the main window's ChosenEntry.
#include <vector>

#include "launcher/LauncherDialog.h"
#include "launcher/LauncherRun.h"

class QListWidget;
class QPushButton;

class TForm13 : public LauncherDialog {
    Q_OBJECT
public:
    // chosenEntry: the main window's ChosenEntry; the handlers write the chosen entry's number,
    // 0 when no line is selected, -1 for none.
    explicit TForm13(int &chosenEntry, QWidget *parent = nullptr);

    QListWidget *ListBox1 = nullptr;
    QPushButton *BtnOk = nullptr, *BtnCansel = nullptr;

    // Empties the list and appends the lines, each remembering the entry it shows.
    void SetLines(const std::vector<LauncherRunLine> &lines);
    // One empty line that starts nothing (no entry is in use).
    void AddEmptyLine();

    void BtnOkClick();
    void ListBox1Click();
    void BtnCanselClick();
    // Key-down handlers (KeyRouter): the list's Enter, then the form's Esc, which works in the
    // list, both buttons and the dialog itself; true when the key was used.
    bool ListBoxKeyDown(int key, int shift);
    bool FormKeyDown(int key, int shift);

private:
    // The entry number of the selected line, 0 when none is selected.
    int SelectedEntry() const;

    int &chosenEntry_;
    std::vector<int> lineEntries_;
};
