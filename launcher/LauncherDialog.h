#pragma once
// What the launcher's dialogs share: a fixed-size dialog in the program's font whose controls
// hand their key-downs to the dialog's handlers as virtual-key codes.
#include <QDialog>
#include <QList>
#include <QRect>

class QPushButton;

class LauncherDialog : public QDialog {
    Q_OBJECT
protected:
    LauncherDialog(const char *objectName, const QString &caption, QSize size, QWidget *parent);

    QPushButton *AddButton(const char *objectName, const QString &caption, const QRect &geometry);
    // Sets the tab order as listed and sends the key-downs of these controls to KeyDown.
    void WatchKeys(const QList<QWidget *> &controlsInTabOrder);
    // A key-down of a watched control or of the dialog itself; true when the key was used.
    virtual bool KeyDown(QObject *receiver, int key, int shift) = 0;

    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
