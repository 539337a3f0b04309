#include "viewer/TForm17.h"

#include <QLabel>
#include <QMouseEvent>

#include "platform/Controls.h"
#include "platform/Fonts.h"
#include "platform/KeyRouter.h"
#include "platform/WindowPlacement.h"

namespace {
std::function<void(const QString &)> &Hook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}
}

TForm17::TForm17(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName("Form17");
    setWindowTitle(QStringLiteral("Talvo (ﾒｯｾｰｼﾞ)"));
    setFont(ResolveFont(QStringLiteral("System"), 19, true));
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setFixedSize(392, 73);
    Label1 = MakeLabel(this, "Label1", QString(), {20, 25, 350, 20});
    // The label never grows: a longer text is cut at its right edge, as it stands.
    Label1->setWordWrap(false);
    Label1->setTextFormat(Qt::PlainText);
    Label1->installEventFilter(this);
    // Any key closes the window.
    auto *keys = new KeyRouter(this, &TForm17::FormKeyDown);
    keys->Bind({this});
}

void TForm17::FormClick() { close(); }
bool TForm17::FormKeyDown(int key, int shift)
{
    Q_UNUSED(key);
    Q_UNUSED(shift);
    close();
    return true;
}

void TForm17::mousePressEvent(QMouseEvent *e)
{
    QDialog::mousePressEvent(e);
    FormClick();
}

bool TForm17::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == Label1 && e->type() == QEvent::MouseButtonPress) {
        FormClick();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void ShowMessageWindow(const QString &text, QWidget *parent)
{
    if (Hook()) {
        Hook()(text);
        return;
    }
    TForm17 form(parent);
    CentreOnScreen(&form);
    form.Label1->setText(text);
    form.exec();
}

void SetMessageWindowHook(std::function<void(const QString &text)> hook) { Hook() = std::move(hook); }
