// The application object: an exception that escapes an event handler is shown and the program
// goes on.
#include <QtTest>

#include <QApplication>
#include <QPushButton>

#include "app/TalvoApplication.h"
#include "platform/MessageBox.h"

namespace {

class Thrower : public QObject {
public:
    std::function<void()> onEvent;
    int seen = 0;
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User) {
            ++seen;
            if (onEvent)
                onEvent();
            return true;
        }
        return QObject::event(e);
    }
};

}  // namespace

class TestApplication : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { SetMessageBoxHook({}); }
    void escapedExceptionIsShownAndRunGoesOn();
};

void TestApplication::escapedExceptionIsShownAndRunGoesOn()
{
    QVERIFY(dynamic_cast<TalvoApplication *>(qApp));
    QStringList texts;
    bool allErrorBoxesWithOk = true;
    SetMessageBoxHook([&](const QString &text, MsgKind kind, unsigned buttons) {
        texts << text;
        allErrorBoxesWithOk = allErrorBoxesWithOk && kind == MsgKind::Error && buttons == mbOK;
        return int(mrOk);
    });
    Thrower t;
    QEvent e(QEvent::User);
    t.onEvent = [] { throw std::runtime_error("インデックスがリストの範囲を超えています"); };
    QVERIFY(!QCoreApplication::sendEvent(&t, &e));
    t.onEvent = [] { throw 42; };
    QVERIFY(!QCoreApplication::sendEvent(&t, &e));
    t.onEvent = nullptr;
    QVERIFY(QCoreApplication::sendEvent(&t, &e));
    QCOMPARE(t.seen, 3);
    QCOMPARE(texts.size(), 2);
    QCOMPARE(texts.at(0), QStringLiteral("インデックスがリストの範囲を超えています"));
    QVERIFY(!texts.at(1).isEmpty());

    // From a posted event, as a click handler would run.
    t.onEvent = [] { throw std::runtime_error("posted"); };
    QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
    QTRY_COMPARE(texts.size(), 3);
    QCOMPARE(texts.at(2), QStringLiteral("posted"));

    // A click handler that fails, with the widget toolkit's own frames between it and the
    // event loop; the button stays usable.
    QPushButton button("実行(&O)");
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&clicks] {
        if (++clicks == 1)
            throw std::runtime_error("   指定されたファイルが作成できませんでした。          ");
    });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(texts.size(), 4);
    QCOMPARE(texts.at(3), QStringLiteral("   指定されたファイルが作成できませんでした。          "));
    QVERIFY(!button.isDown());
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks, 2);
    QCOMPARE(texts.size(), 4);
    QVERIFY(allErrorBoxesWithOk);
}

int main(int argc, char **argv)
{
    TalvoApplication app(argc, argv);
    TestApplication test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
