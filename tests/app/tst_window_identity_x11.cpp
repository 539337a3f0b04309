// The desktop knows the program's windows by their class "talvo" (the menu entry talvo.desktop
// groups them) and shows the program's icon on each. Runs on a virtual X display.
#include <QtTest>

#include <xcb/xcb.h>

#include "app/TalvoApplication.h"
#include "app/TForm1.h"
#include "platform/MessageBox.h"
#include "tests/TestSupport.h"
#include "viewer/TForm3.h"

namespace {
// A property of a window as the window manager reads it.
QByteArray Property(xcb_window_t window, const char *name, xcb_atom_t type)
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const auto atom = std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)>(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr), &std::free);
    const auto reply = std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)>(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, atom->atom, type, 0, 1u << 20), nullptr), &std::free);
    QByteArray value;
    if (reply && reply->format != 0)
        value = QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())),
                           xcb_get_property_value_length(reply.get()));
    xcb_disconnect(c);
    return value;
}
}  // namespace

class TestWindowIdentity : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != "xcb")
            QSKIP("needs an X display");
        testsupport::WriteBytes(dir_.filePath("TALVO.INI"), "");
        TalvoApplication::ApplyIdentity();
    }

    void windowsCarryTheClassAndTheIcon()
    {
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("talvo"));
        TForm1 form(dir_.filePath("TALVO"), {});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QList<QByteArray> wmClass = Property(xcb_window_t(form.winId()), "WM_CLASS", XCB_ATOM_STRING).split('\0');
        QVERIFY(wmClass.size() >= 2);
        QCOMPARE(wmClass[1], QByteArray("talvo"));

        // Every size the desktop asks for, drawn for it rather than scaled from one picture.
        const QList<QSize> sizes = form.windowIcon().availableSizes();
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
        QVERIFY(!Property(xcb_window_t(form.winId()), "_NET_WM_ICON", XCB_ATOM_CARDINAL).isEmpty());

        ViewerState state;
        TForm3 viewer(state, &form);
        QCOMPARE(viewer.windowIcon().availableSizes(), sizes);
    }
};

QTEST_MAIN(TestWindowIdentity)
#include "tst_window_identity_x11.moc"
