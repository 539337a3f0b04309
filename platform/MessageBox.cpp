// The program's message box: one dialog whose captions, icons, button order, default and
// escape rules are the same on every desktop style (QMessageBox reorders buttons per style).
#include "platform/MessageBox.h"

#include "platform/DialogKeys.h"

#include "platform/HelpWindow.h"
#include "platform/WindowPlacement.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <vector>

namespace {

MessageBoxHook &Hook()
{
    static MessageBoxHook hook;
    return hook;
}

struct ButtonDef {
    MsgButton bit;
    const char *name;     // objectName, for tests and accessibility
    const char *caption;  // UTF-8
    int result;           // 0: Help, which does not close the box
    char mnemonic;        // plain letter that presses it too, 0 for none
};

constexpr ButtonDef Buttons[] = {
    {mbYes, "Yes", "はい(&Y)", mrYes, 'Y'},
    {mbNo, "No", "いいえ(&N)", mrNo, 'N'},
    {mbOK, "OK", "OK", mrOk, 0},
    {mbCancel, "Cancel", "ｷｬﾝｾﾙ", mrCancel, 0},
    {mbAbort, "Abort", "中止(&A)", mrAbort, 'A'},
    {mbRetry, "Retry", "再試行(&R)", mrRetry, 'R'},
    {mbIgnore, "Ignore", "無視(&I)", mrIgnore, 'I'},
    {mbAll, "All", "すべて", mrAll, 0},
    {mbHelp, "Help", "ﾍﾙﾌﾟ(&H)", 0, 'H'},
};

// LF, CR, CR LF and LF CR each end a line; a label would draw a lone CR as a box.
QString DisplayText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            out += u'\n';
            if (i + 1 < text.size()) {
                const QChar next = text.at(i + 1);
                if ((next == u'\r' || next == u'\n') && next != c)
                    ++i;
            }
        } else {
            out += c;
        }
    }
    return out;
}

