#pragma once
// The one way a file comes into a view: by the file system's bytes for its name, with one list
// of failures (the file cannot be opened or read, it holds more lines than a view can, memory
// runs out) and one way of telling them. Every command that shows a file goes through here.
#include <QByteArray>
#include <QString>

class QWidget;
class TBigView;

// Replaces what `view` shows by the file at `path`, keeping the view's wrap settings. False when
// the file cannot be shown; the view is then left empty.
bool LoadFileIntoView(TBigView &view, const QByteArray &path);

// The same for a command: the file is read in the background (a progress window with 中止
// after half a second), a failure shows `failureText` in a warning box (中止) over `parent`, and
// the view follows the file (loads it again when it changes on disk). A stopped load leaves the
// view empty and says nothing; false then too.
bool ShowFileInView(TBigView &view, const QByteArray &path, const QString &failureText, QWidget *parent);

// ShowFileInView for the file the view shows, again (changed on disk, or to be read in another
// encoding): the line that was at the top stays there, as far as the file still has it.
bool ShowFileAgainInView(TBigView &view, const QByteArray &path, const QString &failureText, QWidget *parent);
