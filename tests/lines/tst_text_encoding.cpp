// The encodings' byte rules: character lengths, cells and boundaries, the wrap, decoding and
// encoding, detection from a file's start, and UTF-16 line breaks; on real Japanese text in
// every encoding and on the bytes real files get wrong.
#include <QStringEncoder>
#include <QtTest>

#include "lines/TextEncoding.h"
#include "tests/TestSupport.h"

using testsupport::Sjis;

namespace {
using Enc = TextEncoding;

QByteArray NameOf(Enc e)
{
    for (const EncodingMenuEntry &m : EncodingMenu) {
        if (m.encoding == e)
            return QStringView(m.caption).toUtf8();
    }
    return "?";
}

QByteArray Hex(const char *hex) { return QByteArray::fromHex(hex); }

QByteArray Utf16(Enc e, QStringView text)
{
    QStringEncoder encoder(e == Enc::Utf16Le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
    return encoder.encode(text);
}

// One of the samples under data/cjk; a missing file fails the test.
QByteArray Sample(const char *name)
{
    const QString path = QFINDTESTDATA(QStringLiteral("data/cjk/") + QLatin1String(name));
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly)) {
        QTest::qFail(qPrintable(QStringLiteral("sample missing: data/cjk/") + QLatin1String(name)), __FILE__, __LINE__);
        return QByteArray();
    }
    return f.readAll();
}

struct Walked {
    QList<qsizetype> starts;
    QList<qsizetype> lengths;
};

Walked Walk(Enc e, QByteArrayView text)
{
    Walked w;
    ForEachChar(e, text, [&](qsizetype i, qsizetype n) {
        w.starts << i;
        w.lengths << n;
        return true;
    });
    return w;
}

// Every rule that finds or uses boundaries agrees with the walk from the text's start: the
// starts from any known boundary, the cut, the wrap at every width and the cell count.
void CheckRulesAgree(Enc e, QByteArrayView text)
{
    const QByteArray where = NameOf(e) + " " + text.first(qMin<qsizetype>(40, text.size())).toByteArray().toHex();
    const Walked w = Walk(e, text);
    QList<qsizetype> startOf(text.size() + 1, -1);
    qsizetype covered = 0;
    for (qsizetype k = 0; k < w.starts.size(); ++k) {
        QVERIFY2(w.starts[k] == covered && w.lengths[k] >= 1, where);
        QCOMPARE(CharLength(e, text, w.starts[k]), w.lengths[k]);
        for (qsizetype j = 0; j < w.lengths[k]; ++j)
            startOf[covered + j] = covered;
        covered += w.lengths[k];
    }
    QVERIFY2(covered == text.size(), where);
    startOf[text.size()] = text.size();

    qsizetype cells = 0;
    for (qsizetype k = 0; k < w.starts.size(); ++k) {
        const int c = CharCells(e, text, w.starts[k]);
        QVERIFY2(c == 1 || c == 2, where);
        if (e == Enc::ShiftJis)
            QCOMPARE(qsizetype(c), w.lengths[k]);
        cells += c;
    }
    QCOMPARE(CellCount(e, text), cells);
    // The quick bound never says fewer cells than there are, for the text and for each prefix
    // (a character cut by the prefix's end, the bytes after it readable or not).
    for (qsizetype n = 0; n <= text.size(); ++n) {
        const QByteArrayView prefix = text.first(n);
        const qsizetype exact = CellCount(e, prefix);
        QVERIFY2(CellBound(e, prefix) >= exact && CellBound(e, prefix) <= n, where + " prefix " + QByteArray::number(n));
        QVERIFY2(CellBound(e, prefix, text.size() - n) == CellBound(e, prefix), where + " prefix " + QByteArray::number(n));
    }

    for (qsizetype i = 0; i < text.size(); ++i) {
        QVERIFY2(CharStart(e, text, i) == startOf[i], where + " at " + QByteArray::number(i));
        // From the nearest boundary at or before the character, and from a few further back.
        for (qsizetype k = 0; k < w.starts.size() && w.starts[k] <= startOf[i]; ++k) {
            if (startOf[i] - w.starts[k] > 8)
                continue;
            QVERIFY2(CharStart(e, text, i, w.starts[k]) == startOf[i], where + " at " + QByteArray::number(i));
        }
        QCOMPARE(IsCharBoundary(e, text, i), startOf[i] == i);
    }
    QVERIFY(IsCharBoundary(e, text, text.size()));

    for (qsizetype max = 0; max <= text.size() + 1; ++max) {
        const QByteArrayView cut = CutAtCharBoundary(e, text, max);
        QVERIFY2(cut.size() <= max && startOf[cut.size()] == cut.size(), where);
        QVERIFY2(cut.size() == text.size() || startOf[qMin(max, text.size())] == cut.size(), where);
    }

    for (qsizetype width = 1; width <= 6; ++width) {
        for (qsizetype start = 0; start < text.size();) {
            const qsizetype n = FitBytes(e, text, start, width);
            QVERIFY2(n >= 1 && startOf[start + n] == start + n, where);
            const qsizetype rowCells = CellCount(e, text.sliced(start, n));
            // Over the width only when one character is wider than it; otherwise the next
            // character would not have fitted.
            const qsizetype first = CharLength(e, text, start);
            QVERIFY2(rowCells <= width || n == first, where);
            if (start + n < text.size())
                QVERIFY2(rowCells + CharCells(e, text, start + n) > width, where);
            start += n;
        }
    }
    QCOMPARE(FitBytes(e, text, text.size(), 4), 0);
}
}  // namespace

