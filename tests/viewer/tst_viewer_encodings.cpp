// The viewer on files that are not Shift-JIS: the encoding menu and its reload, the search in
// the file's encoding, and the caption's column in cells.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "bigview/BigView.h"
#include "platform/MessageBox.h"
#include "tests/TestSupport.h"
#include "viewer/TForm17.h"
#include "viewer/TForm3.h"
#include "viewer/TextSearch.h"
#include "viewer/ViewerMessages.h"

class TstViewerEncodings : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QStringList messages_;
    ViewerState state_;
    std::unique_ptr<TForm3> form_;

    // A viewer on a UTF-8 file of 200 lines, line 150 holding "日本語 Needle".
    void Open()
    {
        QByteArray text;
        for (int i = 1; i <= 200; ++i)
            text += (i == 150 ? QStringLiteral("ｶﾅと日本語 Needle").toUtf8() : QByteArray("line ")) + QByteArray::number(i) + "\r\n";
        const QString file = dir_.filePath(u"ビュー me.txt"_qs);
        testsupport::WriteBytes(file, text);
        form_ = std::make_unique<TForm3>(state_);
        form_->BigView1->SetWordWrap(false);
        form_->BigView1->LoadFromFile(file);
        state_.ShownFile = QFile::encodeName(file);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }

private slots:
    void init()
    {
        messages_.clear();
        state_ = ViewerState();
        SetMessageWindowHook([this](const QString &text) { messages_ << text; });
        Open();
    }
    void cleanup() { form_.reset(); }

    void menuOffersEveryEncodingAndReloadsKeepingTheTopLine()
    {
        QMenu *menu = form_->MenuEncoding;
        QVERIFY(menu);
        QCOMPARE(menu->title(), QStringLiteral("文字ｺｰﾄﾞ(&E)"));
        QCOMPARE(form_->MenuEncodingItems.size(), 6);
        form_->UpdateEncodingMenu();
        QCOMPARE(form_->MenuEncodingItems[0]->text(), QStringLiteral("自動判定 (UTF-8)"));
        QVERIFY(form_->MenuEncodingItems[0]->isChecked());

        form_->BigView1->SetTopRow(120);
        form_->MenuEncodingItems[1]->trigger();  // Shift_JIS
        QCOMPARE(form_->BigView1->Encoding(), TextEncoding::ShiftJis);
        QCOMPARE(form_->BigView1->RowToLine(form_->BigView1->TopRow()), 120);
        QVERIFY(form_->MenuEncodingItems[1]->isChecked());
        QCOMPARE(form_->MenuEncodingItems[0]->text(), QStringLiteral("自動判定"));

        form_->MenuEncodingItems[0]->trigger();
        QCOMPARE(form_->BigView1->Encoding(), TextEncoding::Utf8);
        QCOMPARE(form_->BigView1->RowToLine(form_->BigView1->TopRow()), 120);

        // A dropped file is judged by its own bytes again.
        form_->MenuEncodingItems[3]->trigger();  // EUC-JP
        QCOMPARE(form_->BigView1->Encoding(), TextEncoding::EucJp);
        const QString other = dir_.filePath("other.txt");
        testsupport::WriteBytes(other, QStringLiteral("別のファイル").toUtf8());
        form_->FormDropFiles({QFile::encodeName(other)});
        QCOMPARE(form_->BigView1->Encoding(), TextEncoding::Utf8);
        QVERIFY(!form_->BigView1->EncodingChoice());
    }

    void searchFindsTheTextInTheFilesEncodingAndCountsCells()
    {
        // The dialog hands the text over as Shift-JIS bytes.
        state_.SearchText = testsupport::Sjis(QStringLiteral("日本語 needle"));
        state_.SearchDone = true;
        state_.FindLineScroll = 0;
        form_->MenuReFindClick();
        QVERIFY(messages_.isEmpty());
        QCOMPARE(state_.HitRow, 150);
        // "ｶﾅと" is four cells: the hit is in column 5, although it starts at byte 10.
        QVERIFY(form_->windowTitle().endsWith(QStringLiteral("検索位置 : 5")));
        QCOMPARE(form_->BigView1->CaretPos(), QPoint(10, 149));

        // Case distinction on: "needle" is not there.
        state_.SearchUperLower = true;
        form_->BigView1->SetTopRow(0);
        form_->HideHitMarker();
        form_->MenuReFindClick();
        QCOMPARE(messages_, QStringList({viewermsg::NotFound}));
    }
};

QTEST_MAIN(TstViewerEncodings)
#include "tst_viewer_encodings.moc"
