#include "app/TForm1.h"

#include <QAction>
#include <QCloseEvent>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QStringDecoder>
#include <new>
#include <utility>

#include "lines/IniFile.h"
#include "launcher/LauncherMessages.h"
#include "launcher/LauncherRun.h"
#include "launcher/LauncherWorkLists.h"
#include "lines/ListErrors.h"
#include "app/rules/Messages.h"
#include "lines/Paths.h"
#include "lines/ShiftJis.h"
#include "platform/BackgroundWork.h"
#include "platform/BusyCursor.h"
#include "platform/CommonDialogs.h"
#include "platform/Controls.h"
#include "platform/FileDrop.h"
#include "platform/Fonts.h"
#include "platform/HelpWindow.h"
#include "platform/KeyRouter.h"
#include "platform/MessageBox.h"
#include "platform/ProgramFile.h"
#include "platform/VirtualKeys.h"
#include "launcher/TForm11.h"
#include "launcher/TForm13.h"
#include "app/WindowActivation.h"
#include "platform/WindowPlacement.h"
#include "bigview/BigView.h"
#include "bigview/ViewFileLoad.h"
#include "bigview/ViewPresets.h"
#include "lines/NativeFile.h"
#include "viewer/TForm3.h"
#include "app/rules/TextValues.h"
#include "app/Appearance.h"
#include "app/TForm2.h"

namespace {

// "Ctrl alone" and "Alt alone" are the only shift sets that keep F2 and F4 from acting.
bool CtrlOrAltAlone(int shift) { return shift == ssCtrl || shift == ssAlt; }

}

// ListBox1 and BtnPaste as the input list sees them.
class TForm1::ListBoxItems : public InputListView {
public:
    ListBoxItems(QListWidget *list, QPushButton *paste) : list_(list), paste_(paste)
    {
        // A click on the empty area below the entries would leave none selected, and every
        // list command without an entry: a list with entries keeps one, as a native list does.
        QObject::connect(list_, &QListWidget::itemSelectionChanged, list_, [this] {
            if (list_->count() == 0 || !list_->selectedItems().isEmpty())
                return;
            const int current = list_->currentRow();
            list_->setCurrentRow(current >= 0 ? current : list_->count() - 1, QItemSelectionModel::ClearAndSelect);
        });
    }
    void SetItems(const QStringList &names) override
    {
        list_->clear();
        list_->addItems(names);
    }
    void InsertItem(int index, const QString &name) override { list_->insertItem(index, name); }
    void RemoveItem(int index) override { delete list_->takeItem(index); }
    void ExchangeItems(int index1, int index2) override
    {
        const QString text1 = list_->item(index1)->text();
        list_->item(index1)->setText(list_->item(index2)->text());
        list_->item(index2)->setText(text1);
    }
    int SelectedIndex() const override
    {
        const auto selected = list_->selectedItems();
        return selected.isEmpty() ? -1 : list_->row(selected.first());
    }
    void SelectIndex(int index) override
    {
        list_->setCurrentRow(index);
        if (index < 0)
            list_->clearSelection();
    }
    void SetPasteEnabled(bool enabled) override { paste_->setEnabled(enabled); }
    void InsertItems(int index, const QStringList &names) override { list_->insertItems(index, names); }

private:
    QListWidget *list_;
    QPushButton *paste_;
};

