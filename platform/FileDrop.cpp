#include "platform/FileDrop.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QSysInfo>
#include <QWidget>

#include "lines/UriList.h"

namespace {
class FileDropFilter : public QObject {
public:
    FileDropFilter(QWidget *window, std::function<void(const QByteArrayList &)> onDrop)
        : QObject(window), window_(window), onDrop_(std::move(onDrop))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter: {
            // Read once as the drag comes in: a list of many files is not decoded on every move.
            const auto *enter = static_cast<QDropEvent *>(event);
            carriesFiles_ = Takes(enter) && !DraggedFiles(enter->mimeData()).isEmpty();
            [[fallthrough]];
        }
        case QEvent::DragMove:
            if (!carriesFiles_)
                return false;
            Accept(static_cast<QDropEvent *>(event));
            return true;
        case QEvent::DragLeave:
            carriesFiles_ = false;
            return false;
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            carriesFiles_ = false;
            if (!Takes(drop))
                return false;
            QByteArrayList files = DraggedFiles(drop->mimeData());
            if (files.isEmpty())
                return false;
            Accept(drop);
            QMetaObject::invokeMethod(
                window_, [onDrop = onDrop_, files = std::move(files)] { onDrop(files); }, Qt::QueuedConnection);
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    // The window takes drops unless a modal window blocks it, and only as a copy or a link:
    // accepting a move would have the file manager delete the files.
    bool Takes(const QDropEvent *event) const
    {
        const QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal != window_)
            return false;
        return event->possibleActions() & (Qt::CopyAction | Qt::LinkAction);
    }
    static void Accept(QDropEvent *event)
    {
        event->setDropAction(event->possibleActions() & Qt::CopyAction ? Qt::CopyAction : Qt::LinkAction);
        event->accept();
    }

    QPointer<QWidget> window_;
    std::function<void(const QByteArrayList &)> onDrop_;
    bool carriesFiles_ = false;
};
}  // namespace

QByteArrayList DraggedFiles(const QMimeData *data)
{
    if (!data || !data->hasFormat(QStringLiteral("text/uri-list")))
        return {};
    return LocalFilesOfUriList(data->data(QStringLiteral("text/uri-list")), QSysInfo::machineHostName().toUtf8());
}

void AcceptFileDrops(QWidget *window, std::function<void(const QByteArrayList &paths)> onDrop)
{
    auto *filter = new FileDropFilter(window, std::move(onDrop));
    window->setAcceptDrops(true);
    window->installEventFilter(filter);
    // Controls that take drops of their own (edit boxes) would paste the files' URIs as text.
    for (QWidget *child : window->findChildren<QWidget *>())
        if (child->acceptDrops())
            child->installEventFilter(filter);
}
