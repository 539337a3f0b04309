// Platform services: the message box, key mapping, centring, fonts, help and the application's
// guard against exceptions that escape a handler.
#include <QtTest>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBrowser>

#include "platform/HelpWindow.h"
#include "platform/CommonDialogs.h"
#include "platform/Fonts.h"
#include "platform/KeyMap.h"
#include "platform/MessageBox.h"
#include "platform/ProgramFile.h"
#include "platform/DialogKeys.h"
#include "platform/WindowPlacement.h"
#include "tests/TestSupport.h"

using testsupport::WriteBytes;

Q_DECLARE_METATYPE(MsgKind)

namespace {

// Opens a real box and lets `act` work on it from inside its event loop. A box that `act`
// leaves open is closed with -1 after a while, so a fault fails the test instead of hanging it.
int RunBox(const QString &text, MsgKind kind, unsigned buttons, const std::function<void(QDialog *)> &act)
{
    QTimer::singleShot(0, qApp, [act] {
        auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!box)
            return;
        QPointer<QDialog> guard(box);
        QTimer::singleShot(20000, box, [guard] {
            if (guard)
                guard->done(-1);
        });
        if (!QTest::qWaitForWindowActive(box))
            qWarning("message box not active");
        act(box);
    });
    return ShowMessageBox(text, kind, buttons);
}

QStringList ButtonNames(QDialog *box)
{
    QList<QPushButton *> buttons = box->findChildren<QPushButton *>();
    std::sort(buttons.begin(), buttons.end(), [](QPushButton *a, QPushButton *b) { return a->x() < b->x(); });
    QStringList names;
    for (QPushButton *b : buttons)
        names << b->objectName();
    return names;
}

void Press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget *target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeModalWidget();
    QTest::keyClick(target, Qt::Key(key), mods);
}

}  // namespace

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void fileFilters();
    void boxButtonsInOrder_data();
    void boxButtonsInOrder();
    void boxCaptionAndIconByKind_data();
    void boxCaptionAndIconByKind();
    void boxEnter_data();
    void boxEnter();
    void boxEscape_data();
    void boxEscape();
    void boxEscapeWithoutCancelNoOrOkDoesNothing();
    void boxCloseBoxGivesCancel();
    void boxMnemonics();
    void boxHelpKeepsBoxOpen();
    void boxTextKeptAsGiven();
    void boxIsCentred();
    void hookAnswersWithoutABox();
    void keyMapping_data();
    void keyMapping();
    void centreOnScreen();
    void fonts();
    void helpFilePath();
    void helpWindowShowsFileOrSaysItIsMissing();
    void shippedHelpDescribesTheMainWindow();
    void buttonsTakeEnterAndPlainMnemonics();
};

void TestPlatform::cleanup()
{
    SetMessageBoxHook({});
    SetHelpHandler({});
    SetProgramFile(QString());
    if (HelpWindow *w = HelpWindow::Instance())
        w->close();
}

