#pragma once
// The scroll setting dialog: how many rows a search leaves above its hit.
#include "viewer/ViewerDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
struct ViewerState;

class TForm6 : public ViewerDialog {
    Q_OBJECT
public:
    TForm6(ViewerState &state, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *BtnOk = nullptr, *BtnCansel = nullptr;

    // Checks the value; a refused one keeps the dialog open for a correction.
    void BtnOkClick();
    void BtnCanselClick();
    bool EditBoxKeyDown(int key, int shift);
    bool FormKeyDown(int key, int shift);

private:
    ViewerState &state_;
};
