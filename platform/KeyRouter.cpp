#include "platform/KeyRouter.h"

#include <QKeyEvent>
#include <QWidget>

#include "platform/KeyMap.h"

KeyRouter::KeyRouter(QWidget *form, KeyDown formKeyDown)
    : QObject(form), form_(form), formKeyDown_(std::move(formKeyDown))
{
}

void KeyRouter::Bind(QWidget *control, KeyDown controlKeyDown)
{
    const bool bound = controls_.contains(control);
    if (controlKeyDown || !bound)
        controls_.insert(control, std::move(controlKeyDown));
    if (bound)
        return;
    control->installEventFilter(this);
    connect(control, &QObject::destroyed, this, [this](QObject *gone) { controls_.remove(gone); });
}

void KeyRouter::Bind(const QList<QWidget *> &controls)
{
    for (QWidget *control : controls)
        Bind(control, KeyDown());
}

bool KeyRouter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto it = controls_.constFind(watched);
    if (it == controls_.cend())
        return false;
    auto *sender = static_cast<QWidget *>(watched);
    const VirtualKey pressed = MapKeyEvent(static_cast<QKeyEvent *>(event));
    const KeyDown own = *it;  // a copy: the handler may bind controls while it runs
    if (own && own(sender, pressed.key, pressed.shift))
        return true;
    return formKeyDown_ && formKeyDown_(sender, pressed.key, pressed.shift);
}
