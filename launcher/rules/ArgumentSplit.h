#pragma once
// The launcher's option text, without a process or a window: the "%f" rule and the split of the
// text into the started program's arguments.
#include <QString>
#include <QStringList>

// The first "%f" (case-sensitive) replaced by path; the rest of the text stays as it is.
QString SubstituteFileMark(const QString &text, const QString &path);

// The option text split into arguments by the shell's quoting rules: blanks, tabs and line
// breaks separate; '...' keeps everything; "..." keeps everything but \" \\ \$ \` and a
// backslash-newline; a backslash outside quotes keeps the next character. A quote without its
// closing partner is an ordinary character, so text with unbalanced quotes reaches the program
// as typed. When path is given, the first "%f" of the text becomes path inside the argument
// where it stands, whatever quoting surrounds it, so a path with blanks stays one argument.
// The split works on characters, not bytes: a Shift-JIS trail byte 0x5C is no backslash.
QStringList SplitArguments(const QString &optionText, const QString *path = nullptr);