TForm1::TForm1(const QByteArray &programFile, const QByteArrayList &arguments, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      ProgramFile(QFile::decodeName(programFile)),
      Files(LocateProgramFiles(programFile, CurrentProgramEnvironment()))
{
    setObjectName("Form1");
    SetProgramFiles(Files);
    setFont(ResolveFont(QStringLiteral("System"), 16, true));
    BuildMenus();
    BuildControls();
    FormCreate(arguments);
}

TForm1::TForm1(const QString &programFile, const QByteArrayList &arguments, QWidget *parent)
    : TForm1(QFile::encodeName(programFile), arguments, parent)
{
}

TForm1::~TForm1() { FormDestroy(); }

QByteArray TForm1::SettingsPath() const { return Files.SettingsFile(); }

QByteArray TForm1::PreviewFilePath() const { return Files.PreviewFile(); }

void TForm1::BuildMenus()
{
    MenuFile = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    MenuFileExit = MenuFile->addAction(QStringLiteral("終了(&X)"));
    MenuFileExit->setObjectName("MenuFileExit");
    connect(MenuFileExit, &QAction::triggered, this, &TForm1::MenuFileExitClick);

    MenuSettings = menuBar()->addMenu(QStringLiteral("環境設定(&K)"));
    MenuLauncherSet = MenuSettings->addAction(QStringLiteral("ﾗﾝﾁｬｰ設定(&L)..."));
    MenuListFont = MenuSettings->addAction(QStringLiteral("Listﾌｫﾝﾄ設定(&G)..."));
    MenuListBavkColor = MenuSettings->addAction(QStringLiteral("List背景色設定(&D)..."));
    MenuViewFont = MenuSettings->addAction(QStringLiteral("Viewﾌｫﾝﾄ設定(&F)..."));
    MenuViewBackColor = MenuSettings->addAction(QStringLiteral("View背景色設定(&C)..."));
    MenuLauncherSet->setObjectName("MenuLauncherSet");
    MenuListFont->setObjectName("MenuListFont");
    MenuListBavkColor->setObjectName("MenuListBavkColor");
    MenuViewFont->setObjectName("MenuViewFont");
    MenuViewBackColor->setObjectName("MenuViewBackColor");

    MenuHelp = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    MenuHelpDisp = MenuHelp->addAction(QStringLiteral("ﾍﾙﾌﾟ表示(&C)"));
    MenuHelpDisp->setObjectName("MenuHelpDisp");
    connect(MenuListFont, &QAction::triggered, this, &TForm1::MenuListFontClick);
    connect(MenuListBavkColor, &QAction::triggered, this, &TForm1::MenuListBavkColorClick);
    connect(MenuViewFont, &QAction::triggered, this, &TForm1::MenuViewFontClick);
    connect(MenuViewBackColor, &QAction::triggered, this, &TForm1::MenuViewBackColorClick);
    connect(MenuHelpDisp, &QAction::triggered, this, &TForm1::MenuHelpDispClick);
    connect(MenuLauncherSet, &QAction::triggered, this, &TForm1::MenuLauncherSetClick);
}

void TForm1::BuildControls()
{
    auto *client = new QWidget(this);
    setCentralWidget(client);
    // Fixed places, as on the original form; the window is not resizable.
    setFixedSize(617, 404);

    auto button = [client](QPushButton *&b, const char *name, const QString &caption, int x, int y, int w) {
        b = MakeButton(client, name, caption, {x, y, w, 25});
        b->setAutoDefault(false);
    };
    auto check = [client](QCheckBox *&c, const char *name, const QString &caption, int x, int y) {
        c = MakeCheckBox(client, name, caption, {x, y, 130, 24});
    };

    Panel1 = new QFrame(client);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Panel1->setGeometry(0, 0, 617, 2);

    Label1 = MakeLabel(client, "Label1", QStringLiteral("出力ﾌｧｲﾙ名(&J)"), {8, 10, 112, 24});
    Edit1 = MakeEdit(client, "Edit1", {120, 9, 292, 26});
    Label1->setBuddy(Edit1);
    button(BtnRef, "BtnRef", QStringLiteral("参照(&A)"), 418, 9, 62);
    button(BtnOk, "BtnOk", QStringLiteral("実行(&O)"), 484, 9, 62);
    button(BtnCansel, "BtnCansel", QStringLiteral("終了"), 550, 9, 60);

    Label2 = MakeLabel(client, "Label2", QStringLiteral("  入力ﾌｧｲﾙ名(&Q)"), {8, 40, 200, 22});
    ListBox1 = new QListWidget(client);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setGeometry(8, 62, 228, 176);
    Label2->setBuddy(ListBox1);

    const int col1 = 242, col2 = 352, col3 = 486;
    button(BtnUp, "BtnUp", QStringLiteral("一つ上へ(&P)"), col1, 62, 104);
    button(BtnDown, "BtnDown", QStringLiteral("一つ下へ(&N)"), col1, 87, 104);
    button(BtnCut, "BtnCut", QStringLiteral("ｶｯﾄ(&X)"), col1, 112, 104);
    button(BtnPaste, "BtnPaste", QStringLiteral("張り付け(&V)"), col1, 137, 104);
    button(BtnDelete, "BtnDelete", QStringLiteral("削除(&D)"), col1, 162, 104);
    button(BtnDisp, "BtnDisp", QStringLiteral("入力表示(&Y)"), col1, 188, 104);
    button(BtnViewInput, "BtnViewInput", QStringLiteral("入力拡大(&G)"), col1, 213, 104);

    button(BtnSeparate, "BtnSeparate", QStringLiteral("区切設定(&U)"), col2, 62, 128);
    check(CheckBox1, "CheckBox1", QStringLiteral("区切１出力(&1)"), col2 + 4, 92);
    check(CheckBox2, "CheckBox2", QStringLiteral("ﾌｧｲﾙ名出力(&2)"), col2 + 4, 116);
    check(CheckBox3, "CheckBox3", QStringLiteral("区切２出力(&3)"), col2 + 4, 140);
    check(CheckBox4, "CheckBox4", QStringLiteral("区切３出力(&4)"), col2 + 4, 164);

    button(BtnOutFileDisp, "BtnOutFileDisp", QStringLiteral("出力表示(&I)"), col3, 62, 124);
    button(BtnViewOutput, "BtnViewOutput", QStringLiteral("出力拡大(&L)"), col3, 87, 124);
    button(BtnReRead, "BtnReRead", QStringLiteral("再設定(&M)"), col3, 112, 124);

    Label4 = MakeLabel(client, "Label4", QStringLiteral("  内容表示(&W)"), {8, 242, 200, 22});
    BigView1 = new TBigView(client);
    BigView1->setObjectName("BigView1");
    // The view takes the rest of the client area below the menu.
    const int clientHeight = height() - menuBar()->sizeHint().height();
    BigView1->setGeometry(8, 264, 601, clientHeight - 264 - 6);
    ApplyContentViewPreset(*BigView1, {bvDblFrame});
    BigView1->OnDblClick = [this](TBigView *) { BigView1Click(); };
    Label4->setBuddy(BigView1);
    button(BtnPreview, "BtnPreview", QStringLiteral("ﾌﾟﾚﾋﾞｭｰ(&R)"), col3, 188, 124);
    button(BtnLauncherRun, "BtnLauncherRun", QStringLiteral("ﾗﾝﾁｬｰ(&S)"), col3, 213, 124);

    const QList<QWidget *> order{Edit1, BtnRef, BtnOk, BtnCansel, ListBox1, BtnUp, BtnDown, BtnCut,
                                 BtnPaste, BtnDelete, BtnDisp, BtnViewInput, BtnSeparate, CheckBox1,
                                 CheckBox2, CheckBox3, CheckBox4, BtnOutFileDisp, BtnViewOutput,
                                 BtnReRead, BigView1, BtnPreview, BtnLauncherRun};
    SetTabOrder(order);
    // Edit1 and ListBox1 have keys of their own; the form's keys work in every control and the view.
    auto *keys = new KeyRouter(this, &TForm1::FormKeyDown);
    keys->Bind(Edit1, &TForm1::Edit1KeyDown);
    keys->Bind(ListBox1, &TForm1::ListBox1KeyDown);
    keys->Bind(order);

    connect(BtnOk, &QPushButton::clicked, this, &TForm1::BtnOkClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm1::BtnCanselClick);
    connect(BtnSeparate, &QPushButton::clicked, this, &TForm1::BtnSeparateClick);
    connect(BtnLauncherRun, &QPushButton::clicked, this, &TForm1::BtnLauncherRunClick);
    connect(BtnRef, &QPushButton::clicked, this, &TForm1::BtnRefClick);
    connect(BtnUp, &QPushButton::clicked, this, &TForm1::BtnUpClick);
    connect(BtnDown, &QPushButton::clicked, this, &TForm1::BtnDownClick);
    connect(BtnCut, &QPushButton::clicked, this, &TForm1::BtnCutClick);
    connect(BtnPaste, &QPushButton::clicked, this, &TForm1::BtnPasteClick);
    connect(BtnDelete, &QPushButton::clicked, this, &TForm1::BtnDeleteClick);
    connect(BtnReRead, &QPushButton::clicked, this, &TForm1::BtnReReadClick);
    connect(BtnDisp, &QPushButton::clicked, this, &TForm1::BtnDispClick);
    connect(BtnViewInput, &QPushButton::clicked, this, &TForm1::BtnViewInputClick);
    connect(BtnOutFileDisp, &QPushButton::clicked, this, &TForm1::BtnOutFileDispClick);
    connect(BtnViewOutput, &QPushButton::clicked, this, &TForm1::BtnViewOutputClick);
    connect(BtnPreview, &QPushButton::clicked, this, &TForm1::BtnPreviewClick);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TForm1::ListBox1Click);
}

