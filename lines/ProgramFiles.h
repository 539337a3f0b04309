#pragma once
// Where the program's own files are: the settings file, the preview file, the help and the
// default separator files, every one derived from the program file here and nowhere else.
//
// A program whose folder the user can write (the build folder, an unpacked copy) keeps every
// file beside it, named after the program file, as it always has. An installed program's folder
// (one the user cannot write, or any folder under /usr, which the system's packages own and
// nothing writes to at run time) only gives what the program reads, the help and the separator
// defaults; the settings and the preview file are then the user's own, in
// $XDG_CONFIG_HOME/talvo/ (by default ~/.config/talvo/). A settings file beside the program that
// the user can replace wins over all that, so a portable copy stays portable. Paths are the file
// system's bytes.
#include <QByteArray>

#include <functional>

// What the choice depends on besides the program file. Tests give their own; the program takes
// CurrentProgramEnvironment().
struct ProgramEnvironment {
    QByteArray home;           // $HOME
    QByteArray xdgConfigHome;  // $XDG_CONFIG_HOME
    // Whether this user may write the file or folder at a path (false when it does not exist).
    std::function<bool(const QByteArray &path)> writable;
};

// The variables as they are set now, and the file system's own answer to `writable`.
ProgramEnvironment CurrentProgramEnvironment();

class ProgramFiles {
public:
    ProgramFiles() = default;

    // The program file itself.
    const QByteArray &ProgramFile() const { return programFile_; }
    // Its folder, ending in "/" (empty for a bare name): the help and the default separator files
    // SEPA01.TXT to SEPA03.TXT.
    const QByteArray &ProgramFolder() const { return programFolder_; }
    // Where the settings and the preview file are kept, ending in "/": the program folder, or the
    // folder under the user's configuration home.
    const QByteArray &DataFolder() const { return dataFolder_; }
    bool BesideProgram() const { return dataFolder_ == programFolder_; }

    // The settings file: the program file's name with the extension ".INI".
    QByteArray SettingsFile() const;
    // The name start-up looks for to tell a first run: "TALVO.INI" whatever the program is called.
    QByteArray FirstRunProbe() const;
    // The preview file: the program file's name with the extension ".TXT".
    QByteArray PreviewFile() const;
    QByteArray HelpFile() const;

    // Makes the data folder when it lies outside the program folder and is missing, with its
    // missing parents, private to the user. False when it could not be made; the write that
    // follows then fails and says so.
    bool MakeDataFolder() const;

    friend ProgramFiles LocateProgramFiles(const QByteArray &, const ProgramEnvironment &);
    friend ProgramFiles FilesBesideProgram(const QByteArray &);

private:
    QByteArray programFile_, programFolder_, dataFolder_;
};

// The rule above: decides where each file of the program at `programFile` lives.
ProgramFiles LocateProgramFiles(const QByteArray &programFile, const ProgramEnvironment &environment);
// Every file beside the program, whatever the folder: what a writable program folder gets.
ProgramFiles FilesBesideProgram(const QByteArray &programFile);

// The user's configuration home by the XDG rules: $XDG_CONFIG_HOME when it is an absolute path,
// else $HOME/.config when $HOME is one; empty when neither is. No trailing "/".
QByteArray ConfigHome(const ProgramEnvironment &environment);