void TestPlatform::boxButtonsInOrder_data()
{
    QTest::addColumn<unsigned>("buttons");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("abort") << unsigned(mbAbort) << QStringList{"Abort"} << QStringList{"中止(&A)"};
    QTest::newRow("yes no, asked backwards") << unsigned(mbNo | mbYes) << QStringList{"Yes", "No"}
                                             << QStringList{"はい(&Y)", "いいえ(&N)"};
    QTest::newRow("every button") << unsigned(mbHelp | mbAll | mbIgnore | mbRetry | mbAbort | mbCancel | mbOK | mbNo | mbYes)
                                  << QStringList{"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "Help"}
                                  << QStringList{"はい(&Y)", "いいえ(&N)", "OK", "ｷｬﾝｾﾙ", "中止(&A)", "再試行(&R)",
                                                 "無視(&I)", "すべて", "ﾍﾙﾌﾟ(&H)"};
    QTest::newRow("retry cancel") << unsigned(mbCancel | mbRetry) << QStringList{"Cancel", "Retry"}
                                  << QStringList{"ｷｬﾝｾﾙ", "再試行(&R)"};
    QTest::newRow("empty set shows OK") << 0u << QStringList{"OK"} << QStringList{"OK"};
}

void TestPlatform::boxButtonsInOrder()
{
    QFETCH(unsigned, buttons);
    QFETCH(QStringList, names);
    QFETCH(QStringList, captions);
    QStringList seenNames, seenCaptions;
    QWidget *focused = nullptr;
    QPushButton *first = nullptr;
    RunBox("text", MsgKind::Information, buttons, [&](QDialog *box) {
        QCOMPARE(box->objectName(), QStringLiteral("MessageBox"));
        QVERIFY(box->isModal());
        seenNames = ButtonNames(box);
        for (const QString &n : seenNames)
            seenCaptions << box->findChild<QPushButton *>(n)->text();
        first = box->findChild<QPushButton *>(seenNames.value(0));
        focused = QApplication::focusWidget();
        box->done(0);
    });
    QCOMPARE(seenNames, names);
    QCOMPARE(seenCaptions, captions);
    QVERIFY(first);
    QCOMPARE(focused, first);
}

void TestPlatform::boxCaptionAndIconByKind_data()
{
    QTest::addColumn<MsgKind>("kind");
    QTest::addColumn<QString>("caption");
    QTest::newRow("warning") << MsgKind::Warning << "警告";
    QTest::newRow("error") << MsgKind::Error << "ｴﾗｰ";
    QTest::newRow("information") << MsgKind::Information << "情報";
    QTest::newRow("confirmation") << MsgKind::Confirmation << "確認";
}

void TestPlatform::boxCaptionAndIconByKind()
{
    QFETCH(MsgKind, kind);
    QFETCH(QString, caption);
    QString title;
    bool hasIcon = false;
    RunBox("text", kind, mbOK, [&](QDialog *box) {
        title = box->windowTitle();
        auto *icon = box->findChild<QLabel *>("Icon");
        hasIcon = icon && !icon->pixmap().isNull();
        box->done(0);
    });
    QCOMPARE(title, caption);
    QVERIFY(hasIcon);
}

void TestPlatform::boxEnter_data()
{
    QTest::addColumn<unsigned>("buttons");
    QTest::addColumn<int>("tabs");  // Tab presses before Enter
    QTest::addColumn<int>("result");
    QTest::newRow("OK cancel") << unsigned(mbOK | mbCancel) << 0 << int(mrOk);
    QTest::newRow("yes no") << unsigned(mbYes | mbNo) << 0 << int(mrYes);
    QTest::newRow("yes no OK: OK before Yes") << unsigned(mbYes | mbNo | mbOK) << 0 << int(mrOk);
    QTest::newRow("abort retry ignore: Retry though Abort has the focus")
        << unsigned(mbAbort | mbRetry | mbIgnore) << 0 << int(mrRetry);
    QTest::newRow("abort alone: the focused button") << unsigned(mbAbort) << 0 << int(mrAbort);
    QTest::newRow("no cancel: the focused button") << unsigned(mbNo | mbCancel) << 0 << int(mrNo);
    QTest::newRow("yes no, user moved to No") << unsigned(mbYes | mbNo) << 1 << int(mrNo);
    QTest::newRow("abort retry ignore, user moved to Ignore") << unsigned(mbAbort | mbRetry | mbIgnore) << 2
                                                              << int(mrIgnore);
}

void TestPlatform::boxEnter()
{
    QFETCH(unsigned, buttons);
    QFETCH(int, tabs);
    QFETCH(int, result);
    const int got = RunBox("text", MsgKind::Information, buttons, [tabs](QDialog *) {
        for (int i = 0; i < tabs; ++i)
            Press(Qt::Key_Tab);
        Press(Qt::Key_Return);
    });
    QCOMPARE(got, result);
    // The keypad's Enter is the same key.
    if (tabs == 0)
        QCOMPARE(RunBox("text", MsgKind::Information, buttons, [](QDialog *) { Press(Qt::Key_Enter, Qt::KeypadModifier); }),
                 result);
}

void TestPlatform::boxEscape_data()
{
    QTest::addColumn<unsigned>("buttons");
    QTest::addColumn<int>("result");
    QTest::newRow("yes no cancel") << unsigned(mbYes | mbNo | mbCancel) << int(mrCancel);
    QTest::newRow("yes no") << unsigned(mbYes | mbNo) << int(mrNo);
    QTest::newRow("OK") << unsigned(mbOK) << int(mrOk);
    QTest::newRow("no OK") << unsigned(mbNo | mbOK) << int(mrNo);
}

void TestPlatform::boxEscape()
{
    QFETCH(unsigned, buttons);
    QFETCH(int, result);
    QCOMPARE(RunBox("text", MsgKind::Warning, buttons, [](QDialog *) { Press(Qt::Key_Escape); }), result);
}

void TestPlatform::boxEscapeWithoutCancelNoOrOkDoesNothing()
{
    bool stillOpen = false;
    const int got = RunBox("text", MsgKind::Warning, mbAbort | mbRetry | mbIgnore, [&](QDialog *box) {
        Press(Qt::Key_Escape);
        QCoreApplication::processEvents();
        stillOpen = box->isVisible();
        box->findChild<QPushButton *>("Ignore")->click();
    });
    QVERIFY(stillOpen);
    QCOMPARE(got, int(mrIgnore));
}

void TestPlatform::boxCloseBoxGivesCancel()
{
    QCOMPARE(RunBox("text", MsgKind::Information, mbYes | mbNo, [](QDialog *box) { box->close(); }), int(mrCancel));
    QCOMPARE(RunBox("text", MsgKind::Warning, mbAbort, [](QDialog *box) { box->close(); }), int(mrCancel));
}

void TestPlatform::boxMnemonics()
{
    QCOMPARE(RunBox("text", MsgKind::Information, mbYes | mbNo, [](QDialog *) { Press(Qt::Key_N, Qt::AltModifier); }),
             int(mrNo));
    QCOMPARE(RunBox("text", MsgKind::Information, mbYes | mbNo, [](QDialog *) { Press(Qt::Key_N); }), int(mrNo));
    QCOMPARE(RunBox("text", MsgKind::Warning, mbAbort | mbRetry | mbIgnore, [](QDialog *) { Press(Qt::Key_I); }),
             int(mrIgnore));
    // A letter no button carries does nothing.
    bool stillOpen = false;
    QCOMPARE(RunBox("text", MsgKind::Information, mbYes | mbNo,
                    [&](QDialog *box) {
                        Press(Qt::Key_Q);
                        QCoreApplication::processEvents();
                        stillOpen = box->isVisible();
                        Press(Qt::Key_Y);
                    }),
             int(mrYes));
    QVERIFY(stillOpen);
}

void TestPlatform::boxHelpKeepsBoxOpen()
{
    int helpCalls = 0;
    SetHelpHandler([&] { ++helpCalls; });
    bool stillOpen = false;
    const int got = RunBox("text", MsgKind::Confirmation, mbYes | mbNo | mbHelp, [&](QDialog *box) {
        box->findChild<QPushButton *>("Help")->click();
        Press(Qt::Key_H, Qt::AltModifier);
        QTRY_COMPARE(helpCalls, 2);
        stillOpen = box->isVisible();
        Press(Qt::Key_Escape);
    });
    QCOMPARE(helpCalls, 2);
    QVERIFY(stillOpen);
    QCOMPARE(got, int(mrNo));
}

void TestPlatform::boxTextKeptAsGiven()
{
    // The notice shown when the settings file is missing: LF then CR between its halves.
    const QString text = QStringLiteral("   TALVO.INIファイルが存在しませんので、   \n\r   INI ファイルを作成します。   ");
    QString shown;
    RunBox(text, MsgKind::Warning, mbYes, [&](QDialog *box) {
        shown = box->findChild<QLabel *>("Text")->text();
        box->done(0);
    });
    QCOMPARE(shown, QStringLiteral("   TALVO.INIファイルが存在しませんので、   \n   INI ファイルを作成します。   "));

    RunBox(QStringLiteral("a\rb\nc\r\nd\n\n  e  "), MsgKind::Warning, mbYes, [&](QDialog *box) {
        shown = box->findChild<QLabel *>("Text")->text();
        box->done(0);
    });
    QCOMPARE(shown, QStringLiteral("a\nb\nc\nd\n\n  e  "));
}

void TestPlatform::boxIsCentred()
{
    QPoint pos, expected;
    RunBox("   完了しました。          ", MsgKind::Information, mbYes, [&](QDialog *box) {
        const QRect area = box->screen()->availableGeometry();
        const QSize size = box->frameGeometry().size();
        expected = QPoint(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
        pos = box->frameGeometry().topLeft();
        box->done(0);
    });
    QCOMPARE(pos, expected);
}

void TestPlatform::hookAnswersWithoutABox()
{
    QString seenText;
    MsgKind seenKind = MsgKind::Information;
    unsigned seenButtons = 0;
    bool boxShown = true;
    SetMessageBoxHook([&](const QString &text, MsgKind kind, unsigned buttons) {
        seenText = text;
        seenKind = kind;
        seenButtons = buttons;
        boxShown = QApplication::activeModalWidget() != nullptr;
        return int(mrYes);
    });
    QCOMPARE(ShowMessageBox("  上書きしていいですか。  ", MsgKind::Information, mbYes | mbNo), int(mrYes));
    QCOMPARE(seenText, QStringLiteral("  上書きしていいですか。  "));
    QCOMPARE(seenKind, MsgKind::Information);
    QCOMPARE(seenButtons, unsigned(mbYes | mbNo));
    QVERIFY(!boxShown);
}

void TestPlatform::keyMapping_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("mods");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("shift");
    const int S = Qt::ShiftModifier, A = Qt::AltModifier, C = Qt::ControlModifier, K = Qt::KeypadModifier;
    QTest::newRow("A") << int(Qt::Key_A) << 0 << 65 << 0;
    QTest::newRow("Shift+Z") << int(Qt::Key_Z) << S << 90 << int(ssShift);
    QTest::newRow("Ctrl+F") << int(Qt::Key_F) << C << 70 << int(ssCtrl);
    QTest::newRow("Ctrl+Shift+Alt+C") << int(Qt::Key_C) << (S | A | C) << 67 << int(ssShift | ssAlt | ssCtrl);
    QTest::newRow("0") << int(Qt::Key_0) << 0 << 48 << 0;
    QTest::newRow("keypad 3") << int(Qt::Key_3) << K << 0x63 << 0;
    QTest::newRow("F1") << int(Qt::Key_F1) << 0 << 112 << 0;
    QTest::newRow("Shift+F4") << int(Qt::Key_F4) << S << 115 << int(ssShift);
    QTest::newRow("Esc") << int(Qt::Key_Escape) << 0 << 27 << 0;
    QTest::newRow("Return") << int(Qt::Key_Return) << 0 << 13 << 0;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << K << 13 << 0;
    QTest::newRow("Shift+Return") << int(Qt::Key_Return) << S << 13 << int(ssShift);
    QTest::newRow("Space") << int(Qt::Key_Space) << 0 << 32 << 0;
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << C << 34 << int(ssCtrl);
    QTest::newRow("Home") << int(Qt::Key_Home) << 0 << 36 << 0;
    QTest::newRow("keypad Home") << int(Qt::Key_Home) << K << 36 << 0;
    QTest::newRow("Left") << int(Qt::Key_Left) << 0 << 37 << 0;
    QTest::newRow("Shift+Right") << int(Qt::Key_Right) << S << 39 << int(ssShift);
    QTest::newRow("Tab") << int(Qt::Key_Tab) << 0 << 9 << 0;
    QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << S << 9 << int(ssShift);
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 0 << 8 << 0;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << 0 << 46 << 0;
    QTest::newRow("[") << int(Qt::Key_BracketLeft) << C << 0xDB << int(ssCtrl);
    QTest::newRow("{") << int(Qt::Key_BraceLeft) << S << 0xDB << int(ssShift);
    QTest::newRow("unmapped symbol") << int(Qt::Key_Exclam) << S << 0 << int(ssShift);
    QTest::newRow("unmapped media key") << int(Qt::Key_VolumeUp) << 0 << 0 << 0;
}

void TestPlatform::keyMapping()
{
    QFETCH(int, qtKey);
    QFETCH(int, mods);
    QFETCH(int, code);
    QFETCH(int, shift);
    const QKeyEvent event(QEvent::KeyPress, qtKey, Qt::KeyboardModifiers(mods));
    const VirtualKey vk = MapKeyEvent(&event);
    QCOMPARE(vk.key, code);
    QCOMPARE(vk.shift, shift);
}

void TestPlatform::centreOnScreen()
{
    QWidget w;
    w.resize(625, 430);
    CentreOnScreen(&w);
    const QRect area = w.screen()->availableGeometry();
    QCOMPARE(w.pos(), QPoint(area.x() + (area.width() - 625) / 2, area.y() + (area.height() - 430) / 2));

    // Larger than the screen: the division truncates toward zero, as the rule asks.
    w.resize(area.width() + 3, area.height() + 5);
    CentreOnScreen(&w);
    QCOMPARE(w.pos(), QPoint(area.x() + (-3) / 2, area.y() + (-5) / 2));
    QCOMPARE(w.pos(), QPoint(area.x() - 1, area.y() - 2));
}

void TestPlatform::fileFilters()
{
    QCOMPARE(ToQtFileFilter(QStringLiteral("全ﾌｧｲﾙ(*.*)|*.*")), QStringLiteral("全ﾌｧｲﾙ(*.*) (*)"));
    QCOMPARE(ToQtFileFilter(QStringLiteral("ﾃｷｽﾄ|*.txt;*.TXT|全ﾌｧｲﾙ|*.*")),
             QStringLiteral("ﾃｷｽﾄ (*.txt *.TXT);;全ﾌｧｲﾙ (*)"));
    QCOMPARE(ToQtFileFilter(QString()), QString());
}

void TestPlatform::fonts()
{
    const QFont sys = ResolveFont("System", 19, true);
    QCOMPARE(sys.family(), QStringLiteral("IPAGothic"));
    QCOMPARE(sys.pixelSize(), 19);
    QCOMPARE(ResolveFont("system", -19).pixelSize(), 19);
    const QFont points = ResolveFont("system", 14);
    QCOMPARE(points.family(), QStringLiteral("IPAGothic"));
    QCOMPARE(points.pointSize(), 14);
    const QFont named = ResolveFont("DejaVu Sans", 12);
    QCOMPARE(named.family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(named.pointSize(), 12);
}

void TestPlatform::helpFilePath()
{
    SetProgramFile("/opt/talvo dir/TALVO");
    QCOMPARE(ProgramFile(), QStringLiteral("/opt/talvo dir/TALVO"));
    QCOMPARE(HelpFilePath(), QStringLiteral("/opt/talvo dir/TALVO.HLP"));
    // The help keeps its one name whatever the program file is called.
    SetProgramFile("/opt/v1.2/talvo.bin");
    QCOMPARE(HelpFilePath(), QStringLiteral("/opt/v1.2/TALVO.HLP"));
    SetProgramFile("/opt/v1.2/TALVO");
    QCOMPARE(HelpFilePath(), QStringLiteral("/opt/v1.2/TALVO.HLP"));
    SetProgramFile(QString());
    QCOMPARE(ProgramFile(), QCoreApplication::applicationFilePath());
}

void TestPlatform::helpWindowShowsFileOrSaysItIsMissing()
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/help 日本語 XXXXXX"));
    QVERIFY(dir.isValid());
    SetProgramFile(dir.filePath("TALVO"));

    OpenHelp();
    HelpWindow *w = HelpWindow::Instance();
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QVERIFY(!w->isModal());
    QVERIFY(w->browser()->toPlainText().contains(QStringLiteral("見つかりません")));
    QVERIFY(w->browser()->toPlainText().contains(dir.filePath("TALVO.HLP")));

    WriteBytes(dir.filePath("TALVO.HLP"),
               QStringLiteral("<html><head><meta charset=\"utf-8\"><title>t</title></head>"
                              "<body><h1>出力ﾌｧｲﾙ名</h1><p id=\"x\">区切設定</p></body></html>")
                   .toUtf8());
    // From a message box's Help button: the help comes up while the box stays open.
    bool boxOpen = false;
    QString shown;
    RunBox("text", MsgKind::Information, mbOK | mbHelp, [&](QDialog *box) {
        box->findChild<QPushButton *>("Help")->click();
        boxOpen = box->isVisible();
        shown = HelpWindow::Instance()->browser()->toPlainText();
        box->done(0);
    });
    QVERIFY(boxOpen);
    QCOMPARE(HelpWindow::Instance(), w);
    QVERIFY(shown.contains(QStringLiteral("出力ﾌｧｲﾙ名")));
    QVERIFY(shown.contains(QStringLiteral("区切設定")));
}

void TestPlatform::shippedHelpDescribesTheMainWindow()
{
    const QString shipped = QFINDTESTDATA("../../app/files/TALVO.HLP");
    QVERIFY(!shipped.isEmpty());
    HelpWindow w;
    w.ShowFile(shipped);
    const QString text = w.browser()->toPlainText();
    // Every command of the main window is named by its caption, and the keys by their names.
    const QStringList captions = {
        "出力ﾌｧｲﾙ名", "参照", "実行", "終了", "入力ﾌｧｲﾙ名", "一つ上へ", "一つ下へ", "ｶｯﾄ", "張り付け",
        "削除", "入力表示", "入力拡大", "区切設定", "区切１出力", "ﾌｧｲﾙ名出力", "区切２出力", "区切３出力",
        "出力表示", "出力拡大", "再設定", "内容表示", "ﾌﾟﾚﾋﾞｭｰ", "ﾗﾝﾁｬｰ", "ﾗﾝﾁｬｰ設定", "Listﾌｫﾝﾄ設定",
        "List背景色設定", "Viewﾌｫﾝﾄ設定", "View背景色設定", "ﾍﾙﾌﾟ表示", "Esc", "Enter", "F2", "F4",
        // Every other window by its caption, and the separator dialog's controls.
        "Talvo (区切ﾌｧｲﾙ設定)", "Talvo (ﾋﾞｭｰﾜ)", "Talvo (検索)", "Talvo (ｼﾞｬﾝﾌﾟ)", "折返切替",
        "Talvo (折返設定)", "Talvo (ｽｸﾛｰﾙ設定)", "Talvo (ﾒｯｾｰｼﾞ)", "Talvo (ﾗﾝﾁｬｰ設定)",
        "Talvo (ﾗﾝﾁｬｰ編集)", "Talvo (ﾗﾝﾁｬｰ実行)", "区切１出力ﾌｧｲﾙ名", "ﾌｧｲﾙ名出力文字列",
        "区切２出力ﾌｧｲﾙ名", "区切３出力ﾌｧｲﾙ名", "保存", "ｷｬﾝｾﾙ"};
    for (const QString &c : captions)
        QVERIFY2(text.contains(c), qPrintable(c));
}

void TestPlatform::buttonsTakeEnterAndPlainMnemonics()
{
    // Any dialog of the program, with buttons that are not Qt's auto-default ones.
    QDialog dialog;
    auto *ok = new QPushButton("OK(&O)", &dialog);
    auto *apply = new QPushButton("適用(&A)", &dialog);
    auto *check = new QCheckBox("区切(&2)", &dialog);
    auto *edit = new QLabel("名前(&N)", &dialog);
    auto *other = new QPushButton("他(&T)", &dialog);
    edit->setBuddy(other);
    apply->move(0, 30);
    check->move(0, 60);
    edit->move(0, 90);
    other->move(60, 90);
    for (QPushButton *b : {ok, apply, other})
        b->setAutoDefault(false);
    ok->setDefault(true);
    QStringList clicked;
    QObject::connect(ok, &QPushButton::clicked, [&] { clicked << "ok"; });
    QObject::connect(apply, &QPushButton::clicked, [&] { clicked << "apply"; });
    QObject::connect(other, &QPushButton::clicked, [&] { clicked << "other"; });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));

    // Enter clicks the focused button, not the dialog's default one.
    apply->setFocus();
    QTest::keyClick(apply, Qt::Key_Return);
    QCOMPARE(clicked, QStringList{"apply"});
    QCOMPARE(dialog.result(), 0);
    QVERIFY(dialog.isVisible());

    // A letter without Alt, from a button or a check box, acts as it does with Alt.
    QTest::keyClick(apply, Qt::Key_2);
    QTRY_VERIFY(check->isChecked());
    QCOMPARE(QApplication::focusWidget(), check);
    QTest::keyClick(check, Qt::Key_O);
    QTRY_COMPARE(clicked, (QStringList{"apply", "ok"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ShiftModifier);
    QTRY_COMPARE(clicked, (QStringList{"apply", "ok", "other"}));
    QCOMPARE(QApplication::focusWidget(), other);
    // A letter no control owns does nothing; Ctrl with a letter is not a mnemonic.
    QTest::keyClick(other, Qt::Key_Z);
    QTest::keyClick(other, Qt::Key_A, Qt::ControlModifier);
    QTest::qWait(200);
    QCOMPARE(clicked, (QStringList{"apply", "ok", "other"}));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    InstallDialogKeys(&app);  // as the program's application object does
    TestPlatform test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_platform.moc"
