#include "platform/ProgramFile.h"

#include <QCoreApplication>
#include <QFile>

#include <climits>
#include <optional>
#include <unistd.h>

namespace {
std::optional<ProgramFiles> &Override()
{
    static std::optional<ProgramFiles> files;
    return files;
}
}  // namespace

QByteArray RunningProgramFile()
{
    // Qt's own answer is text, which cannot hold a folder name that is not UTF-8; the link the
    // kernel keeps is the bytes themselves.
    QByteArray path(PATH_MAX, Qt::Uninitialized);
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n > 0 && n < path.size()) {
        path.truncate(n);
        return path;
    }
    return QFile::encodeName(QCoreApplication::applicationFilePath());
}

void SetProgramFiles(const ProgramFiles &files) { Override() = files; }

void SetProgramFile(const QString &path)
{
    if (path.isEmpty())
        Override().reset();
    else
        Override() = FilesBesideProgram(QFile::encodeName(path));
}

const ProgramFiles &CurrentProgramFiles()
{
    if (!Override())
        Override() = FilesBesideProgram(RunningProgramFile());
    return *Override();
}

QString ProgramFile() { return QFile::decodeName(CurrentProgramFiles().ProgramFile()); }

QString HelpFilePath() { return QFile::decodeName(CurrentProgramFiles().HelpFile()); }
