// The settings-file codec on arbitrary bytes: reading never fails, a written value reads back as
// the reader would see it, and saving keeps every line while making every break CR LF.
#include "fuzz/FuzzSupport.h"
#include "lines/IniFile.h"
#include "lines/ShiftJis.h"

#include <optional>

namespace {

// A section or key name the program could use: letters, digits and whole double-byte
// characters (their second byte may be "]" or a letter), never blanks, "=", ";" or "[".
QByteArray Name(fuzz::Input &in)
{
    static const char single[] = "AbcXyz019_.-";
    QByteArray name;
    const int n = 1 + in.Byte() % 8;
    for (int i = 0; i < n; ++i) {
        const uint8_t b = in.Byte();
        if (b & 0x80) {
            static const char trails[] = "@A]a[~\x80\x9F\xFC";
            name.append(char(IsLeadByte(b) ? b : 0x81));
            name.append(trails[b % (sizeof trails - 1)]);
        } else {
            name.append(single[b % (sizeof single - 1)]);
        }
    }
    return name;
}

// The name with the case of its single-byte letters swapped; double-byte characters stay.
QByteArray CaseSwapped(const QByteArray &name)
{
    QByteArray out = name;
    ForEachChar(name, [&](qsizetype i, qsizetype n) {
        const char c = name[i];
        if (n == 1 && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            out[i] = char(c ^ 0x20);
        return true;
    });
    return out;
}

QByteArrayView Trimmed(QByteArrayView s)
{
    while (!s.isEmpty() && (s.front() == ' ' || s.front() == '\t'))
        s = s.sliced(1);
    while (!s.isEmpty() && (s.back() == ' ' || s.back() == '\t'))
        s.chop(1);
    return s;
}

// What a read returns for a value written as `value`.
QByteArray AsRead(QByteArrayView value)
{
    for (qsizetype i = 0; i < value.size(); ++i)
        if (value[i] == '\r' || value[i] == '\n' || value[i] == '\0') {
            value = value.first(i);
            break;
        }
    value = Trimmed(value);
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.sliced(1, value.size() - 2);
    return CutAtCharBoundary(value, 1023).toByteArray();
}

// The file as Save writes it: each line of the input (CR LF, CR and LF end one) and CR LF.
QByteArray Normalised(QByteArrayView bytes)
{
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            out.append("\r\n");
        } else {
            out.append(bytes[i]);
        }
    }
    if (!bytes.isEmpty() && bytes.back() != '\r' && bytes.back() != '\n')
        out.append("\r\n");
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const fuzz::ScratchFile file("T.INI");
    fuzz::Input in(data, size);
    const QByteArray section = Name(in);
    const QByteArray key = Name(in);
    const QByteArrayView value = in.Bytes(255);
    const QByteArrayView text = in.Rest();
    file.Write(text);

    IniFile ini(QFile::encodeName(file.Path()));
    const QByteArray before = ini.ReadString(section, key, "\x01");
    FUZZ_CHECK(before.size() <= 1023);

    // Saving unchanged writes the same lines, each ended by CR LF.
    ini.Save();
    FUZZ_CHECK(file.Read() == Normalised(text));

    ini.WriteString(section, key, value);
    const QByteArray expected = AsRead(value);
    FUZZ_CHECK(ini.ReadString(section, key, "\x01") == expected);
    // Names compare without regard to ASCII case.
    FUZZ_CHECK(ini.ReadString(CaseSwapped(section), CaseSwapped(key), "\x01") == expected);

    // What was written survives a save and a fresh read.
    ini.Save();
    const IniFile again(QFile::encodeName(file.Path()));
    FUZZ_CHECK(again.ReadString(section, key, "\x01") == expected);
    return 0;
}
