// The view's Find over a big file, for a text that does not occur, against grep -c for the same
// text on the same file; the view is placed as the viewer window places its own.
#include <QApplication>
#include <QFile>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <stdexcept>

#include "bench/BenchSupport.h"
#include "bench/BenchView.h"
#include "bigview/BigView.h"
#include "bigview/ViewPresets.h"

namespace {
constexpr qint64 FileBytes = 500'000'000;
constexpr int Runs = 3;
const QByteArray AbsentText = "Zq_never_here_7";
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString dir = bench::MakeTempDir("talvo-bench-view-find");
    const QString path = dir + "/big text.txt";
    std::printf("view-find: generating %lld bytes in %s\n", FileBytes, qPrintable(dir));
    bench::GenerateTextFile(path, FileBytes, 4242);

    bench::ViewerWindow w(1000, 700);
    w.Show();
    TBigView *view = w.view;
    const double loadS = bench::TimeCall([&] { view->LoadFromFile(path); });
    std::printf("view-find: loaded %d rows in %.3f s\n", view->RowCount(), loadS);

    QList<double> find, grep;
    for (int run = 0; run < Runs; ++run) {
        int row = 0, column = 1;
        bool found = true;
        find << bench::TimeCall([&] { found = view->Find(AbsentText, row, column); });
        if (found || row != view->RowCount() || column != 1)
            throw std::runtime_error("the missing text was found");
        grep << bench::TimeCommand("grep -c -F '" + QString::fromLatin1(AbsentText) + "' '" + path + "'");
        std::printf("view-find: run %d: Find %.3f s, grep -c %.3f s\n", run + 1, find.last(), grep.last());
    }
    const double findS = bench::Median(find), grepS = bench::Median(grep);
    std::printf("view-find: median Find %.3f s (%.0f MB/s), grep -c %.3f s\n", findS,
                QFile(path).size() / 1e6 / findS, grepS);
    bench::RemoveDir(dir);
    std::printf("view-find: time_vs_grep=%.2f\n", findS / grepS);
    return 0;
}
