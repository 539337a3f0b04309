// The input list's editing rules, driven without a window: the names, the paths and the list
// box's items stay in step, and the selection and the paste button follow each command.
#include <QtTest>

#include "app/rules/CommandLine.h"
#include "app/rules/InputList.h"
#include "app/rules/JoinJob.h"
#include "lines/NativeFile.h"

namespace {
// A list box that records what the list told it.
class FakeListBox : public InputListView {
public:
    QStringList items;
    int selected = -1;
    bool pasteEnabled = true;
    void SetItems(const QStringList &names) override { items = names; }
    void InsertItem(int index, const QString &name) override { items.insert(index, name); }
    void RemoveItem(int index) override { items.removeAt(index); }
    void ExchangeItems(int a, int b) override { items.swapItemsAt(a, b); }
    int SelectedIndex() const override { return selected; }
    void SelectIndex(int index) override { selected = index; }
    void SetPasteEnabled(bool enabled) override { pasteEnabled = enabled; }
};

// "テスト.txt" in Shift-JIS, as unpacked from an old archive: not valid UTF-8.
const QByteArray SjisName("\x83\x65\x83\x58\x83\x67.txt");
}

class TestInputList : public QObject {
    Q_OBJECT
private:
    // Checks that the three sequences agree and returns the names.
    static QStringList InStep(const InputList &list, const FakeListBox &box)
    {
        [&] {
            QCOMPARE(box.items, list.NameList());
            QCOMPARE(list.PathList().size(), list.NameList().size());
            for (int i = 0; i < list.Count(); ++i)
                QVERIFY(list.PathList()[i].endsWith(list.NameList()[i].toUtf8()));
        }();
        return box.items;
    }

private slots:
    void buildsFromTheCommandLine()
    {
        FakeListBox box;
        InputList list(box, {"/A/x.txt", "/y.txt", "bare"});
        QCOMPARE(InStep(list, box), (QStringList{"x.txt", "y.txt", "bare"}));
        QCOMPARE(box.selected, 0);
        QVERIFY(!box.pasteEnabled);
        QCOMPARE(list.FirstFolder(), QByteArray("/A/"));

        FakeListBox none;
        InputList empty(none, {});
        QCOMPARE(none.selected, -1);
        QCOMPARE(empty.FirstFolder(), QByteArray());
    }

    void appendAddsAtTheEndAsTheCommandLineWould()
    {
        FakeListBox box;
        InputList list(box, {"/A/x.txt", "/B/y.txt"});
        box.selected = 1;
        list.Cut();
        QVERIFY(list.Append({"/C/" + SjisName, "/D/z z.txt"}));
        QCOMPARE(box.items, list.NameList());
        QCOMPARE(list.NameList(), (QStringList{"x.txt", QString::fromUtf8("テスト.txt"), "z z.txt"}));
        QCOMPARE(list.PathList()[1], "/C/" + SjisName);
        QCOMPARE(box.selected, 0);     // the selection stays
        QVERIFY(box.pasteEnabled);     // and so does the cut entry
        // Restore brings back every input given, in the order given.
        list.Restore();
        QCOMPARE(box.items, list.NameList());
        QCOMPARE(list.NameList(), (QStringList{"x.txt", "y.txt", QString::fromUtf8("テスト.txt"), "z z.txt"}));
        QCOMPARE(list.PathList(), (QByteArrayList{"/A/x.txt", "/B/y.txt", "/C/" + SjisName, "/D/z z.txt"}));
        QCOMPARE(list.FirstFolder(), QByteArray("/A/"));

        // The first inputs of an empty list: selected, and their folder is the one offered.
        FakeListBox none;
        InputList empty(none, {});
        QVERIFY(empty.Append({"/E/first.txt", "/F/second.txt"}));
        QCOMPARE(InStep(empty, none), (QStringList{"first.txt", "second.txt"}));
        QCOMPARE(none.selected, 0);
        QCOMPARE(empty.FirstFolder(), QByteArray("/E/"));
        QVERIFY(empty.Append({}));
        QCOMPARE(empty.Count(), 2);
    }

    void appendBeyondTheCapacityAddsNothing()
    {
        FakeListBox box;
        InputList list(box, {"/a", "/b", "/c"});
        QVERIFY(!list.Append({"/d", "/e"}, 4));
        QCOMPARE(InStep(list, box), (QStringList{"a", "b", "c"}));
        QCOMPARE(list.PathListSaved().size(), 3);
        QVERIFY(list.Append({"/d"}, 4));
        // The copy kept for Restore counts too: after deletes it still holds four.
        box.selected = 0;
        list.Delete();
        list.Delete();
        QVERIFY(!list.Append({"/e"}, 4));
        QCOMPARE(InputList::Capacity, 134217727);
    }