class TestTextEncoding : public QObject {
    Q_OBJECT
private slots:
    void samplesHaveTheSameCharacters();
    void charactersOfEachEncoding_data();
    void charactersOfEachEncoding();
    void wrapCountsCells();
    void detection();
    void detectionByAPrefix();
    void decodingInvalidBytes();
    void encodingASearchText();
    void utf16LineBreaks();
    void twentyMegabyteLines();
    void wideCodePoints();
};

void TestTextEncoding::samplesHaveTheSameCharacters()
{
    // The same Japanese text in each encoding has the same characters, in the same cells, and
    // each decodes to its own code point.
    const QByteArray utf8 = Sample("utf-8.txt");
    const QString text = QString::fromUtf8(utf8);
    QVERIFY(text.size() > 300);
    const QList<uint> codePoints = text.toUcs4();
    const QList<QPair<Enc, QByteArray>> samples = {
        {Enc::ShiftJis, Sample("shift_jis.txt")}, {Enc::EucJp, Sample("euc_jp.txt")}, {Enc::Utf8, utf8},
        {Enc::Utf16Le, Utf16(Enc::Utf16Le, text)}, {Enc::Utf16Be, Utf16(Enc::Utf16Be, text)}};
    for (const auto &[e, bytes] : samples) {
        const Walked w = Walk(e, bytes);
        QCOMPARE(w.starts.size(), codePoints.size());
        for (qsizetype k = 0; k < w.starts.size(); ++k) {
            const QString one = DecodeText(e, QByteArrayView(bytes).sliced(w.starts[k], w.lengths[k]));
            QCOMPARE(one.toUcs4(), QList<uint>{codePoints[k]});
            // The sample holds only narrow and wide characters (no ambiguous ones), so every
            // encoding gives the same cells; Shift-JIS by its byte count.
            QCOMPARE(CharCells(e, bytes, w.starts[k]), IsWideCodePoint(codePoints[k]) ? 2 : 1);
        }
        QCOMPARE(DecodeText(e, bytes), text);
        QCOMPARE(EncodeText(e, text), std::optional<QByteArray>(bytes));
        CheckRulesAgree(e, QByteArrayView(bytes).first(200));
    }
    QCOMPARE(DecodeText(Enc::ShiftJis, samples[0].second), DecodeCp932(samples[0].second));
    QCOMPARE(DetectEncoding(samples[0].second, true), Enc::ShiftJis);
    QCOMPARE(DetectEncoding(samples[1].second, true), Enc::EucJp);
    QCOMPARE(DetectEncoding(utf8, true), Enc::Utf8);
}

