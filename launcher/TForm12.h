#pragma once
// The launcher entry edit dialog: the five fields of one line of the working lists.
#include <QByteArray>
#include <array>

#include "launcher/LauncherDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class LauncherWorkLists;

class TForm12 : public LauncherDialog {
    Q_OBJECT
public:
    // Edits line editPosition of lists; only OK (EditBoxCheck) stores anything.
    TForm12(LauncherWorkLists &lists, int editPosition, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
           *Label5 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr,
              *Edit5 = nullptr;
    QPushButton *BtnOk = nullptr, *BtnCansel = nullptr, *BtnRef = nullptr;
    const int EditPosition;

    // Fills the boxes from line EditPosition (the shortcut's single blank shows as empty).
    void LoadEntry();
    void BtnOkClick();
    void BtnCanselClick();
    void BtnRefClick();
    // Esc, in every control and the dialog itself (KeyRouter); true when the key was used.
    bool FormKeyDown(int key, int shift);
    // Checks the title and the file name and stores the five boxes; false while one is missing.
    bool EditBoxCheck();

private:
    // The stored bytes of a box: unchanged text keeps the bytes it was filled from, so names in
    // any encoding survive an edit of another field.
    QByteArray BoxBytes(int box) const;

    LauncherWorkLists &lists_;
    std::array<QLineEdit *, 5> edits_{};
    std::array<QLabel *, 5> labels_{};
    std::array<QByteArray, 5> filledFrom_;
};