void TForm1::FormCreate(const QByteArrayList &arguments)
{
    if (KindOfPath(Files.FirstRunProbe()) == PathKind::Missing)
        CreateMissingSettingsFile();

    Ini = ReadIniFileValue(Files, &iniUnreadable_);
    if (iniUnreadable_) {
        // Start with the defaults, say so once, and leave the file alone at exit.
        ShowMessageBox(EIniWriteError(SettingsPath()).message(), MsgKind::Error, mbOK, this);
    }
    ApplyAppearance();
    Ini.Viewer.WordWrapByte = std::clamp(Ini.Viewer.WordWrapByte, MinWrapByte, MaxWrapByte);
    CheckBox1->setChecked(Ini.CheckOut1);
    CheckBox3->setChecked(Ini.CheckOut2);
    CheckBox4->setChecked(Ini.CheckOut3);
    CheckBox2->setChecked(Ini.CheckAddStr);

    listItems_ = std::make_unique<ListBoxItems>(ListBox1, BtnPaste);
    // Fills ListBox1, selects the first entry and disables BtnPaste.
    Inputs = std::make_unique<InputList>(*listItems_, arguments);
    OfferOutputFolder();
    ShowCaption();
    CentreOnScreen(this);
    Edit1->setFocus();
    AcceptFileDrops(this, [this](const QByteArrayList &paths) { FormDropFiles(paths); });
}