void TestTextEncoding::charactersOfEachEncoding_data()
{
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("lengths");
    QTest::addColumn<QList<int>>("cells");
    QTest::addColumn<QString>("decoded");
    // "�" is U+FFFD, what an invalid byte shows as.
    auto row = [](const char *name, Enc e, const QByteArray &bytes, QList<int> lengths, QList<int> cells,
                  QStringView decoded) {
        QTest::newRow(name) << int(e) << bytes << lengths << cells << decoded.toString();
    };

    row("sjis kanji, kana, dangling lead", Enc::ShiftJis, Sjis("表ｱ") + "\x81", {2, 1, 1}, {2, 1, 1}, u"表ｱ�");
    row("sjis NUL, CR, Ctrl-Z", Enc::ShiftJis, QByteArray("\0\r\x1A", 3), {1, 1, 1}, {1, 1, 1},
        QString::fromLatin1("\0\r\x1A", 3));
    // An unmapped pair keeps its second byte when that is a character alone.
    row("sjis lead before a blank", Enc::ShiftJis, Hex("8120"), {2}, {2}, u"� ");
    row("sjis unmapped pairs", Enc::ShiftJis, Hex("8540fccb"), {2, 2}, {2, 2}, u"�@�ﾋ");
    // The code page's control codes are themselves (ICU's table swaps 1A, 1C and 7F).
    row("sjis control codes", Enc::ShiftJis, Hex("1a1c7f41"), {1, 1, 1, 1}, {1, 1, 1, 1}, u"\u001A\u001C\u007FA");
    row("sjis control code after a lead", Enc::ShiftJis, Hex("817f811a"), {2, 2}, {2, 2}, u"�\u007F�\u001A");
    row("sjis bytes outside the code page", Enc::ShiftJis, Hex("80a0fdff"), {1, 1, 1, 1}, {1, 1, 1, 1}, u"����");

    row("utf8 ascii, accents, kanji, emoji", Enc::Utf8, Hex("61c3a9e6bca2f09f9880"), {1, 2, 3, 4}, {1, 1, 2, 2},
        u"aé漢😀");
    row("utf8 extension B", Enc::Utf8, Hex("f0a08080"), {4}, {2}, u"\U00020000");
    row("utf8 NUL and lone CR", Enc::Utf8, QByteArray("\0\r", 2), {1, 1}, {1, 1}, QString::fromLatin1("\0\r", 2));
    row("utf8 overlong", Enc::Utf8, Hex("c080e08080f0808080"), QList<int>(9, 1), QList<int>(9, 1), u"���������");
    row("utf8 surrogate", Enc::Utf8, Hex("eda08078"), {1, 1, 1, 1}, {1, 1, 1, 1}, u"���x");
    row("utf8 beyond U+10FFFF", Enc::Utf8, Hex("f4908080f5"), QList<int>(5, 1), QList<int>(5, 1), u"�����");
    row("utf8 cut, then whole", Enc::Utf8, Hex("e381e38182"), {1, 1, 3}, {1, 1, 2}, u"��あ");
    row("utf8 lone continuation bytes", Enc::Utf8, Hex("8080bf41"), {1, 1, 1, 1}, {1, 1, 1, 1}, u"���A");
    row("utf8 cut at the end", Enc::Utf8, Hex("61f09f98"), {1, 1, 1, 1}, {1, 1, 1, 1}, u"a���");
    row("utf8 byte-order mark stays", Enc::Utf8, Hex("efbbbf41"), {3, 1}, {1, 1}, u"\uFEFFA");

    row("euc kana hiragana kanji", Enc::EucJp, Hex("8eb1a4a2b4c1"), {2, 2, 2}, {1, 2, 2}, u"ｱあ漢");
    row("euc JIS X 0212", Enc::EucJp, Hex("8fb0a18fa2af"), {3, 3}, {2, 1}, u"丂˘");
    row("euc ambiguous greek", Enc::EucJp, Hex("a6c1"), {2}, {1}, u"α");
    row("euc NUL and Ctrl-Z", Enc::EucJp, QByteArray("\0\x1A", 2), {1, 1}, {1, 1}, QString::fromLatin1("\0\x1A", 2));
    row("euc unmapped pair", Enc::EucJp, Hex("a9a178"), {2, 1}, {1, 1}, u"�x");
    row("euc C1 and FF", Enc::EucJp, Hex("8090a0ff"), {1, 1, 1, 1}, {1, 1, 1, 1}, u"����");
    row("euc bad second bytes", Enc::EucJp, Hex("c6418ee0a1"), {1, 1, 1, 2}, {1, 1, 1, 2}, u"�A�燹");
    row("euc 0212 cut at the end", Enc::EucJp, Hex("a4a28fb0"), {2, 1, 1}, {2, 1, 1}, u"あ��");
    row("euc kana cut at the end", Enc::EucJp, Hex("8e"), {1}, {1}, u"�");

    row("utf16le text and emoji", Enc::Utf16Le, Hex("610042303dd800de"), {2, 2, 4}, {1, 2, 2}, u"aあ😀");
    row("utf16le lone surrogates", Enc::Utf16Le, Hex("3dd8610000de"), {2, 2, 2}, {1, 1, 1}, u"�a�");
    row("utf16le odd byte count", Enc::Utf16Le, Hex("610041"), {2, 1}, {1, 1}, u"a�");
    row("utf16le high surrogate, odd byte", Enc::Utf16Le, Hex("3dd841"), {2, 1}, {1, 1}, u"��");
    row("utf16le NUL unit", Enc::Utf16Le, Hex("00000d00"), {2, 2}, {1, 1}, QString::fromLatin1("\0\r", 2));
    row("utf16be text and emoji", Enc::Utf16Be, Hex("00613042d83dde00"), {2, 2, 4}, {1, 2, 2}, u"aあ😀");
    row("utf16be byte-order mark stays", Enc::Utf16Be, Hex("feff0061"), {2, 2}, {1, 1}, u"\uFEFFa");
}

