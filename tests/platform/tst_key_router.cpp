// The key router every window binds its handlers with: a control's handler before the form's, a
// used key kept from the control, an unused one delivered to it, the shift set as pressed.
#include <QtTest>

#include <QLineEdit>
#include <QWidget>

#include "platform/Controls.h"
#include "platform/KeyRouter.h"
#include "platform/VirtualKeys.h"

namespace {

// A form with an edit box bound to a handler of its own and a second one bound to the form's
// handler alone; every handler call is written down as "who:key:shift".
class Form : public QWidget {
public:
    Form()
    {
        Edit1 = MakeEdit(this, "Edit1", {0, 0, 100, 24});
        Edit2 = MakeEdit(this, "Edit2", {0, 30, 100, 24});
        auto *keys = new KeyRouter(this, &Form::FormKeyDown);
        keys->Bind(Edit1, &Form::Edit1KeyDown);
        keys->Bind({this, Edit1, Edit2});
    }

    bool FormKeyDown(QWidget *sender, int key, int shift)
    {
        calls << QStringLiteral("form(%1):%2:%3").arg(sender->objectName()).arg(key).arg(shift);
        return key == vk::Escape || key == vk::F;
    }
    bool Edit1KeyDown(int key, int shift)
    {
        calls << QStringLiteral("edit:%1:%2").arg(key).arg(shift);
        return key == vk::E || key == vk::F;
    }

    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr;
    QStringList calls;
};

}  // namespace

class TestKeyRouter : public QObject {
    Q_OBJECT
private slots:
    void controlHandlerFirstThenTheFormsThenTheControl();
    void aUsedKeyNeverReachesTheControl();
    void theShiftSetArrives();
    void theFormItselfAndUnboundControls();
};

void TestKeyRouter::controlHandlerFirstThenTheFormsThenTheControl()
{
    Form form;
    QTest::keyClick(form.Edit1, Qt::Key_A);
    QCOMPARE(form.calls, QStringList({"edit:65:0", "form(Edit1):65:0"}));
    QCOMPARE(form.Edit1->text(), QStringLiteral("a"));
}

void TestKeyRouter::aUsedKeyNeverReachesTheControl()
{
    Form form;
    QTest::keyClick(form.Edit1, Qt::Key_E);  // the control's handler takes it: the form never sees it
    QCOMPARE(form.calls, QStringList({"edit:69:0"}));
    form.calls.clear();
    QTest::keyClick(form.Edit1, Qt::Key_F);  // both would take it: the control's comes first
    QCOMPARE(form.calls, QStringList({"edit:70:0"}));
    form.calls.clear();
    QTest::keyClick(form.Edit2, Qt::Key_F);  // the form's handler takes it
    QCOMPARE(form.calls, QStringList({"form(Edit2):70:0"}));
    QCOMPARE(form.Edit1->text(), QString());
    QCOMPARE(form.Edit2->text(), QString());
    QTest::keyClick(form.Edit2, Qt::Key_G);
    QCOMPARE(form.Edit2->text(), QStringLiteral("g"));
}

void TestKeyRouter::theShiftSetArrives()
{
    Form form;
    // One press each, without the presses of the modifier keys that QTest sends before it.
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::ShiftModifier | Qt::ControlModifier);
    QApplication::sendEvent(form.Edit1, &left);
    QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::ShiftModifier);
    QApplication::sendEvent(form.Edit2, &home);
    QCOMPARE(form.calls, QStringList({QStringLiteral("edit:37:%1").arg(ssShift | ssCtrl),
                                      QStringLiteral("form(Edit1):37:%1").arg(ssShift | ssCtrl),
                                      QStringLiteral("form(Edit2):36:%1").arg(ssShift)}));
}

void TestKeyRouter::theFormItselfAndUnboundControls()
{
    Form form;
    form.setObjectName("Form");
    auto *other = MakeEdit(&form, "Other");
    QTest::keyClick(other, Qt::Key_B);  // not bound: the handlers never hear of it
    QCOMPARE(other->text(), QStringLiteral("b"));
    QVERIFY(form.calls.isEmpty());
    QTest::keyClick(&form, Qt::Key_Escape);  // a key pressed on the form goes to the form's handler
    QCOMPARE(form.calls, QStringList({"form(Form):27:0"}));
}

QTEST_MAIN(TestKeyRouter)
#include "tst_key_router.moc"
