#include "launcher/LauncherDialog.h"

#include <QKeyEvent>
#include <QPushButton>

#include "platform/Fonts.h"
#include "platform/KeyMap.h"

LauncherDialog::LauncherDialog(const char *objectName, const QString &caption, QSize size, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setFont(ResolveFont(QStringLiteral("System"), 16, true));
    setFixedSize(size);
}

QPushButton *LauncherDialog::AddButton(const char *objectName, const QString &caption, const QRect &geometry)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(objectName);
    button->setGeometry(geometry);
    return button;
}

void LauncherDialog::WatchKeys(const QList<QWidget *> &controls)
{
    for (qsizetype i = 0; i + 1 < controls.size(); ++i)
        setTabOrder(controls[i], controls[i + 1]);
    for (QWidget *w : controls)
        w->installEventFilter(this);
}

bool LauncherDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const VirtualKey vk = MapKeyEvent(static_cast<QKeyEvent *>(event));
        return KeyDown(watched, vk.key, vk.shift);
    }
    return QDialog::eventFilter(watched, event);
}

void LauncherDialog::keyPressEvent(QKeyEvent *event)
{
    const VirtualKey vk = MapKeyEvent(event);
    if (!KeyDown(this, vk.key, vk.shift))
        QDialog::keyPressEvent(event);
}
