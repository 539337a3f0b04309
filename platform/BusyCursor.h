#pragma once
// The busy cursor of a command: on while the command works, off on every way out of it, and
// off early (End) before a box asks the user something.
#include <QApplication>

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { End(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

    void End()
    {
        if (on_) {
            on_ = false;
            QApplication::restoreOverrideCursor();
        }
    }

private:
    bool on_ = true;
};