void TestTextEncoding::charactersOfEachEncoding()
{
    QFETCH(int, encoding);
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, lengths);
    QFETCH(QList<int>, cells);
    QFETCH(QString, decoded);
    const Enc e = Enc(encoding);
    const Walked w = Walk(e, bytes);
    QList<int> gotLengths, gotCells;
    for (qsizetype k = 0; k < w.starts.size(); ++k) {
        gotLengths << int(w.lengths[k]);
        gotCells << CharCells(e, bytes, w.starts[k]);
    }
    QCOMPARE(gotLengths, lengths);
    QCOMPARE(gotCells, cells);
    QCOMPARE(DecodeText(e, bytes), decoded);
    CheckRulesAgree(e, bytes);
    // The same characters between neighbours: no rule merges an invalid byte with them.
    const QByteArray framed = (IsUtf16(e) ? Utf16(e, u"a") : QByteArray("a")) + bytes;
    QCOMPARE(Walk(e, framed).starts.size(), w.starts.size() + 1);
    CheckRulesAgree(e, framed);
}

void TestTextEncoding::wrapCountsCells()
{
    const QByteArray utf8 = QStringView(u"aあbｱ漢").toUtf8();  // cells 1 2 1 1 2
    QCOMPARE(FitBytes(Enc::Utf8, utf8, 0, 2), 1);           // あ would take a third cell
    QCOMPARE(FitBytes(Enc::Utf8, utf8, 1, 2), 3);
    QCOMPARE(FitBytes(Enc::Utf8, utf8, 1, 1), 3);           // a row holds at least one character
    QCOMPARE(FitBytes(Enc::Utf8, utf8, 0, 0), 1);
    QCOMPARE(FitBytes(Enc::Utf8, utf8, 4, 3), 4);           // b, ｱ; 漢 would take a fourth
    QCOMPARE(FitBytes(Enc::Utf8, utf8, 5, 3), 6);           // ｱ (1 cell, 3 bytes) then 漢 (2)
    QCOMPARE(FitBytes(Enc::Utf8, utf8, 0, 100), utf8.size());
    // Shift-JIS: cells are bytes, one fewer where the row would end inside a character.
    const QByteArray sjis = "ab" + Sjis("表示") + "c";
    QCOMPARE(FitBytes(Enc::ShiftJis, sjis, 0, 3), 2);
    QCOMPARE(FitBytes(Enc::ShiftJis, sjis, 0, 4), 4);
    QCOMPARE(FitBytes(Enc::ShiftJis, sjis, 2, 1), 2);
    QCOMPARE(FitBytes(Enc::ShiftJis, sjis, 6, 5), 1);
    // A trail byte in the lead range does not shift the boundaries.
    const QByteArray tricky = Hex("959f959f41");
    QCOMPARE(FitBytes(Enc::ShiftJis, tricky, 0, 3), 2);
    QCOMPARE(FitBytes(Enc::ShiftJis, tricky, 2, 2), 2);
    // EUC-JP: half-width katakana is two bytes and one cell.
    const QByteArray euc = Hex("8eb18eb2a4a2");  // ｱ ｲ あ
    QCOMPARE(FitBytes(Enc::EucJp, euc, 0, 2), 4);
    QCOMPARE(FitBytes(Enc::EucJp, euc, 0, 3), 4);
    QCOMPARE(FitBytes(Enc::EucJp, euc, 0, 4), 6);
    // Long ASCII runs go by words: the width still counts every byte.
    const QByteArray ascii = QByteArray(37, 'x') + QStringView(u"あ").toUtf8();
    QCOMPARE(FitBytes(Enc::Utf8, ascii, 0, 20), 20);
    QCOMPARE(FitBytes(Enc::Utf8, ascii, 0, 38), 37);
    QCOMPARE(FitBytes(Enc::Utf8, ascii, 0, 39), 40);
}

