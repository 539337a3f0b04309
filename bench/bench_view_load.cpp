// Loading a big file into the big-text view, against wc -l on the same file: from LoadFromFile
// through the first paint of a shown window, with the peak memory of the loading process.
// Also: the same size of UTF-8 text against the Shift-JIS file; wrapping at the window width
// instead of at 80 bytes, and a file that is one 100 MB line
// shown without wrap (memory stays bounded, horizontal scrolling reaches the far end).
#include <QApplication>
#include <QFile>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <stdexcept>

#include "bench/BenchSupport.h"
#include "bench/BenchView.h"
#include "bigview/BigView.h"
#include "bigview/BigViewProbe.h"
#include "bigview/ViewPresets.h"

namespace {
constexpr qint64 FileBytes = 500'000'000;
constexpr qint64 LineBytes = 100'000'000;
constexpr int Runs = 3;

struct Figures {
    double seconds = 0;   // the measured part only
    qint64 peakRss = 0;   // of the whole child process
    qint64 anonGain = 0;  // resident memory that is not file cache (RssAnon), gained by the load
    qint64 rows = 0;
    qint64 imageBytes = 0;
    int farColumn = 0;
};

// A shown window holding a view placed as the viewer window places its own, with the wrap the
// viewer takes from the settings. Without wrap the view also gets the horizontal bar the viewer
// lacks, so that the one long line can be scrolled to its far end.
struct ViewWindow : bench::ViewerWindow {
    ViewWindow(int wrapByte, bool wordWrap) : ViewerWindow(1000, 700)
    {
        view->SetWordWrap(wordWrap);
        view->SetWrapByte(wrapByte);
        if (!wordWrap)
            view->SetScrollBar(ssBoth);
        Show();
    }
};

double LoadAndPaint(TBigView &view, const QString &path)
{
    const qint64 painted = Probe(view).PaintCount();
    return bench::TimeCall([&] {
        view.Clear();
        view.LoadFromFile(path);
        while (Probe(view).PaintCount() == painted)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
    });
}

// One load in a fresh child process; `extra` runs after the load, inside the child.
Figures LoadInChild(const QString &path, const QString &figures, int wrapByte, bool wordWrap,
                    const std::function<void(TBigView &, Figures &)> &extra = {})
{
    qint64 rss = 0;
    bench::RunInChild([&] {
        int argc = 1;
        char name[] = "talvo_bench_view_load";
        char *argv[] = {name, nullptr};
        QApplication app(argc, argv);
        ViewWindow w(wrapByte, wordWrap);
        Figures f;
        const qint64 anonBefore = bench::RssAnonBytes();
        f.seconds = LoadAndPaint(*w.view, path);
        f.anonGain = bench::RssAnonBytes() - anonBefore;
        f.rows = w.view->RowCount();
        f.imageBytes = Probe(*w.view).Image().sizeInBytes();
        if (extra)
            extra(*w.view, f);
        bench::WriteFigures(figures, f);
    }, &rss);
    auto f = bench::ReadFigures<Figures>(figures);
    f.peakRss = rss;
    return f;
}

void WriteOneLineFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot create " + path.toStdString());
    // LF does not end a line in the view's store: the whole file is one line.
    QByteArray chunk;
    while (chunk.size() < (1 << 20))
        chunk += "abcdefghij 0123456789 ABCDEFGHIJ\tklmnopqrstu\n";
    qint64 written = 0;
    while (written + chunk.size() <= LineBytes)
        written += f.write(chunk);
    f.write(QByteArray(LineBytes - written, 'z'));
}
}  // namespace

