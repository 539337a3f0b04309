#pragma once
// The wrap switch dialog: wrap at the window width, or by the saved wrap settings.
#include "viewer/ViewerDialog.h"

class QPushButton;
struct ViewerState;

class TForm7 : public ViewerDialog {
    Q_OBJECT
public:
    // Offers the way the view is not wrapped now: the window width while wrapByte is not 0,
    // else the saved settings. The answer goes to WrapSwitchChoice (-1 when none was made).
    TForm7(ViewerState &state, int wrapByte, QWidget *parent = nullptr);

    QPushButton *BtnWrapON = nullptr, *BtnWrapOff = nullptr, *BtnCansel = nullptr;

    void BtnWrapONClick();
    void BtnWrapOffClick();
    void BtnCanselClick();
    bool FormKeyDown(int key, int shift);

private:
    ViewerState &state_;
};
