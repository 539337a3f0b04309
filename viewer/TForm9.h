#pragma once
// The search dialog: the search string, the direction and the case option of a Find.
#include "viewer/ViewerDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct ViewerState;

class TForm9 : public ViewerDialog {
    Q_OBJECT
public:
    // Offers FindStrName and SearchUperLower; the answer goes to SearchText and SearchBackward.
    TForm9(ViewerState &state, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *BtnSearch = nullptr, *BtnCansel = nullptr, *BtnPriorSearch = nullptr;
    QCheckBox *CheckUperLower = nullptr;

    void BtnSearchClick();
    void BtnPriorSearchClick();
    void BtnCancelClick();
    void CheckUperLowerClick();
    bool EditBoxKeyDown(int key, int shift);
    bool FormKeyDown(int key, int shift);

private:
    QByteArray EnteredText() const;

    ViewerState &state_;
};
