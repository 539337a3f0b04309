#pragma once
// The controls of the program's windows, each made in one call with the object name its window's
// users (and tests) know it by, its caption and its place on the form. An empty geometry leaves
// the place to the window's layout.
#include <QAnyStringView>
#include <QList>
#include <QRect>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

QPushButton *MakeButton(QWidget *parent, QAnyStringView name, const QString &caption, const QRect &geometry = {});
QCheckBox *MakeCheckBox(QWidget *parent, QAnyStringView name, const QString &caption, const QRect &geometry = {});
QLabel *MakeLabel(QWidget *parent, QAnyStringView name, const QString &caption, const QRect &geometry = {});
QLineEdit *MakeEdit(QWidget *parent, QAnyStringView name, const QRect &geometry = {});

// Tab moves through the controls in the order listed.
void SetTabOrder(const QList<QWidget *> &controls);