void TForm1::ShowCaption()
{
    setWindowTitle(QStringLiteral("Talvo (ﾒｲﾝ)") + QStringLiteral("    ") + Edit1->text());
}

void TForm1::CreateMissingSettingsFile()
{
    ShowMessageBox(msg::NoSettingsFile, MsgKind::Warning, mbYes, this);
    const SystemKind kind = DetectSystemKind();
    OsKind = kind.OsKind;
    WindowsDir = kind.WindowsDir;
    Launcher = DefaultLauncherEntries(kind);
    try {
        // An installed program's first run: the user's folder for the settings comes first.
        Files.MakeDataFolder();
        WriteLauncherEntries(SettingsPath(), Launcher);
    } catch (const EIniWriteError &e) {
        // Start-up goes on with the defaults in memory; the write at exit will not say it again.
        iniNotCreated_ = true;
        ShowMessageBox(e.message(), MsgKind::Error, mbOK, this);
    }
}

void TForm1::ApplyAppearance()
{
    ApplyListLook(ListBox1, Ini);
    ApplyTextLook(BigView1, Ini);
}

void TForm1::FormDestroy()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    Ini.CheckOut1 = CheckBox1->isChecked();
    Ini.CheckOut2 = CheckBox3->isChecked();
    Ini.CheckOut3 = CheckBox4->isChecked();
    Ini.CheckAddStr = CheckBox2->isChecked();
    if (iniUnreadable_)
        return;
    try {
        Files.MakeDataFolder();
        WriteIniFileValue(Files, Ini);
    } catch (const EIniWriteError &e) {
        if (!iniNotCreated_)
            ShowMessageBox(e.message(), MsgKind::Error, mbOK, this);
    }
}

JoinOptions TForm1::CurrentJoinOptions() const
{
    JoinOptions o;
    o.Separator1 = CheckBox1->isChecked();
    o.FileNameLine = CheckBox2->isChecked();
    o.Separator2 = CheckBox3->isChecked();
    o.Separator3 = CheckBox4->isChecked();
    o.FileName1 = Ini.FileName1;
    o.FileName2 = Ini.FileName2;
    o.FileName3 = Ini.FileName3;
    o.AddStrTo = Ini.AddStrTo;
    return o;
}