    void cutPasteDeleteAndTheirSelection()
    {
        FakeListBox box;
        InputList list(box, {"/d/A", "/d/B", "/d/C"});
        box.selected = 1;
        list.Cut();
        QCOMPARE(InStep(list, box), (QStringList{"A", "C"}));
        QCOMPARE(box.selected, 1);
        QVERIFY(box.pasteEnabled);
        QCOMPARE(list.CutPath(), QByteArray("/d/B"));
        list.Paste();
        QCOMPARE(InStep(list, box), (QStringList{"A", "B", "C"}));
        QCOMPARE(box.selected, 1);
        list.Paste();  // the same entry again, before the selected one
        QCOMPARE(InStep(list, box), (QStringList{"A", "B", "B", "C"}));
        QCOMPARE(box.selected, 1);
        QVERIFY(box.pasteEnabled);

        box.selected = 3;  // the last entry: the new last one is selected
        list.Delete();
        QCOMPARE(InStep(list, box), (QStringList{"A", "B", "B"}));
        QCOMPARE(box.selected, 2);
        QVERIFY(!box.pasteEnabled);
        list.Paste();  // disabled by the delete although the buffer still holds B
        QCOMPARE(InStep(list, box), (QStringList{"A", "B", "B"}));

        box.selected = 2;
        list.Cut();
        QCOMPARE(box.selected, 1);
        QCOMPARE(InStep(list, box), (QStringList{"A", "B"}));
    }

    void theLastEntryStaysAndNothingSelectedDoesNothing()
    {
        FakeListBox box;
        InputList list(box, {"/only"});
        list.Cut();
        list.Delete();
        list.Up();
        list.Down();
        QCOMPARE(InStep(list, box), QStringList{"only"});
        QCOMPARE(box.selected, 0);
        QVERIFY(!box.pasteEnabled);

        InputList two(box, {"/a", "/b"});
        box.selected = -1;
        two.Cut();
        two.Delete();
        two.Up();
        two.Down();
        QCOMPARE(InStep(two, box), (QStringList{"a", "b"}));
    }

    void upDownAtTheEndsAndRestore()
    {
        FakeListBox box;
        InputList list(box, {"/A", "/B", "/C"});
        list.Up();  // first entry: nothing
        QCOMPARE(InStep(list, box), (QStringList{"A", "B", "C"}));
        QCOMPARE(box.selected, 0);
        list.Down();
        list.Down();
        QCOMPARE(InStep(list, box), (QStringList{"B", "C", "A"}));
        QCOMPARE(box.selected, 2);
        list.Down();  // last entry: nothing
        QCOMPARE(box.selected, 2);
        list.Up();
        QCOMPARE(InStep(list, box), (QStringList{"B", "A", "C"}));
        QCOMPARE(box.selected, 1);
        list.Cut();
        QVERIFY(box.pasteEnabled);

        list.Restore();
        QCOMPARE(InStep(list, box), (QStringList{"A", "B", "C"}));
        QCOMPARE(list.PathList(), (QByteArrayList{"/A", "/B", "/C"}));
        QCOMPARE(box.selected, 0);
        QVERIFY(!box.pasteEnabled);
    }

    // Every argument is an input, whatever it looks like; Qt is given the program name only.
    void everyArgumentIsAnInputAndQtSeesNone()
    {
        const char *argv[] = {"TALVO", "-reverse", "-title", "a b.txt", "-style", SjisName.constData(), nullptr};
        const CommandLine line = SplitCommandLine(6, argv);
        QCOMPARE(line.qtArgc, 1);
        QCOMPARE(line.inputs, (QByteArrayList{"-reverse", "-title", "a b.txt", "-style", SjisName}));
    }

    // A Shift-JIS name is shown as CP932, a UTF-8 one as UTF-8; the file-name line keeps the
    // Shift-JIS name's own bytes and encodes a UTF-8 name to CP932.
    void namesInEitherEncoding()
    {
        FakeListBox box;
        InputList list(box, {"/d/" + SjisName, "/d/メモ.txt"});
        QCOMPARE(list.NameList(), (QStringList{"テスト.txt", "メモ.txt"}));
        QCOMPARE(list.PathList()[0], "/d/" + SjisName);
        QCOMPARE(FileNameLineName(QByteArray("/d/" + SjisName)), SjisName);
        QCOMPARE(FileNameLineName(QByteArray("/d/メモ.txt")), QByteArray("\x83\x81\x83\x82.txt"));
        QVERIFY(!IsValidUtf8(SjisName));
        QVERIFY(IsValidUtf8("/d/メモ.txt"));
    }
};

QTEST_GUILESS_MAIN(TestInputList)
#include "tst_input_list.moc"
