#include "bigview/ViewFileLoad.h"

#include <algorithm>
#include <new>

#include <QTimer>

#include "bigview/BigView.h"
#include "lines/ListErrors.h"
#include "platform/BackgroundWork.h"
#include "platform/MessageBox.h"

namespace {
constexpr char FollowerName[] = "talvo-shown-file";

// Answers the view's SourceChanged for the file it was shown: loads it again, keeping the top
// line, or shows the failure. Replaced by each load.
void FollowShownFile(TBigView &view, const QByteArray &path, const QString &failureText, QWidget *parent)
{
    auto *follower = new QObject(&view);
    follower->setObjectName(FollowerName);
    QObject::connect(&view, &TBigView::SourceChanged, follower, [&view, path, failureText, parent] {
        if (BackgroundWorkRunning()) {
            // Work in the background may be reading these very lines: the reload waits for it.
            QTimer::singleShot(200, &view, [&view] { emit view.SourceChanged(); });
            return;
        }
        const int topLine = view.RowCount() > 0 ? view.RowToLine(view.TopRow()) : -1;
        if (ShowFileInView(view, path, failureText, parent) && topLine >= 0 && view.RowCount() > 0)
            view.SetTopRow(std::min(view.LineToRow(topLine), view.RowCount() - 1));
    });
}

void StopFollowing(TBigView &view)
{
    for (QObject *old : view.findChildren<QObject *>(FollowerName, Qt::FindDirectChildrenOnly)) {
        old->disconnect();
        QObject::disconnect(&view, nullptr, old, nullptr);
        old->deleteLater();  // it may be the one whose answer is running
    }
}
}

bool LoadFileIntoView(TBigView &view, const QByteArray &path)
{
    StopFollowing(view);
    try {
        view.Clear();
        view.LoadFromFile(path);
        return true;
    } catch (const EInOutError &) {
    } catch (const EListError &) {
    } catch (const std::bad_alloc &) {
    }
    // Whatever was read before the failure goes too.
    view.Clear();
    return false;
}

bool ShowFileInView(TBigView &view, const QByteArray &path, const QString &failureText, QWidget *parent)
{
    StopFollowing(view);
    view.Clear();
    JobControl job;
    try {
        // The file is indexed (or a pipe read) in the background; the view takes the lines here.
        TBvStrings::FileRead read;
        RunInBackground(parent ? parent : view.window(), QStringLiteral("読込中"), job,
                        [&] { read = TBvStrings::ReadFile(path, &job); });
        view.TakeRead(std::move(read));
        FollowShownFile(view, path, failureText, parent);
        return true;
    } catch (const EJobCancelled &) {
        view.Clear();  // stopped: an empty view, as after a failure, without the message
        return false;
    } catch (const EInOutError &) {
    } catch (const EListError &) {
    } catch (const std::bad_alloc &) {
    }
    view.Clear();
    ShowMessageBox(failureText, MsgKind::Warning, mbAbort, parent);
    return false;
}