void TForm1::BtnOkClick()
{
    // The job runs on a worker thread; its boxes are shown on this one, after the progress
    // window has gone, in the order the job asks for them.
    const auto box = [this](const QString &text, MsgKind kind, unsigned buttons) {
        int result = 0;
        CallOnWindowThread([&] { result = ShowMessageBox(text, kind, buttons, this); });
        return result;
    };
    const JoinDialogs dialogs{
        [&box](const QString &text) { box(text, MsgKind::Warning, mbAbort); },
        [&box](const QString &text) { return box(text, MsgKind::Information, mbYes | mbNo) == mrYes; },
        [&box](const QString &text) { box(text, MsgKind::Information, mbYes); }};
    const QByteArray output = OutputPath();
    const QByteArrayList paths = Inputs->PathList();
    const JoinOptions options = CurrentJoinOptions();
    JobControl job;
    try {
        RunInBackground(this, QStringLiteral("結合中"), job,
                        [&] { RunJoinJob(Work, output, paths, options, dialogs, &job); });
    } catch (const std::exception &e) {
        // The job reports its own failures; anything else ends the command here, not in the
        // event loop.
        box(QString::fromUtf8(e.what()), MsgKind::Error, mbOK);
    }
    CloseIfAsked();
}

void TForm1::BtnCanselClick() { close(); }

void TForm1::BtnSeparateClick()
{
    TForm2 form(Ini, this);
    form.ShowSettings();
    CentreOnScreen(&form);
    form.exec();
}

bool TForm1::ChooseFont(QByteArray &name, QByteArray &size, QByteArray &color)
{
    const FontSetting stored{name, size, color};
    const QFont offered = SettingFont(name, size);
    const QColor offeredColor = SettingColor(color, clBlack);
    QFont font = offered;
    QColor chosenColor = offeredColor;
    if (!ShowFontDialog(this, font, chosenColor))
        return false;
    const FontSetting chosen = ChosenFontSetting(stored, offered, offeredColor, font, chosenColor);
    name = chosen.name;
    size = chosen.size;
    color = chosen.color;
    return true;
}

bool TForm1::ChooseColor(QByteArray &color, TColor fallback)
{
    QColor chosen = SettingColor(color, fallback);
    if (!ShowColorDialog(this, chosen))
        return false;
    color = ColorToString(FromQColor(chosen));
    return true;
}

void TForm1::MenuListFontClick()
{
    if (ChooseFont(Ini.ListFontName, Ini.ListFontSize, Ini.ListFontColor))
        ApplyListLook(ListBox1, Ini);
}

void TForm1::MenuListBavkColorClick()
{
    if (ChooseColor(Ini.ListBackColor, clWindow))
        ApplyListLook(ListBox1, Ini);
}

void TForm1::MenuViewFontClick()
{
    if (ChooseFont(Ini.TextFontName, Ini.TextFontSize, Ini.TextFontColor))
        ApplyTextLook(BigView1, Ini);
}

void TForm1::MenuViewBackColorClick()
{
    if (ChooseColor(Ini.TextBackColor, clWindow))
        ApplyTextLook(BigView1, Ini);
}

void TForm1::MenuHelpDispClick() { OpenHelp(); }

void TForm1::MenuFileExitClick()
{
    if (ShowMessageBox(msg::AskExit, MsgKind::Information, mbYes | mbNo, this) == mrYes)
        close();
}

void TForm1::BtnUpClick() { Inputs->Up(); }
void TForm1::BtnDownClick() { Inputs->Down(); }
void TForm1::BtnCutClick() { Inputs->Cut(); }
void TForm1::BtnPasteClick() { Inputs->Paste(); }
void TForm1::BtnDeleteClick() { Inputs->Delete(); }

void TForm1::OfferOutputFolder()
{
    offeredOutput_ = Inputs->FirstFolder();
    Edit1->setText(DisplayName(offeredOutput_));
}

