#pragma once
// The application object. An exception that escapes an event handler must not end the program:
// it is shown in an error box ("ｴﾗｰ", button OK) and the event loop goes on. It also gives every
// window the dialog keys of DialogKeys.h.
#include <QApplication>

class TalvoApplication : public QApplication {
public:
    TalvoApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

private:
    void ReportError(const QString &text);
    int reporting_ = 0;
};
