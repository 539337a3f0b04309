#pragma once
// What the viewer windows share: the state that outlives one viewer window. The main window owns
// one and hands it to each viewer window and its dialogs; the settings file keeps the fields
// marked "saved".
#include <QByteArray>
#include <QString>

struct ViewerState {
    // Saved in the settings file.
    QByteArray FindStrName;        // last search string, offered by the search dialog
    bool SearchUperLower = false;  // the search distinguishes upper and lower case
    int FindLineScroll = 0;        // rows left above a hit, 0 to 16
    QByteArray JumpLineNum;        // last accepted jump line number
    bool WordWrap = false;         // saved wrap: at the window width when set
    int WordWrapByte = 80;         // saved wrap: at this byte count

    // Kept while the program runs.
    QByteArray SearchText;         // search string of the current search; empty when none
    bool SearchBackward = false;   // direction last chosen: set = upwards
    bool SearchDone = false;       // a Find with a non-empty string has run
    bool ReFindReady = false;      // a repeat search has run
    int HitRow = 0;                // 1-based display row of the last hit
    int HitTopRow = 0;             // the view's top row at a search's start and after a hit
    bool HitShown = false;         // the hit marker shows the last hit
    int WrapSwitchChoice = 0;      // wrap switch answer: -1 none, 1 window width, 0 set value
    QByteArray DialogText;         // the jump dialog's text; empty when it was cancelled
    QByteArray ShownFile;          // the file last shown (the file system's bytes); empty when none
};
