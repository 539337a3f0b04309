#pragma once
// What the viewer's small dialogs share: a fixed client size in the dialog font, key-down
// handlers of their own on the window and its controls (in virtual-key codes), and edit boxes
// limited to a number of Shift-JIS bytes.
#include <QDialog>
#include <QValidator>

#include <functional>
#include <map>

class QLineEdit;

class ViewerDialog : public QDialog {
    Q_OBJECT
public:
    // A key-down handler: returns true when it used the key (the control then never sees it).
    using KeyDownHandler = std::function<bool(int key, int shift)>;

    // A fixed-size dialog (no minimize or maximize box) with the given client size and the
    // font "System" of height -19.
    ViewerDialog(const QString &caption, QSize clientSize, QWidget *parent);

    // Runs the dialog modally, centred on the screen.
    void ShowModal();

protected:
    // Binds the key-down event of a control, or of the window itself (control == this).
    void SetKeyDown(QWidget *control, KeyDownHandler handler);
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Only the handlers bound above act on keys: no implicit Esc or default-button Enter.
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::map<QObject *, KeyDownHandler> keyDown_;
};

// Keeps an edit box's text within maxBytes bytes of Shift-JIS; longer input is cut at a character
// boundary, as a pasted text is cut to fit.
class ByteLimitValidator : public QValidator {
public:
    ByteLimitValidator(int maxBytes, QObject *parent);
    State validate(QString &input, int &pos) const override;

private:
    int maxBytes_;
};

// An edit box's text as the bytes the viewer works with, and back. EditBytes returns `original`
// unchanged while the user has not edited what ShowBytes put there, so bytes that do not decode
// (a lone lead byte from the settings file) survive an untouched dialog and no other.
void ShowBytes(QLineEdit *edit, const QByteArray &bytes);
QByteArray EditBytes(const QLineEdit *edit, const QByteArray &original);
