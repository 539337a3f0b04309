#include "lines/ShiftJis.h"

QByteArrayView CutAtCharBoundary(QByteArrayView text, qsizetype maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    qsizetype end = 0;
    ForEachChar(text, [&](qsizetype i, qsizetype n) {
        if (i + n > maxBytes)
            return false;
        end = i + n;
        return true;
    });
    return text.first(end);
}

QStringDecoder Cp932Decoder() { return QStringDecoder(Cp932CodecName, QStringConverter::Flag::Stateless); }

QStringEncoder Cp932Encoder() { return QStringEncoder(Cp932CodecName, QStringConverter::Flag::Stateless); }

QString DecodeCp932(QByteArrayView bytes) { return Cp932Decoder().decode(bytes); }

QByteArray EncodeCp932(QStringView text) { return Cp932Encoder().encode(text); }

QByteArray EncodeCp932OrQuestion(QStringView text)
{
    QStringEncoder encoder(Cp932CodecName);
    QByteArray out = encoder.encode(text);
    if (!encoder.hasError())
        return out;
    // Encode character by character so only what the code page lacks becomes "?".
    out.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QStringEncoder one(Cp932CodecName);
        const QByteArray bytes = one.encode(text.sliced(i, n));
        out += one.hasError() ? QByteArray("?") : bytes;
        i += n - 1;
    }
    return out;
}
