#pragma once
// The application object. An exception that escapes an event handler must not end the program:
// it is shown in an error box ("ｴﾗｰ", button OK) and the event loop goes on. It also gives every
// window the dialog keys of DialogKeys.h, and the program's name and icon.
#include <QApplication>

class TalvoApplication : public QApplication {
public:
    TalvoApplication(int &argc, char **argv);
    // The name the desktop knows the program by ("talvo": the window class, the menu entry's
    // name) and the icon every window carries. Called by the constructor; tests that run with
    // another application object call it themselves.
    static void ApplyIdentity();
    bool notify(QObject *receiver, QEvent *event) override;

private:
    void ReportError(const QString &text);
    int reporting_ = 0;
};
