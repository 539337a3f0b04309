#pragma once
// The launcher settings dialog: the titles of the entries in use and the buttons that change
// the working lists; OK stores them as the nine entries and writes the settings file.
#include <QString>

#include "launcher/LauncherDialog.h"
#include "launcher/LauncherWorkLists.h"

class QListWidget;
class QPushButton;

class TForm11 : public LauncherDialog {
    Q_OBJECT
public:
    // lists: the main window's working lists; entries: its entry arrays, which OK fills before
    // it writes them to settingsFile.
    TForm11(LauncherWorkLists &lists, LauncherEntries &entries, const QByteArray &settingsFile,
            QWidget *parent = nullptr);

    QListWidget *ListBox1 = nullptr;
    QPushButton *BtnAdd = nullptr, *BtnEdit = nullptr, *BtnUp = nullptr, *BtnDown = nullptr,
                *BtnCut = nullptr, *BtnCopy = nullptr, *BtnPaste = nullptr, *BtnDel = nullptr,
                *BtnOk = nullptr, *BtnCansel = nullptr;

    // Shows the titles of the working lists and selects line `select` (the last line when it
    // is past the end).
    void RefillList(int select);

    void BtnOkClick();
    void BtnCanselClick();
    void BtnAddClick();
    void BtnEditClick();
    void BtnUpClick();
    void BtnDownClick();
    void BtnCutClick();
    void BtnCopyClick();
    void BtnPasteClick();
    void BtnDelClick();
    // Key-down handlers (KeyRouter): the list's, then the form's Esc, which works in the list,
    // every button and the dialog itself; true when the key was used.
    bool FormKeyDown(int key, int shift);
    bool ListBoxKeyDown(int key, int shift);

private:
    int Selection() const;
    // Opens the entry edit dialog on one line of the working lists.
    void EditLine(int position, bool fromLine);
    // Cut and Copy take only an entry in use: the list's one empty line is nothing to keep.
    bool CopySelection();

    LauncherWorkLists &lists_;
    LauncherEntries &entries_;
    QByteArray settingsFile_;
    LauncherEntry clipboard_;  // the entry clipboard; empty until Cut or Copy
};
