// The preview command against cat: 100 inputs of 5 MB with separator 1 and the file-name line
// on, from the click on the preview button to the viewer window's first paint of its rows, run
// through the main window as a user runs it, with the peak memory of that process against the
// preview file's size.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "bench/BenchSupport.h"
#include "bigview/BigView.h"
#include "bigview/BigViewProbe.h"
#include "app/TForm1.h"
#include "viewer/TForm3.h"

namespace {
constexpr int kInputs = 100;
constexpr qint64 kInputBytes = 5'000'000;
constexpr int kRuns = 5;

QString ShellList(const QStringList &paths)
{
    QString s;
    for (const QString &p : paths)
        s += " '" + p + "'";
    return s;
}

// One preview in a fresh process: its seconds come back through a small file.
double PreviewInChild(const QString &dir, const QByteArrayList &inputs, qint64 *rss, qint64 *rows, qint64 *anonPeak)
{
    const QString figures = dir + "/figures";
    bench::RunInChild([&] {
        int argc = 1;
        char name[] = "talvo_bench_preview";
        char *argv[] = {name, nullptr};
        QApplication app(argc, argv);
        TForm1 form(dir + "/TALVO", inputs);
        form.show();
        QApplication::processEvents();
        const bench::AnonPeak anon;
        QElapsedTimer clock;
        double seconds = -1;
        qint64 shownRows = 0;
        form.OnViewerShown = [&](TForm3 *viewer) {
            // Waits inside the viewer's own loop for its first paint, then closes it.
            auto *poll = new QTimer(viewer);
            QObject::connect(poll, &QTimer::timeout, viewer, [&, viewer] {
                if (Probe(*viewer->BigView1).PaintCount() == 0)
                    return;
                seconds = clock.nsecsElapsed() / 1e9;
                shownRows = viewer->BigView1->RowCount();
                viewer->close();
            });
            poll->start(0);
        };
        clock.start();
        form.BtnPreview->click();
        if (seconds < 0)
            throw std::runtime_error("the preview showed no viewer");
        QFile out(figures);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw std::runtime_error("cannot write figures");
        out.write(reinterpret_cast<const char *>(&seconds), sizeof seconds);
        out.write(reinterpret_cast<const char *>(&shownRows), sizeof shownRows);
        const qint64 peakAnon = anon.Peak();
        out.write(reinterpret_cast<const char *>(&peakAnon), sizeof peakAnon);
    }, rss);
    QFile in(figures);
    double seconds = -1;
    if (!in.open(QIODevice::ReadOnly) || in.read(reinterpret_cast<char *>(&seconds), sizeof seconds) != sizeof seconds ||
        in.read(reinterpret_cast<char *>(rows), sizeof *rows) != sizeof *rows ||
        in.read(reinterpret_cast<char *>(anonPeak), sizeof *anonPeak) != sizeof *anonPeak)
        throw std::runtime_error("no figures from the child");
    return seconds;
}
}

int main(int, char **)
{
    const QString dir = bench::MakeTempDir("talvo-bench-preview");
    QStringList paths;
    QByteArrayList inputs;
    qint64 inputBytes = 0;
    for (int i = 0; i < kInputs; ++i) {
        const QString path = dir + QString("/input %1.txt").arg(i, 3, 10, QChar('0'));
        bench::GenerateTextFile(path, kInputBytes, 2000 + i);
        paths << path;
        inputs << QFile::encodeName(path);
        inputBytes += QFileInfo(path).size();
    }
    const QString sepa = dir + "/SEPA01.TXT";
    {
        QFile f(sepa);
        if (!f.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the separator");
        f.write("==========\r\n");
        QFile ini(dir + "/TALVO.INI");
        if (!ini.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the settings");
        ini.write("[OutPutJyouhou]\r\nFileName1=" + QFile::encodeName(sepa) +
                  "\r\nAddStrTo=\"## \"\r\nCheckOut1=1\r\nCheckAddStr=1\r\n");
    }

    const QString previewFile = dir + "/TALVO.TXT", catOut = dir + "/cat.txt";
    QList<double> preview, cat;
    qint64 peak = 0, rows = 0, anonPeak = 0;
    // Each timed run starts with no dirty pages, so one run's write-back does not slow the next,
    // and, as cat's fastest run, writes a file that did not exist: replacing a 500 MB file costs
    // its page cache's release on top.
    const auto settle = [] { bench::TimeCommand("sync"); };
    for (int r = 0; r < kRuns; ++r) {
        qint64 rss = 0, anon = 0;
        QFile::remove(previewFile);
        settle();
        preview << PreviewInChild(dir, inputs, &rss, &rows, &anon);
        peak = std::max(peak, rss);
        anonPeak = std::max(anonPeak, anon);
        settle();
        cat << bench::TimeCommand("cat" + ShellList(paths) + " > '" + catOut + "'");
    }
    const qint64 previewBytes = QFileInfo(previewFile).size();
    // The fastest of each: the page cache makes single runs of either swing widely.
    const double tPreview = *std::min_element(preview.begin(), preview.end());
    const double tCat = *std::min_element(cat.begin(), cat.end());
    std::printf("preview: %d inputs, %.1f MB in, preview file %.1f MB, %lld rows shown\n", kInputs,
                inputBytes / 1e6, previewBytes / 1e6, static_cast<long long>(rows));
    std::printf("preview: click to first paint %.3f s, cat %.3f s (fastest of %d)\n", tPreview, tCat, kRuns);
    std::printf("preview: peak resident %.1f MB (file pages included), peak RssAnon %.1f MB\n", peak / 1e6,
                anonPeak / 1e6);
    bench::RemoveDir(dir);
    std::printf("preview: time_vs_cat=%.2f mem_vs_output=%.2f (RssAnon; goals 1.2 and 0.3)\n", tPreview / tCat,
                double(anonPeak) / previewBytes);
    return 0;
}
