#pragma once
// The pause form: a borderless 105 x 1 window shown modally for about 300 ms before a repeated
// search moves to its hit, so that a held key triggers at most one search per pause. Keys and
// clicks meanwhile go nowhere.
#include <QDialog>
#include <QTimer>

class TForm14 : public QDialog {
    Q_OBJECT
public:
    explicit TForm14(QWidget *parent = nullptr);
    QTimer Timer1;
    void Timer1Timer();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
};

// Shows a pause form on the top-left corner of `mainWindow` until its timer closes it.
void ShowPauseForm(const QWidget *mainWindow);
