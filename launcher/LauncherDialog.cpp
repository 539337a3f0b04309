#include "launcher/LauncherDialog.h"

#include "platform/Fonts.h"

LauncherDialog::LauncherDialog(const char *objectName, const QString &caption, QSize size, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setFont(ResolveFont(QStringLiteral("System"), 16, true));
    setFixedSize(size);
}
