#include "platform/BackgroundWork.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <thread>

#include "platform/BusyCursor.h"

namespace {
int progressDelay = 500;

// The progress window: what is done, the item, the count, a bar and 中止.
class ProgressWindow : public QDialog {
public:
    ProgressWindow(QWidget *owner, const QString &doing, JobControl &job) : QDialog(owner), job_(job)
    {
        setWindowTitle(QStringLiteral("Talvo (進行状況)"));
        setWindowModality(Qt::ApplicationModal);
        setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        auto *layout = new QVBoxLayout(this);
        doing_ = new QLabel(doing + QStringLiteral("..."), this);
        item_ = new QLabel(this);
        count_ = new QLabel(this);
        bar_ = new QProgressBar(this);
        bar_->setTextVisible(false);
        bar_->setMinimumWidth(360);
        stop_ = new QPushButton(QStringLiteral("中止"), this);
        item_->setTextFormat(Qt::PlainText);
        layout->addWidget(doing_);
        layout->addWidget(item_);
        layout->addWidget(count_);
        layout->addWidget(bar_);
        auto *buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(stop_);
        buttons->addStretch();
        layout->addLayout(buttons);
        connect(stop_, &QPushButton::clicked, this, [this] { Stop(); });
        Update();
    }

    void Update()
    {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::DefaultNumberOptions);  // with thousands separators
        const QString item = job_.Item();
        item_->setText(item.isEmpty() ? QString() : QStringLiteral("ﾌｧｲﾙ: ") + item);
        const qint64 total = job_.Total(), done = job_.Done();
        if (total > 0) {
            count_->setText(c.toString(std::min(done, total)) + QStringLiteral(" / ") + c.toString(total) +
                            QStringLiteral(" ﾊﾞｲﾄ (%1%)").arg(std::min<qint64>(100, done * 100 / total)));
            bar_->setRange(0, 1000);
            bar_->setValue(int(std::min<qint64>(1000, done * 1000 / total)));
        } else if (const qint64 lines = job_.TotalLines(); lines > 0) {
            const qint64 doneLines = std::min(job_.Lines(), lines);
            count_->setText(c.toString(doneLines) + QStringLiteral(" / ") + c.toString(lines) +
                            QStringLiteral(" 行 (%1%)").arg(doneLines * 100 / lines));
            bar_->setRange(0, 1000);
            bar_->setValue(int(doneLines * 1000 / lines));
        } else {
            // A pipe: no end to measure against, only what came so far.
            count_->setText(c.toString(job_.Lines()) + QStringLiteral(" 行"));
            bar_->setRange(0, 0);
        }
    }

    bool IsStopButton(const QObject *o) const { return o == this || (o && isAncestorOf(qobject_cast<const QWidget *>(o))); }

protected:
    void reject() override { Stop(); }  // Esc and the close box
    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->key() == Qt::Key_Escape) {
            Stop();
            return;
        }
        QDialog::keyPressEvent(e);
    }

private:
    void Stop()
    {
        job_.Cancel();
        stop_->setEnabled(false);
    }

    JobControl &job_;
    QLabel *doing_, *item_, *count_;
    QProgressBar *bar_;
    QPushButton *stop_;
};

// Swallows the user's input to every window but the progress window while work runs.
class InputGate : public QObject {
public:
    QPointer<ProgressWindow> window;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Drop:
        case QEvent::DragEnter:
        case QEvent::DragMove:
            return !(window && window->IsStopButton(watched));
        default:
            return false;
        }
    }
};

class Runner;
Runner *current = nullptr;

class Runner {
public:
    Runner(QWidget *owner, const QString &doing, JobControl &job) : owner_(owner), doing_(doing), job_(job)
    {
        qApp->installEventFilter(&gate_);
    }
    ~Runner() { Release(); }

    void Run(const std::function<void()> &work)
    {
        QEventLoop loop;
        QObject context;
        std::exception_ptr error;
        std::thread worker([&] {
            try {
                work();
            } catch (...) {
                error = std::current_exception();
            }
            QMetaObject::invokeMethod(&context, [&loop] { loop.quit(); }, Qt::QueuedConnection);
        });
        QTimer show;
        show.setSingleShot(true);
        QObject::connect(&show, &QTimer::timeout, &context, [this] { ShowWindow(); });
        show.start(progressDelay);
        QTimer update;
        QObject::connect(&update, &QTimer::timeout, &context, [this] {
            if (window_)
                window_->Update();
        });
        update.start(100);
        loop.exec();
        worker.join();
        show.stop();
        update.stop();
        Release();
        if (error)
            std::rethrow_exception(error);
    }

    // Before a box the worker wants: the window goes for good and input flows again.
    void Release()
    {
        released_ = true;
        if (window_) {
            window_->hide();
            delete window_;
        }
        qApp->removeEventFilter(&gate_);
        busy_.End();
    }

    JobControl &Job() { return job_; }

private:
    void ShowWindow()
    {
        if (released_ || window_)
            return;
        busy_.End();
        window_ = new ProgressWindow(owner_, doing_, job_);
        gate_.window = window_;
        window_->adjustSize();
        if (owner_) {
            const QWidget *top = owner_->window();
            window_->move(top->frameGeometry().center() - window_->rect().center());
        }
        window_->show();
        window_->raise();
        window_->activateWindow();
    }

    QWidget *owner_;
    QString doing_;
    JobControl &job_;
    InputGate gate_;
    BusyCursor busy_;
    QPointer<ProgressWindow> window_;
    bool released_ = false;
};
}

void RunInBackground(QWidget *owner, const QString &doing, JobControl &job, const std::function<void()> &work)
{
    if (current || QThread::currentThread() != qApp->thread()) {
        work();
        return;
    }
    Runner runner(owner, doing, job);
    current = &runner;
    try {
        runner.Run(work);
    } catch (...) {
        current = nullptr;
        throw;
    }
    current = nullptr;
}

void CallOnWindowThread(const std::function<void()> &call)
{
    if (QThread::currentThread() == qApp->thread()) {
        if (current)
            current->Release();
        call();
        return;
    }
    QMetaObject::invokeMethod(qApp, [&call] {
        if (current)
            current->Release();
        call();
    }, Qt::BlockingQueuedConnection);
}

bool BackgroundWorkRunning()
{
    return current != nullptr;
}

bool StopBackgroundWork()
{
    if (!current)
        return false;
    current->Job().Cancel();
    return true;
}

void SetProgressDelayForTests(int milliseconds)
{
    progressDelay = milliseconds;
}
