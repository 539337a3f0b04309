#include "platform/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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
