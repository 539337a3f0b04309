#pragma once
// Services every window leans on: the message box convention, the Shift-JIS lead-byte test,
// key events as virtual-key codes with a shift set, centring, the common dialogs and help.
#include <QApplication>
#include <QColor>
#include <QFont>
#include <QString>
#include <functional>

class QKeyEvent;
class QWidget;

// ---- Lead-byte test (code page 932) ----
constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// ---- Message boxes ----
enum class MsgKind { Warning, Error, Information, Confirmation };

// Button set; the box always shows them in this order.
enum MsgButton : unsigned {
    mbYes = 1u << 0, mbNo = 1u << 1, mbOK = 1u << 2, mbCancel = 1u << 3, mbAbort = 1u << 4,
    mbRetry = 1u << 5, mbIgnore = 1u << 6, mbAll = 1u << 7, mbHelp = 1u << 8,
};
// Result codes.
enum : int { mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7, mrAll = 8 };

// Modal, centred on the screen. Returns the pressed button's result code (2 for the close box).
// The text is shown as given, blanks included; LF, CR and the pairs CR LF and LF CR each break
// the line. An empty button set shows OK.
int ShowMessageBox(const QString &text, MsgKind kind, unsigned buttons, QWidget *parent = nullptr);

// For window tests: while a hook is set, ShowMessageBox shows nothing and returns what the hook
// returns. Pass an empty function to show real boxes again.
using MessageBoxHook = std::function<int(const QString &text, MsgKind kind, unsigned buttons)>;
void SetMessageBoxHook(MessageBoxHook hook);

// What the Help button (and the help command) opens; the box stays open.
// The default handler shows HelpFilePath() in the program's help window; an empty handler
// restores the default.
void SetHelpHandler(std::function<void()> handler);
void OpenHelp();

// ---- The program file ----
// The files beside the program (settings, preview, help) are named after it. Tests point it
// at a file in a temporary folder; by default it is QCoreApplication::applicationFilePath().
void SetProgramFile(const QString &path);
QString ProgramFile();
// The program file with its extension changed to ".HLP".
QString HelpFilePath();

// ---- Keys ----
// Shift set bits as the key tables use them.
enum ShiftBits : int { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
struct VirtualKey {
    int key = 0;    // Windows virtual-key code, 0 when the key has none
    int shift = 0;  // ShiftBits
};
VirtualKey MapKeyEvent(const QKeyEvent *event);
// The shift set (ShiftBits) of Qt's modifiers, for key and mouse events alike.
int MapModifiers(Qt::KeyboardModifiers modifiers);

// ---- Windows ----
// left = (screen width - width) div 2, top likewise, on the screen's available geometry.
void CentreOnScreen(QWidget *window);

// ---- Common dialogs ----
// Filters are written as on the original platform: descriptions and patterns alternating,
// separated by "|" ("全ﾌｧｲﾙ(*.*)|*.*"). "*.*" means every file, as it did there.
QString ToQtFileFilter(const QString &filter);
// Modal; the full path chosen, or an empty string when cancelled.
QString ShowSaveFileDialog(QWidget *parent, const QString &filter, const QString &initialPath);
QString ShowOpenFileDialog(QWidget *parent, const QString &filter, const QString &initialPath);
// Modal; false when cancelled. The font comes back with its point size; its colour with it.
bool ShowFontDialog(QWidget *parent, QFont &font, QColor &color);
// Modal; false when cancelled. A plain colour.
bool ShowColorDialog(QWidget *parent, QColor &color);

// ---- Fonts ----
// "System"/"system" is the fixed-pitch Japanese font (the first installed of IPAGothic,
// VL Gothic and Noto Sans Mono CJK JP, else Qt's fixed font); other names are used as given.
// size is in points, or in pixels when sizeIsPixels is set. A font height of -19 (pixels) is
// passed as ResolveFont(name, 19, true); a negative size is taken as a pixel size as well, so
// ResolveFont(name, -19) gives the same font. A size of 0 keeps the font's default size.
QFont ResolveFont(const QString &name, int size, bool sizeIsPixels = false);

// ---- Application ----
// An exception that escapes an event handler must not end the program: it is shown in an
// error box ("ｴﾗｰ", button OK) and the event loop goes on.
class TalvoApplication : public QApplication {
public:
    TalvoApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

private:
    void ReportError(const QString &text);
    int reporting_ = 0;
};
