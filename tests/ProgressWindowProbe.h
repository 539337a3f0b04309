#pragma once
// Window tests of work in the background: finding the progress window and acting on it while
// the work runs.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace progressprobe {
// The progress window while it shows, or none.
inline QDialog *ProgressWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible() && d->windowTitle() == "Talvo (進行状況)")
            return d;
    return nullptr;
}

inline QStringList Texts(QWidget *window)
{
    QStringList texts;
    for (QLabel *label : window->findChildren<QLabel *>())
        texts << label->text();
    return texts;
}

// Waits (inside the job's own wait) for the progress window, then hands it to `act`; the wait
// goes with `owner` when the window never shows.
inline void WhenProgressShows(QObject *owner, const std::function<void(QDialog *)> &act)
{
    auto *poll = new QTimer(owner);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (QDialog *window = ProgressWindow()) {
            poll->stop();
            poll->deleteLater();
            act(window);
        }
    });
    poll->start(20);
}
}  // namespace progressprobe
