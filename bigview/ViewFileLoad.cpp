#include "bigview/ViewFileLoad.h"

#include <algorithm>
#include <functional>
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
        ShowFileAgainInView(view, path, failureText, parent);
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

namespace {
enum class Outcome { Loaded, Failed, Stopped };

// The one list of load failures; whatever was read before a failure or a stop goes too.
// `read` reads the file's lines, `view` takes them here.
Outcome LoadInto(TBigView &view, const std::function<TBvStrings::FileRead()> &read)
{
    StopFollowing(view);
    view.Clear();
    try {
        view.TakeRead(read());
        return Outcome::Loaded;
    } catch (const EJobCancelled &) {
        view.Clear();
        return Outcome::Stopped;
    } catch (const EInOutError &) {
    } catch (const EListError &) {
    } catch (const std::bad_alloc &) {
    }
    view.Clear();
    return Outcome::Failed;
}
}

bool LoadFileIntoView(TBigView &view, const QByteArray &path)
{
    return LoadInto(view, [&] { return TBvStrings::ReadFile(path, nullptr, view.EncodingChoice()); }) == Outcome::Loaded;
}

bool ShowFileInView(TBigView &view, const QByteArray &path, const QString &failureText, QWidget *parent)
{
    // The file is indexed (or a pipe read) in the background; the view takes the lines here.
    const Outcome outcome = LoadInto(view, [&] {
        JobControl job;
        TBvStrings::FileRead read;
        const std::optional<TextEncoding> encoding = view.EncodingChoice();
        RunInBackground(parent ? parent : view.window(), QStringLiteral("読込中"), job,
                        [&] { read = TBvStrings::ReadFile(path, &job, encoding); });
        return read;
    });
    if (outcome == Outcome::Loaded)
        FollowShownFile(view, path, failureText, parent);
    else if (outcome == Outcome::Failed)
        ShowMessageBox(failureText, MsgKind::Warning, mbAbort, parent);
    // Stopped: an empty view, as after a failure, without the message.
    return outcome == Outcome::Loaded;
}

bool ShowFileAgainInView(TBigView &view, const QByteArray &path, const QString &failureText, QWidget *parent)
{
    const int topLine = view.RowCount() > 0 ? view.RowToLine(view.TopRow()) : -1;
    if (!ShowFileInView(view, path, failureText, parent))
        return false;
    if (topLine >= 0 && view.RowCount() > 0)
        view.SetTopRow(std::min(view.LineToRow(topLine), view.RowCount() - 1));
    return true;
}
