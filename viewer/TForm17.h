#pragma once
// The message window: one line of text, shown modally, closed by any key or click. The viewer
// and its dialogs give their notices here instead of in a message box.
#include <QDialog>
#include <functional>

class QLabel;

class TForm17 : public QDialog {
    Q_OBJECT
public:
    explicit TForm17(QWidget *parent = nullptr);
    QLabel *Label1 = nullptr;

    void FormClick();
    // Any key closes the window (KeyRouter); the key is used up.
    bool FormKeyDown(int key, int shift);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
};

// Creates a message window, centres it on the screen, shows `text` (blanks included) modally
// and releases it when it closes.
void ShowMessageWindow(const QString &text, QWidget *parent = nullptr);

// For window tests: while a hook is set, ShowMessageWindow shows nothing and hands the text to
// the hook. Pass an empty function to show real windows again.
void SetMessageWindowHook(std::function<void(const QString &text)> hook);
