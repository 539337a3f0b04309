#pragma once
// What the viewer's small dialogs share: a fixed client size in the dialog font, keys that only
// their own handlers act on, and edit boxes limited to a number of Shift-JIS bytes.
#include <QDialog>
#include <QValidator>

class QLineEdit;

class ViewerDialog : public QDialog {
    Q_OBJECT
public:
    // A fixed-size dialog (no minimize or maximize box) with the given client size and the
    // font "System" of height -19.
    ViewerDialog(const QString &caption, QSize clientSize, QWidget *parent);

    // Runs the dialog modally, centred on the screen.
    void ShowModal();

protected:
    // Only the handlers each dialog binds (KeyRouter) act on keys: no implicit Esc or
    // default-button Enter; what they and the controls leave ends here.
    void keyPressEvent(QKeyEvent *event) override;
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