void TForm1::BtnReReadClick()
{
    OfferOutputFolder();
    Inputs->Restore();
    BigView1->Clear();
    Ini.Viewer.ShownFile.clear();
}

void TForm1::BtnRefClick()
{
    // The dialog opens in the folder of the current output name, offering the name last chosen.
    const QString current = Edit1->text();
    QString initial = ExtractFilePath(current);
    initial += ExtractFileName(lastSaveName_.isEmpty() ? current : lastSaveName_);
    const QString chosen = ShowSaveFileDialog(this, QStringLiteral("全ﾌｧｲﾙ(*.*)|*.*"), initial);
    if (chosen.isEmpty())
        return;
    lastSaveName_ = chosen;
    Edit1->setText(chosen);
}

QByteArray TForm1::OutputPath() const { return EditedPath(Edit1->text(), offeredOutput_); }

bool TForm1::ShowInMainView(const QByteArray &path)
{
    if (!ShowFileInView(*BigView1, path, msg::CannotShow, this))
        return false;
    Ini.Viewer.ShownFile = path;
    return true;
}

void TForm1::BtnDispClick()
{
    // An entry whose path is empty cannot be shown: the load says so, as for any such file.
    if (const std::optional<QByteArray> path = Inputs->SelectedPath())
        ShowInMainView(*path);
}

void TForm1::ListBox1Click() { BtnDispClick(); }

void TForm1::BtnOutFileDispClick()
{
    if (IsMissingOutputName(OutputPath())) {
        ShowMessageBox(msg::NoOutputName, MsgKind::Warning, mbAbort, this);
        return;
    }
    ShowInMainView(OutputPath());
}

bool TForm1::OpenViewer(const std::optional<QByteArray> &path)
{
    TForm3 viewer(Ini.Viewer, this);
    ApplyTextLook(viewer.BigView1, Ini);
    viewer.BigView1->SetWordWrap(Ini.Viewer.WordWrap);
    viewer.BigView1->SetWrapByte(Ini.Viewer.WordWrapByte);
    if (!Ini.Viewer.ReFindReady) {
        viewer.MenuReFind->setEnabled(false);
        viewer.MenuReFindPrior->setEnabled(false);
    }
    if (path) {
        if (!ShowFileInView(*viewer.BigView1, *path, msg::CannotShow, this))
            return false;
        Ini.Viewer.ShownFile = *path;
    }
    CentreOnScreen(&viewer);
    if (OnViewerShown)
        OnViewerShown(&viewer);
    viewer.exec();
    return true;
}

void TForm1::BtnViewInputClick()
{
    OpenViewer(Inputs->SelectedPath());
}

void TForm1::BtnViewOutputClick()
{
    if (IsMissingOutputName(OutputPath())) {
        ShowMessageBox(msg::NoOutputName, MsgKind::Warning, mbAbort, this);
        return;
    }
    OpenViewer(OutputPath());
}

void TForm1::BigView1Click()
{
    if (!Ini.Viewer.ShownFile.isEmpty())
        OpenViewer(Ini.Viewer.ShownFile);
}

void TForm1::BtnPreviewClick()
{
    const QByteArray previewFile = PreviewFilePath();
    if (!WritePreview(previewFile))
        return;
    Ini.Viewer.ShownFile = previewFile;
    OpenViewer(Ini.Viewer.ShownFile);
}

void TForm1::FormDropFiles(const QByteArrayList &paths)
{
    QByteArrayList files;
    for (const QByteArray &path : paths)
        if (KindOfPath(path) != PathKind::Folder)
            files.append(path);
    if (files.isEmpty())
        return;
    const bool firstInputs = Inputs->PathListSaved().isEmpty();
    const bool outputAsOffered = OutputPath() == offeredOutput_;
    BusyCursor busy;
    if (!Inputs->Append(files)) {
        busy.End();
        ShowMessageBox(QString::fromUtf8(EListError().what()), MsgKind::Error, mbOK, this);
        return;
    }
    // A window started without inputs offers the folder of the first dropped one, as the command
    // line's first would have been, unless an output name has been typed meanwhile.
    if (firstInputs && outputAsOffered) {
        OfferOutputFolder();
        ShowCaption();
    }
    busy.End();
    // The drop came from another program's window; the files are now here.
    activateWindow();
    raise();
}

