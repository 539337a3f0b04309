#pragma once
// The program's help window: a plain, non-modal browser over the help file beside the program.
#include <QWidget>

#include <functional>

class QTextBrowser;

class HelpWindow : public QWidget {
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows the file (HTML, its charset taken from its meta tag, else UTF-8); a missing or
    // unreadable file is reported in the window itself.
    void ShowFile(const QString &path);
    const QString &file() const { return file_; }
    QTextBrowser *browser() const { return browser_; }

    // The one help window of the program: created on first use, then shown again and raised.
    // While a modal window is open the help window is kept usable beside it.
    static HelpWindow *Open(const QString &path);
    static HelpWindow *Instance();

private:
    QTextBrowser *browser_;
    QString file_;
};

// What the Help button (and the help command) opens; a message box stays open meanwhile.
// The default handler shows HelpFilePath() in the program's help window; an empty handler
// restores the default.
void SetHelpHandler(std::function<void()> handler);
void OpenHelp();
