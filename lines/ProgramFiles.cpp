#include "lines/ProgramFiles.h"

#include <cerrno>
#include <sys/stat.h>

#include "lines/NativeFile.h"
#include "lines/Paths.h"

namespace {
QByteArray WithoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

bool IsAbsolute(const QByteArray &path) { return path.startsWith('/'); }

// The system's packages own /usr; a program run from there never writes beside itself, even
// for a user (root) whom the file system would let.
bool IsSystemFolder(const QByteArray &folder) { return folder.startsWith("/usr/"); }

QByteArray Joined(const QByteArray &folder, const char *name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}
}  // namespace

ProgramEnvironment CurrentProgramEnvironment()
{
    return {qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME"),
            [](const QByteArray &path) { return IsWritable(path); }};
}

QByteArray ConfigHome(const ProgramEnvironment &environment)
{
    // The XDG rules ignore a relative path: it would name a different folder in every working
    // folder.
    if (IsAbsolute(environment.xdgConfigHome))
        return WithoutTrailingSlashes(environment.xdgConfigHome);
    if (IsAbsolute(environment.home))
        return Joined(WithoutTrailingSlashes(environment.home), ".config");
    return {};
}

ProgramFiles FilesBesideProgram(const QByteArray &programFile)
{
    ProgramFiles files;
    files.programFile_ = programFile;
    files.programFolder_ = ExtractFilePath(QByteArrayView(programFile));
    files.dataFolder_ = files.programFolder_;
    return files;
}

ProgramFiles LocateProgramFiles(const QByteArray &programFile, const ProgramEnvironment &environment)
{
    ProgramFiles files = FilesBesideProgram(programFile);
    const QByteArray folder = files.programFolder_.isEmpty() ? QByteArray(".") : files.programFolder_;
    const bool folderWritable = environment.writable && environment.writable(folder);
    // A settings file is replaced through a new file beside it, so the folder must be writable
    // too.
    const bool portableSettings = folderWritable && environment.writable(files.SettingsFile());
    if (portableSettings || (folderWritable && !IsSystemFolder(files.programFolder_)))
        return files;
    const QByteArray home = ConfigHome(environment);
    // Without a configuration home the files stay beside the program, where writing them fails
    // and says so.
    if (!home.isEmpty())
        files.dataFolder_ = Joined(home, "talvo/");
    return files;
}

QByteArray ProgramFiles::SettingsFile() const
{
    return dataFolder_ + ChangeFileExt(QByteArrayView(ExtractFileName(QByteArrayView(programFile_))), ".INI");
}

QByteArray ProgramFiles::FirstRunProbe() const { return dataFolder_ + "TALVO.INI"; }

QByteArray ProgramFiles::PreviewFile() const
{
    return dataFolder_ + ChangeFileExt(QByteArrayView(ExtractFileName(QByteArrayView(programFile_))), ".TXT");
}

QByteArray ProgramFiles::HelpFile() const { return programFolder_ + "TALVO.HLP"; }

bool ProgramFiles::MakeDataFolder() const
{
    if (BesideProgram() || dataFolder_.isEmpty())
        return true;
    // Each missing level in turn, as the XDG rules ask: private to the user (0700).
    for (qsizetype slash = dataFolder_.indexOf('/', 1); slash >= 0; slash = dataFolder_.indexOf('/', slash + 1)) {
        const QByteArray level = dataFolder_.first(slash);
        if (::mkdir(level.constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return KindOfPath(dataFolder_) == PathKind::Folder;
}
