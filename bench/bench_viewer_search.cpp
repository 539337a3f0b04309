// The viewer's search over a big file for a text that does not occur, with case distinction off
// and on, against grep -c -F -i and grep -c -F on the same file. Also: the jump to the last line
// of a file of ten million lines, the same search in UTF-8 text, and the wrap switch of the big
// file against its first load.
#include <QApplication>
#include <QFile>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <stdexcept>

#include "bench/BenchSupport.h"
#include "bench/BenchView.h"
#include "bigview/BigView.h"
#include "bigview/BigViewProbe.h"
#include "bigview/ViewPresets.h"
#include "viewer/TextSearch.h"
#include "viewer/ViewScroll.h"

namespace {
constexpr qint64 kFileBytes = 500'000'000;
constexpr int kJumpLines = 10'000'000;
constexpr int kRuns = 5;
const QByteArray kMissing = "Zq_never_here_7";

void WriteNumberedLines(const QString &path, int count)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot create " + path.toStdString());
    QByteArray buf;
    for (int i = 1; i <= count; ++i) {
        buf += "line ";
        buf += QByteArray::number(i);
        buf += " \x82\xa0\x82\xa2\r\n";
        if (buf.size() >= (1 << 20)) {
            f.write(buf);
            buf.clear();
        }
    }
    f.write(buf);
}
}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString dir = bench::MakeTempDir("talvo-bench-viewer-search");
    const QString path = dir + "/big text.txt";
    std::printf("viewer-search: generating %lld bytes in %s\n", kFileBytes, qPrintable(dir));
    bench::GenerateTextFile(path, kFileBytes, 4242);
    const double mb = QFile(path).size() / 1e6;

    bench::ViewerWindow w(625, 430);
    w.Show();
    TBigView &view = *w.view;
    const double firstLoadS = bench::TimeToPaint(view, [&] { view.LoadFromFile(path); });
    std::printf("viewer-search: first load (WrapByte 80) %d rows in %.3f s\n", view.RowCount(), firstLoadS);

    QList<double> findI, findC, grepI, grepC;
    for (int run = 0; run < kRuns; ++run) {
        for (bool caseSensitive : {false, true}) {
            int row = 0;
            const double s = bench::TimeCall([&] {
                row = FindRow(view, SearchPattern(kMissing, caseSensitive), 0, true);
            });
            if (row != -1)
                throw std::runtime_error("the missing text was found");
            (caseSensitive ? findC : findI) << s;
        }
        grepI << bench::TimeCommand("LC_ALL=C grep -c -F -i '" + QString::fromLatin1(kMissing) + "' '" + path + "'");
        grepC << bench::TimeCommand("LC_ALL=C grep -c -F '" + QString::fromLatin1(kMissing) + "' '" + path + "'");
        std::printf("viewer-search: run %d: search %.3f s (case off), %.3f s (case on); grep -i %.3f s, grep %.3f s\n",
                    run + 1, findI.last(), findC.last(), grepI.last(), grepC.last());
    }
    // The same search through the same size of UTF-8 text, the pattern encoded for it.
    const QString utf8Path = dir + "/big utf-8.txt";
    bench::GenerateUtf8TextFile(utf8Path, kFileBytes, 4242);
    bench::TimeToPaint(view, [&] { view.LoadFromFile(utf8Path); });
    if (view.Encoding() != TextEncoding::Utf8)
        throw std::runtime_error("the UTF-8 file was not read as UTF-8");
    QList<double> utf8I, utf8C;
    for (int run = 0; run < kRuns; ++run) {
        for (bool caseSensitive : {false, true}) {
            int row = 0;
            const double s = bench::TimeCall([&] {
                row = FindRow(view, SearchPattern::ForRows(kMissing, caseSensitive, view.Encoding()), 0, true);
            });
            if (row != -1)
                throw std::runtime_error("the missing text was found");
            (caseSensitive ? utf8C : utf8I) << s;
        }
    }
    std::printf("viewer-search: UTF-8 search %.3f s case off = %.2f x Shift-JIS, %.3f s case on = %.2f x "
                "(goal <= 1.2)\n",
                bench::Median(utf8I), bench::Median(utf8I) / bench::Median(findI), bench::Median(utf8C),
                bench::Median(utf8C) / bench::Median(findC));
    view.Clear();
    QFile::remove(utf8Path);
    bench::TimeToPaint(view, [&] { view.LoadFromFile(path); });
    const double fi = bench::Median(findI), fc = bench::Median(findC);
    const double gi = bench::Median(grepI), gc = bench::Median(grepC);
    std::printf("viewer-search: median search %.3f s (%.0f MB/s) case off, %.3f s (%.0f MB/s) case on\n", fi,
                mb / fi, fc, mb / fc);

    // The wrap switch reloads the file under the other wrap; the first load is the yardstick.
    const double toWidthS = bench::TimeToPaint(view, [&] {
        if (!ReloadWithWrap(view, QFile::encodeName(path), true, 0))
            throw std::runtime_error("the reload failed");
    });
    const int widthRows = view.RowCount();
    const double toBytesS = bench::TimeToPaint(view, [&] {
        if (!ReloadWithWrap(view, QFile::encodeName(path), true, 80))
            throw std::runtime_error("the reload failed");
    });
    std::printf("viewer-search: wrap switch to the window width %.3f s (%d rows) = %.2f x the first load; "
                "back to 80 bytes %.3f s = %.2f x\n",
                toWidthS, widthRows, toWidthS / firstLoadS, toBytesS, toBytesS / firstLoadS);
    view.Clear();

    const QString linesPath = dir + "/ten million lines.txt";
    WriteNumberedLines(linesPath, kJumpLines);
    const double linesLoadS = bench::TimeToPaint(view, [&] { view.LoadFromFile(linesPath); });
    QList<double> jump;
    for (int run = 0; run < kRuns; ++run) {
        view.SetTopRow(0);
        QApplication::processEvents();
        jump << bench::TimeToPaint(view, [&] { ShowLineAtTop(view, kJumpLines - 1); });
        if (view.RowToLine(view.TopRow()) != kJumpLines - 1)
            throw std::runtime_error("the jump missed the last line");
    }
    std::printf("viewer-search: jump to line %d of %d: %.2f ms to the paint (the load took %.3f s)\n", kJumpLines,
                view.LineCount(), bench::Median(jump) * 1e3, linesLoadS);
    view.Clear();

    bench::RemoveDir(dir);
    std::printf("viewer-search: time_vs_grep_i=%.2f time_vs_grep=%.2f\n", fi / gi, fc / gc);
    return 0;
}
