#include "platform/DialogKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr char OwnKeysProperty[] = "talvoOwnDialogKeys";

// The widget a mnemonic leads to, with what it does there.
struct Mnemonic {
    QWidget *owner;           // the button, or the label
    QAbstractButton *button;  // clicked when the mnemonic is the only one of its letter
    QWidget *focus;           // takes the focus otherwise
};

bool Usable(const QWidget *w) { return w->isVisible() && w->isEnabled(); }

// Every enabled, visible button and labelled buddy of `window` whose mnemonic is `key`, in
// the order the window holds them; Qt's own mnemonics are matched the same way (Alt + key).
QList<Mnemonic> FindMnemonics(QWidget *window, const QKeySequence &key)
{
    QList<Mnemonic> found;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() != window || !Usable(w))
            continue;
        if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            if (button->shortcut() == key)
                found.append({button, button, button});
        } else if (auto *label = qobject_cast<QLabel *>(w)) {
            QWidget *buddy = label->buddy();
            if (buddy && Usable(buddy) && QKeySequence::mnemonic(label->text()) == key)
                found.append({label, qobject_cast<QAbstractButton *>(buddy), buddy});
        }
    }
    return found;
}

// As Alt with the letter: one match acts (a button is clicked, a label's buddy takes the
// focus); several matches take the focus in turn.
bool ActOnMnemonic(QWidget *focused, int key)
{
    QWidget *window = focused->window();
    const QList<Mnemonic> found = FindMnemonics(window, QKeySequence(Qt::ALT | key));
    if (found.isEmpty())
        return false;
    if (found.size() == 1) {
        const Mnemonic &m = found.front();
        if (m.focus->focusPolicy() != Qt::NoFocus)
            m.focus->setFocus(Qt::ShortcutFocusReason);
        if (m.button)
            m.button->animateClick();
        return true;
    }
    qsizetype next = 0;
    for (qsizetype i = 0; i < found.size(); ++i)
        if (found[i].focus == focused)
            next = (i + 1) % found.size();
    found[next].focus->setFocus(Qt::ShortcutFocusReason);
    return true;
}

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// A letter or digit typed alone (Shift allowed: the letter's case does not matter).
int PlainMnemonicKey(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (mods != Qt::NoModifier && mods != Qt::ShiftModifier)
        return 0;
    const int key = event->key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key;
    return 0;
}

class DialogKeys : public QObject {
public:
    using QObject::QObject;

protected:
    // A key pressed on a button first goes to the button and to the filters its window set on
    // it; only when they leave it does it travel on to the parent. It is taken at that point,
    // before the parent (a dialog would give Enter to its default button) sees it.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto *receiver = static_cast<QWidget *>(watched);
        QWidget *focused = QApplication::focusWidget();
        if (!focused || focused == receiver || !receiver->isAncestorOf(focused))
            return false;
        if (focused->window()->property(OwnKeysProperty).toBool())
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        auto *button = qobject_cast<QAbstractButton *>(focused);
        if (!button || !(qobject_cast<QPushButton *>(button) || qobject_cast<QCheckBox *>(button)))
            return false;
        if (IsEnter(key->key()) && qobject_cast<QPushButton *>(button) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            button->click();
            return true;
        }
        if (const int letter = PlainMnemonicKey(key))
            return ActOnMnemonic(focused, letter);
        return false;
    }
};
}

void InstallDialogKeys(QCoreApplication *app)
{
    static const QString name = QStringLiteral("talvoDialogKeys");
    if (app->findChild<QObject *>(name, Qt::FindDirectChildrenOnly))
        return;
    auto *keys = new DialogKeys(app);
    keys->setObjectName(name);
    app->installEventFilter(keys);
}

void KeepOwnDialogKeys(QWidget *window)
{
    window->setProperty(OwnKeysProperty, true);
}
