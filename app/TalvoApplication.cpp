#include "app/TalvoApplication.h"

#include <QIcon>

#include <exception>

#include "platform/DialogKeys.h"
#include "platform/MessageBox.h"

TalvoApplication::TalvoApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    InstallDialogKeys(this);
    ApplyIdentity();
}

void TalvoApplication::ApplyIdentity()
{
    // The window class and, on Wayland, the application id: the desktop groups the windows under
    // the menu entry talvo.desktop whatever the executable's own name is.
    setApplicationName(QStringLiteral("talvo"));
    setDesktopFileName(QStringLiteral("talvo"));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/talvo.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
}

bool TalvoApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ReportError(QString::fromUtf8(e.what()));
    } catch (...) {
        ReportError(QStringLiteral("予期しないエラーが発生しました。"));
    }
    return false;
}

void TalvoApplication::ReportError(const QString &text)
{
    // A handler that fails on every paint would otherwise open one box inside the other
    // without end; while a box is up, further failures are not reported again.
    if (reporting_ > 0)
        return;
    ++reporting_;
    try {
        ShowMessageBox(text, MsgKind::Error, mbOK);
    } catch (...) {
    }
    --reporting_;
}