void TestTextEncoding::detection()
{
    QCOMPARE(DetectEncoding("", true), Enc::ShiftJis);
    QCOMPARE(DetectEncoding("plain ASCII\r\n", true), Enc::ShiftJis);
    QCOMPARE(DetectEncoding(QByteArray("NUL\0bytes", 9), true), Enc::ShiftJis);
    QCOMPARE(DetectEncoding(QByteArray("NUL\0", 4) + QStringView(u"日本").toUtf8(), true), Enc::Utf8);
    QCOMPARE(DetectEncoding(Sjis("日本語のテキスト"), true), Enc::ShiftJis);
    // Byte-order marks decide whatever follows.
    QCOMPARE(DetectEncoding(Hex("efbbbf") + "ascii", true), Enc::Utf8);
    QCOMPARE(DetectEncoding(Hex("efbbbf") + Sjis("表"), true), Enc::Utf8);
    QCOMPARE(DetectEncoding(Hex("fffe41004200"), true), Enc::Utf16Le);
    QCOMPARE(DetectEncoding(Hex("feff00410042"), true), Enc::Utf16Be);
    // UTF-16 without a mark is not guessed.
    QCOMPARE(DetectEncoding(Utf16(Enc::Utf16Le, u"ab"), true), Enc::ShiftJis);
    // Invalid UTF-8 is not UTF-8, however much valid UTF-8 comes first.
    QCOMPARE(DetectEncoding(QStringView(u"日本").toUtf8() + Hex("c080"), true), Enc::ShiftJis);
    // EUC-JP that is valid Shift-JIS too stays Shift-JIS: アイ is A5A2 A5A4, four half-width
    // katakana in Shift-JIS.
    QCOMPARE(DetectEncoding(Hex("a5a2a5a4"), true), Enc::ShiftJis);
    // 日本 (C6FC CBDC) is not: FC CB is no Shift-JIS character.
    QCOMPARE(DetectEncoding(Hex("c6fccbdc"), true), Enc::EucJp);
    // JIS X 0212 characters are EUC-JP too; an unmapped EUC-JP pair is not.
    QCOMPARE(DetectEncoding(Hex("c6fccbdc8fb0a1"), true), Enc::EucJp);
    QCOMPARE(DetectEncoding(Hex("c6fccbdca9a1"), true), Enc::ShiftJis);
    // Junk is Shift-JIS, as every file was.
    QCOMPARE(DetectEncoding(Hex("ffff00fe80"), true), Enc::ShiftJis);
}