void TForm1::FocusMoveToApli(QWidget *sender)
{
    Q_UNUSED(sender);
    // The companion application may not be running; then F4 does nothing.
    ActivateWindowOfClass("LunorMainWin");
}

bool TForm1::WritePreview(const QByteArray &previewFile)
{
    Files.MakeDataFolder();
    const auto box = [&](const QString &text, MsgKind kind, unsigned buttons) {
        CallOnWindowThread([&] { ShowMessageBox(text, kind, buttons, this); });
    };
    const QByteArrayList paths = Inputs->PathList();
    const JoinOptions options = CurrentJoinOptions();
    JobControl job;
    bool written = false;
    try {
        RunInBackground(this, QStringLiteral("結合中"), job, [&] {
            written = RunPreviewJob(Work, previewFile, paths, options,
                                    [&](const QString &text) { box(text, MsgKind::Warning, mbAbort); }, &job);
        });
    } catch (const std::exception &e) {
        // As for Execute: what the job does not report ends the command here.
        box(QString::fromUtf8(e.what()), MsgKind::Error, mbOK);
        written = false;
    }
    return written && !CloseIfAsked();
}

bool TForm1::CloseIfAsked()
{
    if (!closeAsked_)
        return false;
    closeAsked_ = false;
    close();
    return true;
}

void TForm1::closeEvent(QCloseEvent *e)
{
    // A join still running is stopped first, without a question; the window closes when it
    // has ended.
    if (StopBackgroundWork()) {
        closeAsked_ = true;
        e->ignore();
        return;
    }
    QMainWindow::closeEvent(e);
}

void TForm1::BtnLauncherRunClick()
{
    const QByteArray previewFile = PreviewFilePath();
    if (!WritePreview(previewFile))
        return;
    Ini.Viewer.ShownFile = previewFile;

    Launcher = ReadLauncherEntries(SettingsPath());
    const std::vector<LauncherRunLine> lines = LauncherRunLines(Launcher);
    {
        TForm13 dialog(ChosenEntry, this);
        dialog.SetLines(lines);
        if (lines.empty())
            dialog.AddEmptyLine();
        dialog.ListBox1->setCurrentRow(0);
        ChosenEntry = -1;
        CentreOnScreen(&dialog);
        dialog.exec();
    }
    if (lines.empty())
        ChosenEntry = -1;
    if (ChosenEntry < 1 || ChosenEntry > LauncherEntries::EntryCount)
        return;
    const LaunchCommand command = BuildLaunchCommand(Launcher, ChosenEntry, previewFile);
    if (!StartLaunchCommand(command))
        ShowMessageBox(msg::LaunchFailed(DisplayName(command.fileName)), MsgKind::Warning, mbAbort, this);
}

void TForm1::MenuLauncherSetClick()
{
    Launcher = ReadLauncherEntries(SettingsPath());
    LauncherWorkLists work(Launcher);
    TForm11 dialog(work, Launcher, SettingsPath(), this);
    CentreOnScreen(&dialog);
    // Cancel keeps the entries as read: nothing was written.
    dialog.exec();
}

bool TForm1::FormKeyDown(QWidget *sender, int key, int shift)
{
    if (key == vk::Escape) {
        close();
        return true;
    }
    if (key == vk::F4 && !CtrlOrAltAlone(shift)) {
        FocusMoveToApli(sender);
        return true;
    }
    if (key == vk::F2 && !CtrlOrAltAlone(shift)) {
        if (BigView1->hasFocus())
            ListBox1->setFocus();
        else if (ListBox1->hasFocus())
            BigView1->setFocus();
        else
            ListBox1->setFocus();
        return true;
    }
    return false;
}

bool TForm1::Edit1KeyDown(int key, int shift)
{
    Q_UNUSED(shift);
    if (key == vk::Return) {
        BtnOkClick();
        return true;
    }
    return false;
}

bool TForm1::ListBox1KeyDown(int key, int shift)
{
    if (key == vk::Return) {
        if (shift == ssShift)
            BtnViewInputClick();
        else if (shift != ssCtrl && shift != ssAlt)
            BtnDispClick();
        return true;
    }
    return false;
}
