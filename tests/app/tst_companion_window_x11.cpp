// F4 in the main window brings the companion application's window (class "LunorMainWin") to
// the front. Runs on a virtual X display; the test's own X connection plays the companion, and
// for one case the window manager.
#include <QtTest>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <xcb/xcb.h>

#include "platform/MessageBox.h"
#include "app/TForm1.h"
#include "tests/TestSupport.h"
#include "app/WindowActivation.h"

namespace {
template <typename T>
std::unique_ptr<T, decltype(&std::free)> Own(T *reply) { return {reply, &std::free}; }
}  // namespace

class TestCompanionWindow : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    xcb_connection_t *c_ = nullptr;
    xcb_window_t root_ = 0;

    xcb_atom_t Atom(const char *name)
    {
        return Own(xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, uint16_t(strlen(name)), name), nullptr))->atom;
    }
    // A top-level window with the given WM_CLASS class, mapped unless told; the instance name is
    // "lunor".
    xcb_window_t Create(const QByteArray &className, bool mapped = true)
    {
        const xcb_window_t w = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 10, 10, 200, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const QByteArray wmClass = "lunor" + QByteArray(1, '\0') + className + QByteArray(1, '\0');
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            uint32_t(wmClass.size()), wmClass.constData());
        if (mapped)
            xcb_map_window(c_, w);
        Own(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));  // a round trip
        return w;
    }
    xcb_window_t Focus() { return Own(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr))->focus; }
    void SetFocus(xcb_window_t w)
    {
        xcb_set_input_focus(c_, XCB_INPUT_FOCUS_PARENT, w, XCB_CURRENT_TIME);
        Focus();
    }
    xcb_window_t Topmost()
    {
        const auto tree = Own(xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr));
        return xcb_query_tree_children(tree.get())[xcb_query_tree_children_length(tree.get()) - 1];
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != "xcb")
            QSKIP("needs an X display");
        c_ = xcb_connect(nullptr, nullptr);
        QVERIFY(!xcb_connection_has_error(c_));
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        testsupport::WriteBytes(dir_.filePath("TALVO.INI"), "");
        SetMessageBoxHook([](const QString &, MsgKind, unsigned) { return int(mrOk); });
    }
    void cleanupTestCase()
    {
        if (c_)
            xcb_disconnect(c_);
    }

    void f4RaisesAndFocusesTheCompanionFromAnyControl()
    {
        TForm1 form(dir_.filePath("TALVO"), {});
        const xcb_window_t companion = Create("LunorMainWin");
        const xcb_window_t other = Create("Other");
        const xcb_window_t lookalike = Create("LunorMainWinX");
        for (QWidget *control : {static_cast<QWidget *>(form.ListBox1), static_cast<QWidget *>(form.Edit1),
                                 static_cast<QWidget *>(form.BtnLauncherRun)}) {
            SetFocus(other);
            // Ctrl alone keeps F4 from acting.
            QTest::keyClick(control, Qt::Key_F4, Qt::ControlModifier);
            QCOMPARE(Focus(), other);
            QCOMPARE(Topmost(), lookalike);
            QTest::keyClick(control, Qt::Key_F4, Qt::ShiftModifier);
            QCOMPARE(Focus(), companion);
            QCOMPARE(Topmost(), companion);
            xcb_circulate_window(c_, XCB_CIRCULATE_LOWER_HIGHEST, root_);
        }
        xcb_destroy_window(c_, companion);
        xcb_destroy_window(c_, other);
        xcb_destroy_window(c_, lookalike);
        Focus();
        QVERIFY(!ActivateWindowOfClass("LunorMainWin"));
        QTest::keyClick(form.ListBox1, Qt::Key_F4);  // nothing there: nothing happens
    }

    // Without a window manager, an unmapped window of the class above a shown one (a hidden
    // window of the companion) is passed over; it is taken only when it is the only one.
    void aShownWindowWinsOverAHiddenOneAboveIt()
    {
        const xcb_window_t shown = Create("LunorMainWin");
        const xcb_window_t other = Create("Other");
        const xcb_window_t hidden = Create("LunorMainWin", false);
        SetFocus(other);
        QVERIFY(ActivateWindowOfClass("LunorMainWin"));
        QCOMPARE(Focus(), shown);
        QCOMPARE(Topmost(), shown);
        xcb_destroy_window(c_, shown);
        SetFocus(other);
        QVERIFY(ActivateWindowOfClass("LunorMainWin"));
        QCOMPARE(Topmost(), hidden);  // raised, but it cannot take the focus
        QCOMPARE(Focus(), other);
        xcb_destroy_window(c_, hidden);
        xcb_destroy_window(c_, other);
        Focus();
    }

    void aWindowManagerIsAskedToActivateIt()
    {
        const xcb_window_t companion = Create("LunorMainWin");
        const xcb_atom_t active = Atom("_NET_ACTIVE_WINDOW");
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, Atom("_NET_SUPPORTED"), XCB_ATOM_ATOM, 32, 1, &active);
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, Atom("_NET_CLIENT_LIST_STACKING"),
                            XCB_ATOM_WINDOW, 32, 1, &companion);
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
        QVERIFY(!xcb_request_check(c_, xcb_change_window_attributes_checked(c_, root_, XCB_CW_EVENT_MASK, &mask)));

        QVERIFY(ActivateWindowOfClass("LunorMainWin"));
        bool asked = false;
        QDeadlineTimer deadline(5000);
        while (!asked && !deadline.hasExpired()) {
            auto event = Own(xcb_poll_for_event(c_));
            if (!event) {
                QTest::qWait(10);
                continue;
            }
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                auto *m = reinterpret_cast<xcb_client_message_event_t *>(event.get());
                asked = m->type == active && m->window == companion;
            }
        }
        QVERIFY(asked);
        const uint32_t none = 0;
        xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &none);
        xcb_delete_property(c_, root_, Atom("_NET_SUPPORTED"));
        xcb_delete_property(c_, root_, Atom("_NET_CLIENT_LIST_STACKING"));
        xcb_destroy_window(c_, companion);
        Focus();
    }
};

QTEST_MAIN(TestCompanionWindow)
#include "tst_companion_window_x11.moc"