void TestTextEncoding::detectionByAPrefix()
{
    // UTF-8 for the first megabyte and Shift-JIS later: UTF-8 by the prefix (whose end cuts a
    // character), and the Shift-JIS bytes are replacement characters, one a byte.
    QByteArray file;
    const QByteArray line = QStringView(u"日本語のテキスト\r\n").toUtf8();
    while (file.size() < EncodingProbeBytes + 1000)
        file += line;
    QVERIFY(line.size() % 3 != 0 || EncodingProbeBytes % line.size() != 0);
    const QByteArray sjisTail = Sjis("表示");
    file += sjisTail;
    const QByteArrayView prefix = QByteArrayView(file).first(EncodingProbeBytes);
    QVERIFY(!IsCharBoundary(Enc::Utf8, file, EncodingProbeBytes));
    QCOMPARE(DetectEncoding(prefix, false), Enc::Utf8);
    QCOMPARE(DetectEncoding(prefix, true), Enc::ShiftJis);  // the same bytes as a whole file
    QCOMPARE(DetectEncoding(file, true), Enc::ShiftJis);
    const QString tail = DecodeText(Enc::Utf8, QByteArrayView(file).last(sjisTail.size() + 2));
    QCOMPARE(tail, QStringView(u"\r\n�\\��"));  // 表示 is 95 5C 8E A6

    // The EUC-JP sample cut anywhere, inside a character or not, is EUC-JP as a prefix; a file
    // that ends inside a character is not.
    const QByteArray euc = Sample("euc_jp.txt");
    for (qsizetype cut = 100; cut < 200; ++cut) {
        const QByteArrayView part = QByteArrayView(euc).first(cut);
        QCOMPARE(DetectEncoding(part, false), Enc::EucJp);
        QCOMPARE(DetectEncoding(part, true), IsCharBoundary(Enc::EucJp, euc, cut) ? Enc::EucJp : Enc::ShiftJis);
    }
    QCOMPARE(DetectEncoding(Hex("c6fccb"), false), Enc::EucJp);
    QCOMPARE(DetectEncoding(Hex("c6fc8f"), false), Enc::EucJp);
    QCOMPARE(DetectEncoding(Hex("c6fc8fb0"), false), Enc::EucJp);
    QCOMPARE(DetectEncoding(Hex("c6fccb"), true), Enc::ShiftJis);
    QCOMPARE(DetectEncoding(QStringView(u"aあ").toUtf8().chopped(1), false), Enc::ShiftJis);  // no whole sequence yet
    QCOMPARE(DetectEncoding(QStringView(u"あい").toUtf8().chopped(2), false), Enc::Utf8);
    QCOMPARE(DetectEncoding(QStringView(u"あい").toUtf8().chopped(2), true), Enc::ShiftJis);
    // A Shift-JIS lead byte cut from its trail does not make the text EUC-JP.
    QCOMPARE(DetectEncoding(Hex("b3b4c9bd") + Hex("e0"), false), Enc::ShiftJis);
}

