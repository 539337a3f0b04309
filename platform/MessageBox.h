#pragma once
// The program's message box: one convention for captions, icons, buttons, default and escape.
#include <QString>
#include <functional>

class QWidget;

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