int main()
{
    const QString dir = bench::MakeTempDir("talvo-bench-view-load");
    const QString path = dir + "/big text.txt";
    const QString figures = dir + "/figures";
    std::printf("view-load: generating %lld bytes in %s\n", FileBytes, qPrintable(dir));
    bench::GenerateTextFile(path, FileBytes, 4242);
    const double mb = QFile(path).size() / 1e6;

    QList<double> wc, load, widthLoad, plainLoad;
    qint64 peak = 0, rows = 0, anonWrap = 0, anonPlain = 0;
    for (int run = 0; run < Runs; ++run) {
        wc << bench::TimeCommand("wc -l '" + path + "'");
        const Figures f = LoadInChild(path, figures, 80, true);
        load << f.seconds;
        peak = qMax(peak, f.peakRss);
        anonWrap = qMax(anonWrap, f.anonGain);
        rows = f.rows;
        std::printf("view-load: run %d: load+paint %.3f s, wc -l %.3f s, peak RSS %.0f MB, RssAnon +%.0f MB, %lld rows, "
                    "image %lld bytes\n",
                    run + 1, f.seconds, wc.last(), f.peakRss / 1e6, f.anonGain / 1e6, f.rows, f.imageBytes);
        const Figures p = LoadInChild(path, figures, 80, false);
        plainLoad << p.seconds;
        anonPlain = qMax(anonPlain, p.anonGain);
        std::printf("view-load: run %d: without wrap load+paint %.3f s, peak RSS %.0f MB, RssAnon +%.0f MB\n", run + 1,
                    p.seconds, p.peakRss / 1e6, p.anonGain / 1e6);
        const Figures g = LoadInChild(path, figures, 0, true);
        widthLoad << g.seconds;
        std::printf("view-load: run %d: window-width wrap load+paint %.3f s, peak RSS %.0f MB, %lld rows\n",
                    run + 1, g.seconds, g.peakRss / 1e6, g.rows);
    }
    // The same size of Japanese text in UTF-8: read, wrapped by cells and drawn in its encoding.
    const QString utf8Path = dir + "/big utf-8.txt";
    bench::GenerateUtf8TextFile(utf8Path, FileBytes, 4242);
    QList<double> utf8Load;
    for (int run = 0; run < Runs; ++run) {
        const Figures u = LoadInChild(utf8Path, figures, 80, true);
        utf8Load << u.seconds;
        std::printf("view-load: run %d: UTF-8 load+paint %.3f s, peak RSS %.0f MB, %lld rows\n", run + 1, u.seconds,
                    u.peakRss / 1e6, u.rows);
    }
    QFile::remove(utf8Path);
    const double loadS = bench::Median(load);
    const double wcS = bench::Median(wc);
    std::printf("view-load: UTF-8 median load+paint (WrapByte 80) %.3f s = %.2f x the Shift-JIS file (goal <= 1.2)\n",
                bench::Median(utf8Load), bench::Median(utf8Load) / loadS);
    const double widthS = bench::Median(widthLoad);
    std::printf("view-load: median load+paint (WrapByte 80) %.3f s for %.0f MB (%lld rows); wc -l %.3f s\n",
                loadS, mb, rows, wcS);
    std::printf("view-load: window-width wrap %.3f s = %.2f x the WrapByte time (goal <= 3)\n", widthS,
                widthS / loadS);

    // One line of 100 MB, wrap off: the Image stays window-sized, the far end is reachable.
    const QString linePath = dir + "/one line.txt";
    WriteOneLineFile(linePath);
    const Figures l = LoadInChild(linePath, figures, 80, false, [](TBigView &view, Figures &f) {
        const qint64 rendered = Probe(view).RenderedRows();
        f.seconds += bench::TimeCall([&] {
            view.HandleHScroll(7);  // right end
            view.HandleHScroll(0);  // one column back
            view.HandleHScroll(6);  // left end
            view.horizontalScrollBar()->setSliderPosition(view.horizontalScrollBar()->maximum() / 2);
            view.HandleHScroll(5);  // the middle, by the thumb
        });
        if (Probe(view).RenderedRows() - rendered < 4)
            throw std::runtime_error("horizontal scrolling did not render");
        f.farColumn = view.HScrollPos();
        f.imageBytes = qMax(f.imageBytes, Probe(view).Image().sizeInBytes());
    });
    std::printf("view-load: one 100 MB line, wrap off: load+paint+4 horizontal scrolls %.3f s, peak RSS %.0f MB "
                "(%.2f x the file), image %lld bytes, middle column %d\n",
                l.seconds, l.peakRss / 1e6, double(l.peakRss) / LineBytes, l.imageBytes, l.farColumn);

    bench::RemoveDir(dir);
    std::printf("view-load: without wrap: median load+paint %.3f s = %.2f x wc -l\n", bench::Median(plainLoad),
                bench::Median(plainLoad) / wcS);
    std::printf("view-load: RssAnon gained over the file: %.3f without wrap (goal <= 0.1), %.3f with WrapByte 80 "
                "(goal <= 0.5)\n",
                anonPlain / (mb * 1e6), anonWrap / (mb * 1e6));
    std::printf("view-load: mb_per_s=%.0f time_vs_wc=%.2f mem_vs_file=%.2f anon_vs_file=%.3f anon_vs_file_wrap=%.3f\n",
                mb / loadS, loadS / wcS, double(peak) / (mb * 1e6), anonPlain / (mb * 1e6), anonWrap / (mb * 1e6));
    return 0;
}