void TestTextEncoding::decodingInvalidBytes()
{
    auto decoded = [](Enc e, QByteArrayView bytes) { return DecodeText(e, bytes); };
    // The code page's own decoder drops a dangling lead byte and gives U+001A for bytes outside
    // it; copied text keeps one replacement for each.
    QCOMPARE(DecodeCp932(QByteArray("a\x81", 2)), QStringLiteral("a"));
    QCOMPARE(decoded(Enc::ShiftJis, QByteArray("a\x81", 2)), QStringView(u"a�"));
    // Around invalid bytes, the valid runs decode as the code page does.
    QCOMPARE(decoded(Enc::ShiftJis, Sjis("表示") + Hex("ff") + Sjis("ｱ\\")), QStringView(u"表示�ｱ\\"));
    QCOMPARE(decoded(Enc::Utf8, ""), QString());
    // Every byte of a row of junk is one character and one replacement.
    QByteArray junk;
    for (int b = 0x80; b < 0x100; ++b)
        junk += char(b);
    QCOMPARE(decoded(Enc::Utf8, junk), QString(QChar(0xFFFD)).repeated(junk.size()));
    QCOMPARE(decoded(Enc::EucJp, junk).toUcs4().size(), Walk(Enc::EucJp, junk).starts.size());
}

void TestTextEncoding::encodingASearchText()
{
    QCOMPARE(EncodeText(Enc::ShiftJis, u"表示ｱ"), std::optional<QByteArray>(EncodeCp932(u"表示ｱ")));
    QCOMPARE(EncodeText(Enc::ShiftJis, u"\u001A表\u007F"), std::optional<QByteArray>("\x1A" + Sjis("表") + "\x7F"));
    QCOMPARE(EncodeText(Enc::EucJp, u"丂ｱ日"), std::optional<QByteArray>(Hex("8fb0a18eb1c6fc")));
    QCOMPARE(EncodeText(Enc::Utf16Le, u"a"), std::optional<QByteArray>(Hex("6100")));  // no mark
    QCOMPARE(EncodeText(Enc::Utf16Be, u"😀"), std::optional<QByteArray>(Hex("d83dde00")));
    QCOMPARE(EncodeText(Enc::Utf8, u"é"), std::optional<QByteArray>(Hex("c3a9")));
    // A character the encoding lacks finds nothing, rather than a substitute's bytes.
    QCOMPARE(EncodeText(Enc::EucJp, u"a€"), std::nullopt);
    QCOMPARE(EncodeText(Enc::ShiftJis, u"한"), std::nullopt);
    QCOMPARE(EncodeText(Enc::Utf8, QString(QChar(0xD800))), std::nullopt);
    QCOMPARE(EncodeText(Enc::Utf8, u""), std::optional<QByteArray>(QByteArray()));
}

void TestTextEncoding::utf16LineBreaks()
{
    for (const Enc e : {Enc::Utf16Le, Enc::Utf16Be}) {
        const bool be = e == Enc::Utf16Be;
        const QByteArray text = Utf16(e, u"ab\r\nc\rd\n\r");
        QList<qsizetype> at, length;
        for (qsizetype from = 0;;) {
            const Utf16LineBreak b = FindUtf16LineBreak(text, from, be);
            if (b.at < 0)
                break;
            at << b.at;
            length << b.length;
            from = b.at + b.length;
        }
        QCOMPARE(at, (QList<qsizetype>{4, 10, 14, 16}));
        QCOMPARE(length, (QList<qsizetype>{4, 2, 2, 2}));  // the last CR stands alone
        // Bytes 0D and 0A inside other characters, or cut to an odd length, are no break.
        QCOMPARE(FindUtf16LineBreak(Utf16(e, u"\u0D0A\u0A0Dx"), 0, be).at, -1);
        QCOMPARE(FindUtf16LineBreak(Utf16(e, u"a\n").chopped(1), 0, be).at, -1);
    }
    // CR and LF bytes out of step with the units: U+0D41 U+0A00 U+4200, and U+0D41 U+0A00.
    QCOMPARE(FindUtf16LineBreak(Hex("410d000a0042"), 0, false).at, -1);
    QCOMPARE(FindUtf16LineBreak(Hex("0d410a00"), 0, true).at, -1);
}

