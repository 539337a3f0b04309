#include "platform/HelpWindow.h"

#include "platform/ProgramFile.h"
#include "platform/WindowPlacement.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

namespace {
QPointer<HelpWindow> &TheWindow()
{
    static QPointer<HelpWindow> window;
    return window;
}

std::function<void()> &HelpHandler()
{
    static std::function<void()> handler;
    return handler;
}
}  // namespace

void SetHelpHandler(std::function<void()> handler)
{
    HelpHandler() = std::move(handler);
}

void OpenHelp()
{
    if (HelpHandler())
        HelpHandler()();
    else
        HelpWindow::Open(HelpFilePath());
}

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Talvo (ﾍﾙﾌﾟ)"));
    // The help must not keep the program alive once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);

    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    resize(760, 600);
}

void HelpWindow::ShowFile(const QString &path)
{
    file_ = path;
    const QString shown = QDir::toNativeSeparators(path).toHtmlEscaped();
    QFile f(path);
    if (!f.exists()) {
        browser_->setHtml(QStringLiteral("<p>ﾍﾙﾌﾟﾌｧｲﾙ %1 が見つかりません。</p>").arg(shown));
        return;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        browser_->setHtml(QStringLiteral("<p>ﾍﾙﾌﾟﾌｧｲﾙ %1 を読み込めません。</p>").arg(shown));
        return;
    }
    f.close();
    // Through the file's URL, so that links inside it and beside it resolve.
    browser_->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()),
                        QTextDocument::HtmlResource);
    if (browser_->document()->isEmpty())
        browser_->setHtml(QStringLiteral("<p>ﾍﾙﾌﾟﾌｧｲﾙ %1 に内容がありません。</p>").arg(shown));
}

HelpWindow *HelpWindow::Instance()
{
    return TheWindow();
}

HelpWindow *HelpWindow::Open(const QString &path)
{
    HelpWindow *w = TheWindow();
    const bool fresh = !w;
    if (fresh) {
        w = new HelpWindow;
        TheWindow() = w;
    }
    // Read anew on every request: the file may have been put in place since.
    w->ShowFile(path);

    // A modal window (a message box's Help button) would block a window of its own; tied to
    // the modal window, the help stays usable beside it.
    w->winId();
    QWindow *owner = nullptr;
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != w) {
        modal->winId();
        owner = modal->windowHandle();
    }
    if (w->windowHandle())
        w->windowHandle()->setTransientParent(owner);
    if (fresh)
        CentreOnScreen(w);
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}
