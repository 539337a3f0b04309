#pragma once
// The program file: the files beside the program (settings, preview, help) are named after it.
// Tests point it at a file in a temporary folder; by default it is
// QCoreApplication::applicationFilePath().
#include <QString>

void SetProgramFile(const QString &path);
QString ProgramFile();
// "TALVO.HLP" in the program file's folder.
QString HelpFilePath();
