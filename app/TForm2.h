#pragma once
// The separator settings dialog: the paths of the three separator files and the prefix of the
// file-name line, each separator file shown in the dialog's own view on request. Save stores the
// four values in the main window's settings; nothing reaches the settings file before the
// program ends.
#include <QByteArrayList>
#include <QDialog>

#include "app/rules/Settings.h"

class QLabel;
class QLineEdit;
class QPushButton;
class TBigView;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    // settings: the main window's; read for the view's look and the four values, written by Save.
    explicit TForm2(Settings &settings, QWidget *parent = nullptr);

    // Controls, named as the dialog's users (and its tests) know them.
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
           *Label5 = nullptr, *Label6 = nullptr;
    QPushButton *BtnSeparete1 = nullptr, *BtnDisp1 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr;
    QPushButton *BtnSeparate2 = nullptr, *BtnDisp2 = nullptr;
    QLineEdit *Edit3 = nullptr;
    QPushButton *BtnSeparate3 = nullptr, *BtnDisp3 = nullptr;
    QLineEdit *Edit4 = nullptr;
    TBigView *BigView1 = nullptr;
    QPushButton *BtnOk = nullptr, *BtnCansel = nullptr;

    // Fills the edit boxes from the settings (the opener's step before showing the dialog).
    void ShowSettings();

    // Handlers.
    void FormCreate();
    void BtnOkClick();
    void BtnCanselClick();
    void BtnSeparete1Click();
    void BtnSeparate2Click();
    void BtnSeparate3Click();
    void BtnDisp1Click();
    void BtnDisp2Click();
    void BtnDisp3Click();
    // A file dropped on the dialog (the first, when several are): shown in its view, as the
    // display buttons show one.
    void FormDropFiles(const QByteArrayList &paths);
    // Esc in any control asks as Cancel does; returns true when the key was used.
    bool FormKeyDown(int key, int shift);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void BuildControls();
    void Browse(QLineEdit *edit);
    void Display(QLineEdit *edit);
    // The bytes an edit box stands for now (see EditedPath).
    QByteArray PathOf(const QLineEdit *edit) const;

    Settings &settings_;
    QString openDialogName_;  // OpenDialog1 starts with the name last chosen in it
};
