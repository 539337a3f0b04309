#pragma once
// The wrap setting dialog: the saved wrap flag and byte count, applied to the viewer's view.
#include "viewer/ViewerDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TBigView;
struct ViewerState;

class TForm4 : public ViewerDialog {
    Q_OBJECT
public:
    TForm4(ViewerState &state, TBigView *view, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *BtnOk = nullptr, *BtnCansel = nullptr;

    // Checks the byte count; a refused one keeps the dialog open for a correction.
    void BtnOkClick();
    void BtnCanselClick();
    bool FormKeyDown(int key, int shift);

private:
    ViewerState &state_;
    TBigView *view_;
};
