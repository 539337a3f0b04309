#pragma once
// Keys every window of the program handles as desktop users of the original platform expect:
// Enter on a focused push button clicks it, and with the focus on a button or a check box a
// mnemonic letter typed without Alt acts as it does with Alt. Installed once on the
// application, so every window, present or future, gets the same keys.
class QCoreApplication;
class QWidget;

void InstallDialogKeys(QCoreApplication *app);

// For a window that decides Enter and its letters itself (the message box): the keys above are
// left to it.
void KeepOwnDialogKeys(QWidget *window);
