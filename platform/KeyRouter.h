#pragma once
// One key routing for every window. A key pressed in a bound control goes to the control's own
// key-down handler, then to the form's (as a form with key preview sees it); a key neither uses
// goes on to the control as if nobody had looked at it, and from there where Qt sends it (a
// dialog's Enter and Esc, the application's DialogKeys). The form itself may be bound like a
// control: the keys that reach it, pressed on it or left by a control, go to the form's handler
// before the form's own handling. Keys arrive as virtual-key codes and shift sets (MapKeyEvent);
// a key without a code arrives as 0.
#include <QHash>
#include <QList>
#include <QObject>

#include <functional>
#include <type_traits>

class QWidget;

class KeyRouter : public QObject {
public:
    // A key-down handler; sender is the bound control (or the form). True when it used the key,
    // which then goes no further.
    using KeyDown = std::function<bool(QWidget *sender, int key, int shift)>;

    // A router owned by `form`, with the form's handler (none when empty).
    KeyRouter(QWidget *form, KeyDown formKeyDown);
    // The same with a handler method of the form: bool FormKeyDown(int key, int shift) or
    // bool FormKeyDown(QWidget *sender, int key, int shift).
    template <class Form, class Owner, class... Args>
    KeyRouter(Form *form, bool (Owner::*formKeyDown)(Args...))
        : KeyRouter(form, Handler(static_cast<Owner *>(form), formKeyDown))
    {
    }

    // Binds a control with a handler of its own, run before the form's; a method of the form
    // as above will do.
    void Bind(QWidget *control, KeyDown controlKeyDown);
    template <class Owner, class... Args>
    void Bind(QWidget *control, bool (Owner::*controlKeyDown)(Args...))
    {
        static_assert(std::is_base_of_v<QWidget, Owner>, "a key handler is a method of the form");
        Bind(control, Handler(static_cast<Owner *>(form_), controlKeyDown));
    }
    // Binds controls (the form among them, if it is listed) to the form's handler alone; a
    // control bound before keeps its own handler.
    void Bind(const QList<QWidget *> &controls);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    template <class Owner, class... Args>
    static KeyDown Handler(Owner *owner, bool (Owner::*method)(Args...))
    {
        if constexpr (sizeof...(Args) == 3)
            return [owner, method](QWidget *sender, int key, int shift) {
                return (owner->*method)(sender, key, shift);
            };
        else
            return [owner, method](QWidget *, int key, int shift) { return (owner->*method)(key, shift); };
    }

    QWidget *form_;
    KeyDown formKeyDown_;
    QHash<QObject *, KeyDown> controls_;  // bound controls, each with its own handler or none
};