void TestTextEncoding::twentyMegabyteLines()
{
    // One 20 MB line in each encoding, of text and of the bytes that make the rules look back
    // furthest (runs of lead bytes, continuation bytes, A1 bytes, high surrogates). Wrapping it
    // at 80 cells, counting and decoding must be linear; the test finishing is the check.
    constexpr qsizetype Size = 20 * 1024 * 1024;
    const QString text = QStringView(u"日本語のテキストとASCII text, ｶﾀｶﾅ. ").toString();
    struct Case {
        Enc e;
        QByteArray unit;
    };
    const QList<Case> cases = {
        {Enc::ShiftJis, Sjis(text)}, {Enc::ShiftJis, Hex("81")},  {Enc::Utf8, text.toUtf8()},
        {Enc::Utf8, Hex("80")},      {Enc::EucJp, *EncodeText(Enc::EucJp, text)}, {Enc::EucJp, Hex("a1")},
        {Enc::EucJp, Hex("8fb0a1")}, {Enc::Utf16Le, Utf16(Enc::Utf16Le, text)},   {Enc::Utf16Be, Hex("d83d")},
    };
    for (const Case &c : cases) {
        const QByteArray line = c.unit.repeated(Size / c.unit.size());
        qsizetype rows = 0, cells = 0;
        for (qsizetype start = 0; start < line.size(); ++rows) {
            const qsizetype n = FitBytes(c.e, line, start, 80);
            QVERIFY(n > 0);
            cells += CellCount(c.e, QByteArrayView(line).sliced(start, n));
            start += n;
        }
        QCOMPARE(cells, CellCount(c.e, line));
        QVERIFY2(rows >= cells / 80, NameOf(c.e).constData());
        const qsizetype last = CharStart(c.e, line, line.size() - 1);
        QCOMPARE(last + CharLength(c.e, line, last), line.size());
        const QString decoded = DecodeText(c.e, line);
        QVERIFY(!decoded.isEmpty());
        DetectEncoding(QByteArrayView(line).first(EncodingProbeBytes), false);
    }
}

void TestTextEncoding::wideCodePoints()
{
    // The quick bound is exact for ASCII and wide three-byte characters, above for the narrow.
    const QByteArray wide = QStringLiteral("日本語のテキスト text ＡＢＣ").toUtf8();
    QCOMPARE(CellBound(Enc::Utf8, wide), CellCount(Enc::Utf8, wide));
    const QByteArray narrow = QStringLiteral("ｶﾀｶﾅ é").toUtf8();
    QCOMPARE(CellCount(Enc::Utf8, narrow), 6);
    QCOMPARE(CellBound(Enc::Utf8, narrow), 4 * 2 + 1 + 1);

    const QList<QPair<char32_t, bool>> points = {
        {0x41, false},     {0xE9, false},    {0x3B1, false},   {0x10FF, false},  {0x1100, true},
        {0x3000, true},    {0x3042, true},   {0x4E00, true},   {0x9FFF, true},   {0xE000, false},
        {0xFF01, true},    {0xFF61, false},  {0xFFFD, false},  {0x1F600, true},  {0x20000, true},
        {0x2FFFD, true},   {0x3FFFD, true},  {0xE0001, false}, {0x10FFFF, false},
    };
    for (const auto &[cp, wide] : points)
        QVERIFY2(IsWideCodePoint(cp) == wide, qPrintable(QString::number(cp, 16)));
}

QTEST_APPLESS_MAIN(TestTextEncoding)
#include "tst_text_encoding.moc"