class MessageDialog : public QDialog {
public:
    MessageDialog(const QString &text, MsgKind kind, unsigned buttons, QWidget *parent)
        : QDialog(parent ? parent->window() : nullptr,
                  Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                      Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    {
        setObjectName(QStringLiteral("MessageBox"));
        setModal(true);

        QStyle::StandardPixmap icon = QStyle::SP_MessageBoxInformation;
        switch (kind) {
        case MsgKind::Warning:
            setWindowTitle(QStringLiteral("警告"));
            icon = QStyle::SP_MessageBoxWarning;
            break;
        case MsgKind::Error:
            setWindowTitle(QStringLiteral("ｴﾗｰ"));
            icon = QStyle::SP_MessageBoxCritical;
            break;
        case MsgKind::Information:
            setWindowTitle(QStringLiteral("情報"));
            icon = QStyle::SP_MessageBoxInformation;
            break;
        case MsgKind::Confirmation:
            setWindowTitle(QStringLiteral("確認"));
            icon = QStyle::SP_MessageBoxQuestion;
            break;
        }

        auto *iconLabel = new QLabel(this);
        iconLabel->setObjectName(QStringLiteral("Icon"));
        const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        iconLabel->setPixmap(style()->standardIcon(icon, nullptr, this).pixmap(iconSize, iconSize));
        iconLabel->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

        auto *textLabel = new QLabel(this);
        textLabel->setObjectName(QStringLiteral("Text"));
        textLabel->setTextFormat(Qt::PlainText);
        textLabel->setText(DisplayText(text));
        textLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        textLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
        textLabel->setFocusPolicy(Qt::NoFocus);

        auto *top = new QHBoxLayout;
        top->setSpacing(16);
        top->addWidget(iconLabel, 0, Qt::AlignTop);
        top->addWidget(textLabel, 1);

        auto *row = new QHBoxLayout;
        row->addStretch(1);
        if (buttons == 0)
            buttons = mbOK;
        for (const ButtonDef &def : Buttons) {
            if (!(buttons & def.bit))
                continue;
            auto *b = new QPushButton(QString::fromUtf8(def.caption), this);
            b->setObjectName(QString::fromLatin1(def.name));
            // Enter is decided below, not by whichever button Qt would make the default.
            b->setAutoDefault(false);
            b->installEventFilter(this);
            row->addWidget(b);
            buttons_.push_back({b, &def});
            if (def.result == 0)
                connect(b, &QPushButton::clicked, this, [] { OpenHelp(); });
            else
                connect(b, &QPushButton::clicked, this, [this, r = def.result] { done(r); });
        }
        row->addStretch(1);

        defaultButton_ = Find(mbOK);
        if (!defaultButton_)
            defaultButton_ = Find(mbYes);
        if (!defaultButton_)
            defaultButton_ = Find(mbRetry);
        if (defaultButton_)
            defaultButton_->setDefault(true);

        KeepOwnDialogKeys(this);
        auto *layout = new QVBoxLayout(this);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        layout->setContentsMargins(20, 18, 20, 14);
        layout->setSpacing(18);
        layout->addLayout(top);
        layout->addLayout(row);

        if (!buttons_.empty())
            buttons_.front().button->setFocus(Qt::OtherFocusReason);
    }

    // The close box (and anything else that rejects) gives 2, whatever the buttons.
    void reject() override { done(mrCancel); }

protected:
    // Centred again once shown, when the window frame is part of the size.
    void showEvent(QShowEvent *event) override
    {
        QDialog::showEvent(event);
        CentreOnScreen(this);
    }

    // Once another button than the first has had the focus, the user has chosen where to be.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn && !buttons_.empty() && watched != buttons_.front().button)
            userMovedFocus_ = true;
        return QDialog::eventFilter(watched, event);
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        const Qt::KeyboardModifiers mods =
            event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            // At first Enter means the default button; once the user has moved to another
            // button, the one with the focus, as a desktop user expects.
            QPushButton *target = userMovedFocus_ ? FocusedButton() : nullptr;
            if (!target)
                target = defaultButton_ ? defaultButton_ : FocusedButton();
            if (target)
                target->click();
            return;
        }
        case Qt::Key_Escape: {
            QPushButton *target = Find(mbCancel);
            if (!target)
                target = Find(mbNo);
            if (!target)
                target = Find(mbOK);
            if (target)
                target->click();
            return;
        }
        case Qt::Key_Left:
        case Qt::Key_Up:
            MoveFocus(-1);
            return;
        case Qt::Key_Right:
        case Qt::Key_Down:
            MoveFocus(+1);
            return;
        default:
            break;
        }
        // The plain letter of a button presses it, like Alt with the letter.
        if (mods == Qt::NoModifier || mods == Qt::AltModifier || mods == Qt::ShiftModifier) {
            const int key = event->key();
            if (key >= Qt::Key_A && key <= Qt::Key_Z) {
                for (const Entry &e : buttons_) {
                    if (e.def->mnemonic == char('A' + (key - Qt::Key_A))) {
                        e.button->setFocus(Qt::ShortcutFocusReason);
                        e.button->click();
                        return;
                    }
                }
            }
        }
        QDialog::keyPressEvent(event);
    }

private:
    struct Entry {
        QPushButton *button;
        const ButtonDef *def;
    };

    QPushButton *Find(MsgButton bit) const
    {
        for (const Entry &e : buttons_)
            if (e.def->bit == bit)
                return e.button;
        return nullptr;
    }

    QPushButton *FocusedButton() const
    {
        for (const Entry &e : buttons_)
            if (e.button->hasFocus())
                return e.button;
        return nullptr;
    }

    void MoveFocus(int step)
    {
        const int n = int(buttons_.size());
        if (n == 0)
            return;
        int at = 0;
        for (int i = 0; i < n; ++i)
            if (buttons_[size_t(i)].button->hasFocus())
                at = i;
        buttons_[size_t((at + step + n) % n)].button->setFocus(Qt::TabFocusReason);
    }

    std::vector<Entry> buttons_;
    QPushButton *defaultButton_ = nullptr;
    bool userMovedFocus_ = false;
};

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook)
{
    Hook() = std::move(hook);
}

int ShowMessageBox(const QString &text, MsgKind kind, unsigned buttons, QWidget *parent)
{
    if (Hook())
        return Hook()(text, kind, buttons);

    MessageDialog dialog(text, kind, buttons, parent);
    dialog.adjustSize();
    CentreOnScreen(&dialog);
    return dialog.exec();
}
