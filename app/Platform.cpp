#include "Platform.h"

#include "Paths.h"

#include "HelpWindow.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontDialog>
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

// ---- Common dialogs ----

QString ToQtFileFilter(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString &p : patterns) {
            p = p.trimmed();
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        filters << parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

QString ShowSaveFileDialog(QWidget *parent, const QString &filter, const QString &initialPath)
{
    QFileDialog dialog(parent, QString(), initialPath, ToQtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The program asks its own overwrite question when it writes.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

QString ShowOpenFileDialog(QWidget *parent, const QString &filter, const QString &initialPath)
{
    QFileDialog dialog(parent, QString(), initialPath, ToQtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

bool ShowFontDialog(QWidget *parent, QFont &font, QColor &color)
{
    // Qt's font dialog has no colour; the colour the caller had stays as it was.
    Q_UNUSED(color);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, parent);
    if (ok)
        font = chosen;
    return ok;
}

bool ShowColorDialog(QWidget *parent, QColor &color)
{
    const QColor chosen = QColorDialog::getColor(color, parent);
    if (!chosen.isValid())
        return false;
    color = chosen;
    return true;
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
