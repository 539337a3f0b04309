#pragma once
// The running program's files (settings, preview, help), as the main window located them
// (lines/ProgramFiles.h). Tests point them at a program file in a temporary folder; by default
// they are the files of RunningProgramFile(), all beside it.
#include <QByteArray>
#include <QString>

#include "lines/ProgramFiles.h"

// The executable as the file system names it, links resolved (so a command linked to it finds
// the program's folder), in the file system's own bytes.
QByteArray RunningProgramFile();

void SetProgramFiles(const ProgramFiles &files);
// Every file beside `path`; an empty path goes back to the default.
void SetProgramFile(const QString &path);
const ProgramFiles &CurrentProgramFiles();
QString ProgramFile();
// "TALVO.HLP" in the program's folder.
QString HelpFilePath();
