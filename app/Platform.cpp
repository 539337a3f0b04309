#include "Platform.h"

#include "Paths.h"

#include "HelpWindow.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <exception>

// ---- Help ----

namespace {
std::function<void()> &HelpHandler()
{
    static std::function<void()> handler;
    return handler;
}

QString &ProgramFileOverride()
{
    static QString path;
    return path;
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

void SetProgramFile(const QString &path)
{
    ProgramFileOverride() = path;
}

QString ProgramFile()
{
    if (!ProgramFileOverride().isEmpty())
        return ProgramFileOverride();
    return QCoreApplication::applicationFilePath();
}

QString HelpFilePath()
{
    return ChangeFileExt(ProgramFile(), QStringLiteral(".HLP"));
}

// ---- Windows ----

void CentreOnScreen(QWidget *window)
{
    if (!window)
        return;
    window = window->window();
    QScreen *screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // Once shown, the frame belongs to the window's size; before that only the client size
    // is known.
    const QSize size = window->isVisible() ? window->frameGeometry().size() : window->size();
    // C++ division truncates toward zero, as the centring rule asks.
    const int left = area.x() + (area.width() - size.width()) / 2;
    const int top = area.y() + (area.height() - size.height()) / 2;
    window->move(left, top);
}

// ---- Fonts ----

namespace {
QString SystemFontFamily()
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char *candidate : {"IPAGothic", "VL Gothic", "Noto Sans Mono CJK JP"}) {
            const QString name = QString::fromLatin1(candidate);
            if (installed.contains(name, Qt::CaseInsensitive))
                return name;
        }
        return QString();
    }();
    return family;
}
}  // namespace

QFont ResolveFont(const QString &name, int size, bool sizeIsPixels)
{
    QFont font;
    if (name.compare(QLatin1String("system"), Qt::CaseInsensitive) == 0) {
        const QString family = SystemFontFamily();
        if (family.isEmpty()) {
            font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        } else {
            font = QFont(family);
            font.setStyleHint(QFont::Monospace);
            font.setFixedPitch(true);
        }
    } else {
        font = QFont(name);
    }
    if (size < 0) {
        sizeIsPixels = true;
        size = -size;
    }
    if (size > 0) {
        if (sizeIsPixels)
            font.setPixelSize(size);
        else
            font.setPointSize(size);
    }
    return font;
}

// ---- Application ----

TalvoApplication::TalvoApplication(int &argc, char **argv) : QApplication(argc, argv) {}

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
