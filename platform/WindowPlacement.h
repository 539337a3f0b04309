#pragma once
// Where windows appear: every window of the program but the pause form is centred with this.
class QWidget;

// left = (screen width - width) div 2, top likewise, on the screen's available geometry.
void CentreOnScreen(QWidget *window);
