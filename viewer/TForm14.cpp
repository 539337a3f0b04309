#include "viewer/TForm14.h"

#include <QKeyEvent>
#include <QPainter>

#include "platform/Fonts.h"

TForm14::TForm14(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName("Form14");
    setFont(ResolveFont(QStringLiteral("System"), 19, true));
    setFixedSize(105, 1);
    Timer1.setInterval(300);
    Timer1.setSingleShot(false);
    connect(&Timer1, &QTimer::timeout, this, &TForm14::Timer1Timer);
    Timer1.start();
}

void TForm14::Timer1Timer()
{
    Timer1.stop();
    accept();
}

// Keys typed during the pause are swallowed, Esc included.
void TForm14::keyPressEvent(QKeyEvent *e) { e->accept(); }

void TForm14::paintEvent(QPaintEvent *)
{
    QPainter(this).fillRect(rect(), palette().color(QPalette::Shadow));
}

void ShowPauseForm(const QWidget *mainWindow)
{
    TForm14 form;
    if (mainWindow)
        form.move(mainWindow->frameGeometry().topLeft());
    form.exec();
}
