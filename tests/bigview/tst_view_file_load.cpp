// A view showing a file that changes on disk: it notices when it next paints and loads the file
// again at the same line, or shows the display failure when the file is gone.
#include <QFile>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>

#include <unistd.h>

#include "bigview/ViewFileLoad.h"
#include "lines/MappedFile.h"
#include "lines/TBvStrings.h"
#include "platform/MessageBox.h"
#include "tests/bigview/BigViewFixture.h"

using testsupport::WriteBytes;

namespace {
QByteArray Numbered(const QByteArray &word, int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += word + ' ' + QByteArray::number(i) + "\r\n";
    return text;
}

// Lets the view paint and answer what the paint noticed.
void PaintAndSettle(TBigView &view)
{
    view.viewport()->repaint();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}
}  // namespace

class TestViewFileLoad : public QObject {
    Q_OBJECT
    QStringList boxes_;

private slots:
    void init()
    {
        boxes_.clear();
        SetMessageBoxHook([this](const QString &text, MsgKind, unsigned) {
            boxes_ << text;
            return int(mrOk);
        });
    }
    void cleanup() { SetMessageBoxHook({}); }

    void changedFileIsShownAgainAtTheSameLine()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("shown file.txt");
        WriteBytes(path, Numbered("old", 1000));
        auto view = fixture::MakeView();
        QVERIFY(ShowFileInView(*view, QFile::encodeName(path), "cannot show", nullptr));
        view->SetTopRow(view->LineToRow(500));
        PaintAndSettle(*view);
        QCOMPARE(view->Lines().Get(500), QByteArray("old 500"));

        // Rewritten in place (same name, new bytes): loaded again, still at line 500.
        QTest::qWait(20);
        WriteBytes(path, Numbered("new", 2000));
        PaintAndSettle(*view);
        QCOMPARE(view->LineCount(), 2000);
        QCOMPARE(view->Lines().Get(500), QByteArray("new 500"));
        QCOMPARE(view->RowToLine(view->TopRow()), 500);
        QVERIFY(boxes_.isEmpty());

        // Cut short under the mapping: nothing crashes, the shorter file is shown.
        QVERIFY(::truncate(QFile::encodeName(path).constData(), 12 * 10) == 0);
        PaintAndSettle(*view);
        QCOMPARE(view->LineCount(), 17);  // 10 lines of 7 bytes, 6 of 8, and "ne"
        QCOMPARE(view->Lines().Get(16), QByteArray("ne"));
        QCOMPARE(view->Lines().Get(0), QByteArray("new 0"));
        QVERIFY(boxes_.isEmpty());

        // Gone: the display failure, once, and an empty view.
        QVERIFY(QFile::remove(path));
        PaintAndSettle(*view);
        PaintAndSettle(*view);
        QCOMPARE(boxes_, QStringList{"cannot show"});
        QCOMPARE(view->LineCount(), 0);
    }

    // A view loaded without ShowFileInView reports the change and is left as it is; a file
    // replaced by another one (renamed over it) keeps its bytes in the view.
    void unfollowedViewsStayAsTheyAre()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("file.txt");
        WriteBytes(path, Numbered("line", 10));
        auto view = fixture::MakeView();
        QVERIFY(LoadFileIntoView(*view, QFile::encodeName(path)));
        QSignalSpy changed(view.get(), &TBigView::SourceChanged);
        WriteBytes(dir.filePath("other"), Numbered("other", 3));
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::rename(dir.filePath("other"), path));
        PaintAndSettle(*view);
        PaintAndSettle(*view);
        QCOMPARE(changed.count(), 1);  // noticed once
        QCOMPARE(view->LineCount(), 10);
        QCOMPARE(view->Lines().Get(9), QByteArray("line 9"));
        QVERIFY(boxes_.isEmpty());
    }
};

QTEST_MAIN(TestViewFileLoad)
#include "tst_view_file_load.moc"
