#pragma once
// The main window: the input list, the output name, the joining job and the content view.
#include <QByteArrayList>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include "app/rules/InputList.h"
#include "app/rules/JoinJob.h"
#include "launcher/LauncherEntries.h"
#include "app/rules/Settings.h"
#include "app/rules/TextValues.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QAction;
class QPushButton;
class QFrame;
class TBigView;
class TForm3;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // programFile: the program's path, the file system's bytes (its folder holds the separator
    // files and the help, and TALVO.INI where the folder is the user's: see ProgramFiles);
    // arguments: the input files, the command line's bytes exactly as given.
    TForm1(const QByteArray &programFile, const QByteArrayList &arguments, QWidget *parent = nullptr);
    TForm1(const QString &programFile, const QByteArrayList &arguments, QWidget *parent = nullptr);
    ~TForm1() override;

    // Controls, named as the window's users (and its tests) know them.
    QMenu *MenuFile = nullptr, *MenuSettings = nullptr, *MenuHelp = nullptr;
    QAction *MenuFileExit = nullptr, *MenuLauncherSet = nullptr, *MenuListFont = nullptr,
            *MenuListBavkColor = nullptr, *MenuViewFont = nullptr, *MenuViewBackColor = nullptr,
            *MenuHelpDisp = nullptr;
    QFrame *Panel1 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label4 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *BtnRef = nullptr, *BtnOk = nullptr, *BtnCansel = nullptr;
    QListWidget *ListBox1 = nullptr;
    QPushButton *BtnUp = nullptr, *BtnDown = nullptr, *BtnCut = nullptr, *BtnPaste = nullptr,
                *BtnDelete = nullptr, *BtnDisp = nullptr, *BtnViewInput = nullptr,
                *BtnSeparate = nullptr;
    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox3 = nullptr, *CheckBox4 = nullptr;
    QPushButton *BtnOutFileDisp = nullptr, *BtnViewOutput = nullptr, *BtnReRead = nullptr;
    TBigView *BigView1 = nullptr;
    QPushButton *BtnPreview = nullptr, *BtnLauncherRun = nullptr;

    // State that outlives a command.
    QString ProgramFile;
    ProgramFiles Files;                // where the settings, preview, help and separator files are
    Settings Ini;                      // every settings value, named after its key, and the viewer state
    // NameList, PathList, the items of ListBox1, their copies as at start and the cut entry.
    std::unique_ptr<InputList> Inputs;
    JoinWorkLists Work;                // SepaLines1..3, CopyLines, JoinLines, InputLines
    // The viewer state kept between openings of the viewer window is Ini.Viewer.
    // Start-up's system detection, used only when the settings file is created.
    QByteArray OsKind, WindowsDir;
    LauncherEntries Launcher;
    int ChosenEntry = -1;              // the entry chosen in the run dialog, -1 for none

    // Handlers.
    void FormCreate(const QByteArrayList &arguments);
    void FormDestroy();
    void BtnOkClick();
    void BtnCanselClick();
    void MenuFileExitClick();
    void FocusMoveToApli(QWidget *sender);
    void BtnLauncherRunClick();
    void MenuLauncherSetClick();
    // Input list editing.
    void BtnUpClick();
    void BtnDownClick();
    void BtnCutClick();
    void BtnPasteClick();
    void BtnDeleteClick();
    void BtnReReadClick();
    void BtnRefClick();
    // Display and preview.
    void BtnDispClick();
    void ListBox1Click();
    void BtnOutFileDispClick();
    void BtnViewInputClick();
    void BtnViewOutputClick();
    void BigView1Click();
    void BtnSeparateClick();
    void MenuListFontClick();
    void MenuListBavkColorClick();
    void MenuViewFontClick();
    void MenuViewBackColorClick();
    void MenuHelpDispClick();
    void BtnPreviewClick();
    // Files dropped on the window (paths as the file system's bytes): added to the input list
    // at its end, as command-line arguments are; folders are left out.
    void FormDropFiles(const QByteArrayList &paths);
    // The preview file: the program file's name with the extension ".TXT" in the folder that
    // keeps the settings (the file system's bytes).
    QByteArray PreviewFilePath() const;
    // For window tests: called with each viewer window just before it is shown modally.
    std::function<void(TForm3 *viewer)> OnViewerShown;
    // The options of the joining job as the check boxes and settings stand now.
    JoinOptions CurrentJoinOptions() const;

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    // Closes the window when a close came while work ran; true when it did.
    bool CloseIfAsked();
    bool closeAsked_ = false;
    void BuildMenus();
    void BuildControls();
    void ApplyAppearance();
    // The font and colour dialogs over three (or one) settings texts; false when cancelled.
    bool ChooseFont(QByteArray &name, QByteArray &size, QByteArray &color);
    bool ChooseColor(QByteArray &color, TColor fallback);
    void CreateMissingSettingsFile();
    // The preview file for the preview command and the launcher: the preview job under a busy
    // cursor; false after a failure, which it reports.
    bool WritePreview(const QByteArray &previewFile);
    // Key-down handlers (KeyRouter): a control's own, then the form's, which works in every
    // control; each returns true when the key was used.
    bool FormKeyDown(QWidget *sender, int key, int shift);
    bool Edit1KeyDown(int key, int shift);
    bool ListBox1KeyDown(int key, int shift);
    // Loads a file into BigView1; on failure the load message (the view is left empty).
    bool ShowInMainView(const QByteArray &path);
    // The viewer window's opening: without a path it opens empty, a loaded one becomes the shown
    // file. False when the load failed.
    bool OpenViewer(const std::optional<QByteArray> &path);
    // The output name in Edit1 as the file system's bytes: the offered folder's own bytes while
    // the text is as offered, so a folder whose name is not UTF-8 is that folder.
    QByteArray OutputPath() const;
    // Offers the folder of the first input as the output name.
    void OfferOutputFolder();
    // The caption: the window's name and the output folder offered.
    void ShowCaption();
    // The settings file as the file system's bytes.
    QByteArray SettingsPath() const;
    class ListBoxItems;
    std::unique_ptr<ListBoxItems> listItems_;
    QString lastSaveName_;  // offered again by the save dialog
    QByteArray offeredOutput_;  // the bytes Edit1 was last filled from

    bool destroyed_ = false;
    bool iniUnreadable_ = false;  // the settings file exists but could not be read
    bool iniNotCreated_ = false;  // the missing settings file could not be created (said once)
};
