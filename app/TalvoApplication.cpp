#include "app/TalvoApplication.h"

#include <exception>

#include "platform/DialogKeys.h"
#include "platform/MessageBox.h"

TalvoApplication::TalvoApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    InstallDialogKeys(this);
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
