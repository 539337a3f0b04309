#include "platform/ProgramFile.h"

#include <QCoreApplication>

#include "lines/Paths.h"

namespace {
QString &ProgramFileOverride()
{
    static QString path;
    return path;
}
}  // namespace

void SetProgramFile(const QString &path)
{
    ProgramFileOverride() = path;
}

QString ProgramFile()
{
    if (!ProgramFileOverride().isEmpty())
        return ProgramFileOverride();
    return QCoreApplication::applicationFilePath();
}

QString HelpFilePath()
{
    // The help has one name whatever the program file is called, as the settings-file test at
    // start has.
    return ExtractFilePath(ProgramFile()) + QStringLiteral("TALVO.HLP");
}
