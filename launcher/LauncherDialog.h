#pragma once
// What the launcher's dialogs share: a fixed-size dialog in the program's font.
#include <QDialog>

class LauncherDialog : public QDialog {
    Q_OBJECT
protected:
    LauncherDialog(const char *objectName, const QString &caption, QSize size, QWidget *parent);
};
