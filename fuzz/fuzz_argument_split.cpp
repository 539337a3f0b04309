// The launcher's option text on arbitrary characters: the split into arguments gives what a plain
// shell-style tokenizer gives, one that meets a quote without a partner by going back and
// reading that quote as an ordinary character; the first "%f" becomes the path inside its
// argument, and the path's own characters are never read as quoting.
#include "fuzz/FuzzSupport.h"
#include "launcher/rules/ArgumentSplit.h"

#include <set>
#include <vector>

namespace {

// A byte of the input as a character: ASCII as it stands; above it characters that look like
// quotes, blanks or backslashes but are none, and the halves of a surrogate pair.
QChar CharOf(uint8_t b)
{
    static const char16_t wide[] = {0x8868, 0x3000, 0xFF3C, 0x00A5, 0xD83D, 0xDE00,
                                    0x00A0, 0x2019, 0x201D, 0xFF02, 0x0085, 0x2028};
    return b < 0x80 ? QChar(b) : QChar(wide[b % (sizeof wide / sizeof wide[0])]);
}

// Mostly the characters the split looks at.
QChar DenseCharOf(uint8_t b)
{
    static const char16_t dense[] = u" \t\n\r'\"\\$`%fFa表";
    return QChar(dense[b % (sizeof dense / sizeof dense[0] - 1)]);
}

QString Text(QByteArrayView bytes, bool dense)
{
    QString s;
    for (const char b : bytes)
        s += dense ? DenseCharOf(uint8_t(b)) : CharOf(uint8_t(b));
    return s;
}

// The text as the tokenizer reads it: one unit per character, and the first "%f" as one unit
// that stands for the path.
struct Unit {
    QChar c;
    bool mark = false;
};

std::vector<Unit> Units(const QString &text, bool withMark)
{
    std::vector<Unit> units;
    bool marked = !withMark;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!marked && text[i] == u'%' && i + 1 < text.size() && text[i + 1] == u'f') {
            units.push_back({QChar(), true});
            marked = true;
            ++i;
        } else {
            units.push_back({text[i]});
        }
    }
    return units;
}

bool Is(const Unit &u, char16_t c) { return !u.mark && u.c == c; }

bool IsBlank(const Unit &u) { return Is(u, u' ') || Is(u, u'\t') || Is(u, u'\n') || Is(u, u'\r'); }

// Outside quotes: a blank ends an argument, a backslash takes the next unit as it stands (a
// backslash and a line break vanish; a last backslash stays), a quote opens. In '...' all is
// kept; in "..." a backslash takes the next unit only when that is $ ` " \ or a line break
// (which vanishes with it). A quote still open at the end is read again as an ordinary
// character, from the start.
QStringList Tokenize(const std::vector<Unit> &units, const QString &path)
{
    std::set<size_t> plain;
    for (;;) {
        enum { Outside, InSingle, InDouble } state = Outside;
        QStringList args;
        QString arg;
        bool begun = false;
        size_t opened = 0;
        const auto add = [&](const Unit &u) {
            arg += u.mark ? path : QString(u.c);
            begun = true;
        };
        for (size_t k = 0; k < units.size(); ++k) {
            const Unit &u = units[k];
            const bool hasNext = k + 1 < units.size();
            switch (state) {
            case Outside:
                if (IsBlank(u)) {
                    if (begun)
                        args << arg;
                    arg.clear();
                    begun = false;
                } else if (Is(u, u'\\') && hasNext) {
                    ++k;
                    if (!Is(units[k], u'\n'))
                        add(units[k]);
                } else if ((Is(u, u'\'') || Is(u, u'"')) && !plain.count(k)) {
                    state = Is(u, u'\'') ? InSingle : InDouble;
                    opened = k;
                    begun = true;
                } else {
                    add(u);
                }
                break;
            case InSingle:
                if (Is(u, u'\''))
                    state = Outside;
                else
                    add(u);
                break;
            case InDouble:
                if (Is(u, u'"')) {
                    state = Outside;
                } else if (Is(u, u'\\') && hasNext && !units[k + 1].mark &&
                           QStringView(u"$`\"\\\n").contains(units[k + 1].c)) {
                    ++k;
                    if (!Is(units[k], u'\n'))
                        arg += units[k].c;
                } else {
                    add(u);
                }
                break;
            }
        }
        if (state != Outside) {
            plain.insert(opened);
            continue;
        }
        if (begun)
            args << arg;
        return args;
    }
}

QString Substituted(const QString &text, const QString &path)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i] == u'%' && text[i + 1] == u'f')
            return text.left(i) + path + text.mid(i + 2);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    const uint8_t mode = in.Byte();
    const bool dense = (mode & 1) != 0;
    // The path may hold blanks, quotes, backslashes and "%f" of its own.
    const QString path = Text(in.Bytes(32), dense);
    const QString text = Text(in.Rest(), dense);

    FUZZ_CHECK(SubstituteFileMark(text, path) == Substituted(text, path));

    const QStringList plain = SplitArguments(text);
    FUZZ_CHECK(plain == Tokenize(Units(text, false), path));
    FUZZ_CHECK(SplitArguments(text, &path) == Tokenize(Units(text, true), path));
    if (!text.contains(u"%f"))
        FUZZ_CHECK(SplitArguments(text, &path) == plain);
    return 0;
}
