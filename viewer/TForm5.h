#pragma once
// The jump dialog: the line number to scroll the viewer to.
#include "viewer/ViewerDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
struct ViewerState;

class TForm5 : public ViewerDialog {
    Q_OBJECT
public:
    // Offers JumpLineNum; the answer goes to DialogText (empty when cancelled).
    TForm5(ViewerState &state, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *BtnJump = nullptr, *BtnCansel = nullptr;

    void BtnJumpClick();
    void BtnCancelClick();
    bool EditBoxKeyDown(int key, int shift);
    bool FormKeyDown(int key, int shift);

private:
    ViewerState &state_;
};
