#include "launcher/rules/ArgumentSplit.h"

#include <utility>

namespace {
const QString kFileMark = QStringLiteral("%f");

bool IsBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// The index of the quote that closes the one at `open`, or -1. Inside double quotes a
// backslash hides the next character.
qsizetype ClosingQuote(const QString &text, qsizetype open)
{
    const QChar quote = text[open];
    for (qsizetype j = open + 1; j < text.size(); ++j) {
        if (text[j] == quote)
            return j;
        if (quote == u'"' && text[j] == u'\\')
            ++j;
    }
    return -1;
}
}  // namespace

QString SubstituteFileMark(const QString &text, const QString &path)
{
    QString out = text;
    const qsizetype at = out.indexOf(kFileMark);
    if (at >= 0)
        out.replace(at, kFileMark.size(), path);
    return out;
}

QStringList SplitArguments(const QString &text, const QString *path)
{
    const qsizetype mark = path ? text.indexOf(kFileMark) : -1;
    QStringList args;
    QString arg;
    bool inArg = false;  // an argument has begun, even an empty one ("")
    const qsizetype n = text.size();
    qsizetype i = 0;
    // Appends the character at i (or the path for the mark) and moves past it.
    const auto take = [&](qsizetype &at) {
        if (at == mark) {
            arg += *path;
            at += kFileMark.size();
        } else {
            arg += text[at++];
        }
        inArg = true;
    };
    while (i < n) {
        const QChar c = text[i];
        if (IsBlank(c)) {
            if (inArg)
                args << std::exchange(arg, QString());
            inArg = false;
            ++i;
        } else if (c == u'\\' && i + 1 < n) {
            if (text[i + 1] == u'\n') {
                i += 2;  // a continued line
                continue;
            }
            ++i;
            take(i);
        } else if ((c == u'\'' || c == u'"') && ClosingQuote(text, i) >= 0) {
            const qsizetype close = ClosingQuote(text, i);
            inArg = true;
            for (qsizetype j = i + 1; j < close;) {
                if (c == u'"' && text[j] == u'\\' && j + 1 < close &&
                    QStringView(u"$`\"\\\n").contains(text[j + 1])) {
                    if (text[j + 1] != u'\n')
                        arg += text[j + 1];
                    j += 2;
                } else {
                    take(j);
                }
            }
            i = close + 1;
        } else {
            take(i);
        }
    }
    if (inArg)
        args << arg;
    return args;
}
