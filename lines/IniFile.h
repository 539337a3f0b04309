#pragma once
// The settings file: INI format, read and written as CP932 bytes so a file from the original
// platform loads unchanged. Section and key names compare without regard to ASCII case; values
// are trimmed of blanks and of one pair of enclosing double or single quotes, and at most 1023
// bytes are returned. Writing replaces a value in place or adds the key (and its section) and
// keeps every other section, key, comment and line as it was.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <stdexcept>
#include <vector>

// "%s に書き込めません" with the file's path as the user sees it; raised when the file cannot
// be written.
class EIniWriteError : public std::runtime_error {
public:
    explicit EIniWriteError(const QByteArray &path);
    QString message() const { return QString::fromUtf8(what()); }
};

class IniFile {
public:
    // What of a value the file can keep: a value ends at a line break or NUL, since what follows
    // could not be read back as part of it and would break the file into lines of its own.
    static QByteArrayView StoredValue(QByteArrayView value);
    // The longest value ReadString gives back whole.
    static constexpr qsizetype MaxValueBytes = 1023;
    // A value that begins and ends with the same quote, as it must be written for ReadString to
    // give its quotes back: enclosed in one more pair of double quotes (cut first at a line
    // break, as WriteString cuts). Other values are written bare, as ever.
    static QByteArray Protected(QByteArrayView value);

    // Reads the file now (a missing or unreadable file reads as empty). The path is the file
    // system's bytes.
    explicit IniFile(const QByteArray &path);

    const QByteArray &path() const { return path_; }
    // The file exists but could not be read; Save() then refuses to write over it.
    bool unreadable() const { return unreadable_; }
    QByteArray ReadString(QByteArrayView section, QByteArrayView key, QByteArrayView def) const;
    // Changes the in-memory copy; Save() writes it. An existing key keeps its spelling and the
    // blanks around "=" and only its value changes (the first of duplicate keys); a new key
    // goes after the last non-blank line of its section, a new section at the end of the file.
    // A value ends at its first CR, LF or NUL, so it can never add lines of its own.
    void WriteString(QByteArrayView section, QByteArrayView key, QByteArrayView value);
    // Writes every line to a temporary file beside the target and renames it over the target,
    // keeping the old file's mode. EIniWriteError on failure, and for a file that existed but
    // could not be read; the old file stays as it was.
    void Save() const;

private:
    struct Range {
        int begin;  // first line after the section's header
        int end;    // the next header, or the line count
    };
    Range FindSection(QByteArrayView section) const;
    int FindKey(Range range, QByteArrayView key) const;

    QByteArray path_;
    std::vector<QByteArray> lines_;  // the file's lines without their breaks
    QByteArray lineBreak_ = "\r\n";
    bool unreadable_ = false;
};
