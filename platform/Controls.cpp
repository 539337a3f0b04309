#include "platform/Controls.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
template <class Control>
Control *Named(Control *control, QAnyStringView name, const QRect &geometry)
{
    control->setObjectName(name);
    if (!geometry.isNull())
        control->setGeometry(geometry);
    return control;
}
}  // namespace

QPushButton *MakeButton(QWidget *parent, QAnyStringView name, const QString &caption, const QRect &geometry)
{
    return Named(new QPushButton(caption, parent), name, geometry);
}

QCheckBox *MakeCheckBox(QWidget *parent, QAnyStringView name, const QString &caption, const QRect &geometry)
{
    return Named(new QCheckBox(caption, parent), name, geometry);
}

QLabel *MakeLabel(QWidget *parent, QAnyStringView name, const QString &caption, const QRect &geometry)
{
    return Named(new QLabel(caption, parent), name, geometry);
}

QLineEdit *MakeEdit(QWidget *parent, QAnyStringView name, const QRect &geometry)
{
    return Named(new QLineEdit(parent), name, geometry);
}

void SetTabOrder(const QList<QWidget *> &controls)
{
    for (qsizetype i = 0; i + 1 < controls.size(); ++i)
        QWidget::setTabOrder(controls[i], controls[i + 1]);
}
