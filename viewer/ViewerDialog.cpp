#include "viewer/ViewerDialog.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "platform/Fonts.h"
#include "lines/ShiftJis.h"
#include "platform/WindowPlacement.h"

ViewerDialog::ViewerDialog(const QString &caption, QSize clientSize, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(ResolveFont(QStringLiteral("System"), -19));
    setFixedSize(clientSize);
}

void ViewerDialog::ShowModal()
{
    CentreOnScreen(this);
    exec();
}

void ViewerDialog::keyPressEvent(QKeyEvent *event) { event->accept(); }

ByteLimitValidator::ByteLimitValidator(int maxBytes, QObject *parent) : QValidator(parent), maxBytes_(maxBytes) {}

QValidator::State ByteLimitValidator::validate(QString &input, int &pos) const
{
    const QByteArray bytes = EncodeCp932(input);
    if (bytes.size() <= maxBytes_)
        return Acceptable;
    // Keep whole characters (surrogate pairs together) while they fit.
    qsizetype kept = 0, used = 0;
    while (kept < input.size()) {
        const qsizetype n = input[kept].isHighSurrogate() && kept + 1 < input.size() ? 2 : 1;
        used += EncodeCp932(QStringView(input).sliced(kept, n)).size();
        if (used > maxBytes_)
            break;
        kept += n;
    }
    input.truncate(kept);
    pos = qMin(pos, int(input.size()));
    return Acceptable;
}

void ShowBytes(QLineEdit *edit, const QByteArray &bytes) { edit->setText(DecodeCp932(bytes)); }

QByteArray EditBytes(const QLineEdit *edit, const QByteArray &original)
{
    // A lone lead byte decodes to nothing, so the text alone cannot tell a retyped "abc" from
    // the untouched "abc" + lead byte: what the user typed, cleared or pasted is taken as text.
    const QString text = edit->text();
    if (!edit->isModified() && text == DecodeCp932(original))
        return original;
    return EncodeCp932(text);
}
