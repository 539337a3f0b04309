// The property sets of the windows' text views as each window shows them once constructed: the
// main window's and the separator dialog's content views, and the viewer's view. Every property
// a window sets is pinned, on the window's view and on a bare view given the same preset (what
// the benchmarks and the view tests use), so a change of a set shows here wherever it lands.
#include <QtTest>

#include "bigview/BigView.h"
#include "bigview/ViewPresets.h"
#include "platform/Fonts.h"
#include "platform/MessageBox.h"
#include "app/Appearance.h"
#include "app/rules/Settings.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "viewer/TForm3.h"
#include "viewer/ViewerState.h"
#include "tests/TestSupport.h"

namespace {
// Everything a window sets on its view, read back.
struct ViewProps {
    TBvStyle style;
    int capacity = -1;
    bool caret = false;
    int maxChar = 0;
    int pCanLimit = -1;
    bool scOver = false;
    TScrollStyle scrollBar = ssNone;
    int scrollSense = 0;
    bool select = false;
    Qt::FocusPolicy focus = Qt::NoFocus;
    int viewTabStop = 0;
    int wrapByte = -1;
    bool wordWrap = false;
    QFont font;
    QColor fontColor;
    QColor color;
};

ViewProps Read(const TBigView &v)
{
    return {v.BvStyle(), v.Capacity(), v.Caret(), v.MaxChar(), v.PCanLimit(), v.ScOver(), v.ScrollBar(),
            v.ScrollSense(), v.Select(), v.focusPolicy(), v.ViewTabStop(), v.WrapByte(), v.WordWrap(),
            v.font(), v.FontColor(), v.Color()};
}

// The properties both content views share: a caret, a selection, wrap at the window width, a
// vertical scroll bar that scrolls past the end.
void VerifyContentView(const ViewProps &p, TBvStyle frame)
{
    QCOMPARE(p.style, frame);
    QCOMPARE(p.capacity, 0);
    QCOMPARE(p.caret, true);
    QCOMPARE(p.maxChar, 255);
    QCOMPARE(p.pCanLimit, 0);
    QCOMPARE(p.scOver, true);
    QCOMPARE(p.scrollBar, ssVertical);
    QCOMPARE(p.scrollSense, 2);
    QCOMPARE(p.select, true);
    QCOMPARE(p.focus, Qt::StrongFocus);
    QCOMPARE(p.viewTabStop, 4);
    QCOMPARE(p.wrapByte, 0);
    QCOMPARE(p.wordWrap, true);
}

// The viewer's view, which no settings have reached yet.
void VerifyViewerView(const ViewProps &p)
{
    QCOMPARE(p.style, (TBvStyle{bvClientLow}));
    QCOMPARE(p.capacity, 0);
    QCOMPARE(p.caret, false);
    QCOMPARE(p.maxChar, 255);
    QCOMPARE(p.pCanLimit, 0);
    QCOMPARE(p.scOver, true);
    QCOMPARE(p.scrollBar, ssVertical);
    QCOMPARE(p.scrollSense, 2);
    QCOMPARE(p.select, true);
    QCOMPARE(p.focus, Qt::StrongFocus);
    QCOMPARE(p.viewTabStop, 4);
    QCOMPARE(p.wrapByte, 80);
    QCOMPARE(p.wordWrap, true);
    QCOMPARE(p.font, ResolveFont(QStringLiteral("System"), 19, true));
    QCOMPARE(QFontInfo(p.font).pixelSize(), 19);
    QCOMPARE(p.fontColor, QColor(Qt::black));
    QCOMPARE(p.color, TBigView().Color());  // the view's own
}

// The content views' look comes from the settings, after their properties.
void VerifySettingsLook(const ViewProps &p, const Settings &s)
{
    QCOMPARE(p.font, SettingFont(s.TextFontName, s.TextFontSize));
    QCOMPARE(p.fontColor, SettingColor(s.TextFontColor, clBlack));
    QCOMPARE(p.color, SettingColor(s.TextBackColor, clWindow));
}
}  // namespace

class TestViewPresets : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString program() const { return dir_.filePath("TALVO"); }

private slots:
    void init()
    {
        SetMessageBoxHook({});
        testsupport::WriteBytes(dir_.filePath("TALVO.INI"), "");
    }

    void mainWindowContentView()
    {
        TForm1 form(program(), {});
        const ViewProps p = Read(*form.BigView1);
        VerifyContentView(p, {bvDblFrame});
        VerifySettingsLook(p, form.Ini);
        TBigView preset;
        ApplyContentViewPreset(preset, {bvDblFrame});
        VerifyContentView(Read(preset), {bvDblFrame});
    }

    void separatorDialogContentView()
    {
        Settings s = DefaultSettings(FilesBesideProgram(QFile::encodeName(program())));
        TForm2 form(s);
        const ViewProps p = Read(*form.BigView1);
        VerifyContentView(p, {bvClientLow});
        VerifySettingsLook(p, s);
        TBigView preset;
        ApplyContentViewPreset(preset, {bvClientLow});
        VerifyContentView(Read(preset), {bvClientLow});
    }

    // The viewer's view differs from the content views in its caret (shown only on a hit), its
    // wrap at 80 bytes and a font of its own until the settings' look is applied.
    void viewerView()
    {
        ViewerState state;
        TForm3 viewer(state);
        VerifyViewerView(Read(*viewer.BigView1));
        TBigView preset;
        ApplyViewerPreset(preset);
        VerifyViewerView(Read(preset));
    }
};

QTEST_MAIN(TestViewPresets)
#include "tst_view_presets.moc"
