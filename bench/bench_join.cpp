// The joining job against cat and awk: 100 inputs of 5 MB with separator 1 and the file-name
// line on, a single 200 MB input with LF-only breaks, and start-up with 1,000 arguments.
// With --inputs-from DIR it joins the given inputs once instead (the 10 x 1 GB measurement).
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWindow>
#include <cstdio>

#include "bench/BenchSupport.h"
#include "app/rules/JoinJob.h"
#include "app/TalvoApplication.h"
#include "app/TForm1.h"

namespace {
constexpr int Inputs = 100;
constexpr qint64 InputBytes = 5'000'000;
constexpr qint64 SingleBytes = 200'000'000;
// cat's time for the same bytes swings by a factor of three with the state of the page cache,
// which flatters any median ratio: each side is timed by its fastest run.
constexpr int Runs = 5;

JoinDialogs AnswerYes()
{
    return JoinDialogs{[](const QString &) { std::fprintf(stderr, "join reported a failure\n"); std::exit(2); },
                       [](const QString &) { return true; }, [](const QString &) {}};
}

// The job exactly as the Execute button runs it, in a child process for its peak memory.
double TimeJob(const QString &out, const QStringList &, const QStringList &paths, const JoinOptions &o, qint64 *rss)
{
    QByteArrayList pathBytes;
    for (const QString &p : paths)
        pathBytes << QFile::encodeName(p);
    return bench::RunInChild([&] {
        JoinWorkLists lists;
        if (!RunJoinJob(lists, QFile::encodeName(out), pathBytes, o, AnswerYes()))
            throw std::runtime_error("join failed");
    }, rss);
}

bool SameFiles(const QString &a, const QString &b)
{
    return std::system(("cmp -s '" + a + "' '" + b + "'").toLocal8Bit().constData()) == 0;
}

QString ShellList(const QStringList &paths)
{
    QString s;
    for (const QString &p : paths)
        s += " '" + p + "'";
    return s;
}
}

// `--inputs-from DIR`: joins the *.txt files of DIR (in name order, nothing else on) once and
// compares time and peak memory with cat's, for inputs too large to generate on every run.
int JoinGivenInputs(const QString &dir)
{
    QStringList names = QDir(dir).entryList({"*.txt"}, QDir::Files, QDir::Name);
    QStringList paths;
    qint64 inputBytes = 0, largest = 0;
    for (const QString &n : names) {
        paths << dir + "/" + n;
        const qint64 size = QFileInfo(paths.last()).size();
        inputBytes += size;
        largest = std::max(largest, size);
    }
    const QString out = dir + "/joined.out", catOut = dir + "/cat.out";
    bench::TimeCommand("sync");
    qint64 rss = 0;
    const double tJob = TimeJob(out, names, paths, JoinOptions{}, &rss);
    QFile::remove(out);
    bench::TimeCommand("sync");
    const double tCat = bench::TimeCommand("cat" + ShellList(paths) + " > '" + catOut + "'");
    QFile::remove(catOut);
    std::printf("join: %lld inputs, %.1f GB in (largest %.2f GB): talvo %.2f s, cat %.2f s, time_vs_cat=%.2f, "
                "peak resident %.1f MB (%.3f of the largest input)\n",
                qint64(names.size()), inputBytes / 1e9, largest / 1e9, tJob, tCat, tJob / tCat, rss / 1e6,
                double(rss) / double(largest));
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--inputs-from")
        return JoinGivenInputs(QString::fromLocal8Bit(argv[2]));
    const QString dir = bench::MakeTempDir("talvo-bench-join");
    std::printf("join: generating %d inputs of %lld bytes in %s\n", Inputs, InputBytes, qPrintable(dir));
    QStringList paths, names;
    qint64 inputBytes = 0;
    for (int i = 0; i < Inputs; ++i) {
        const QString name = QString("input %1.txt").arg(i, 3, 10, QChar('0'));
        bench::GenerateTextFile(dir + "/" + name, InputBytes, 1000 + i);
        paths << dir + "/" + name;
        names << name;
        inputBytes += QFileInfo(paths.last()).size();
    }
    const QString sepa = dir + "/SEPA01.TXT";
    {
        QFile f(sepa);
        f.open(QIODevice::WriteOnly);
        f.write("==========\r\n");
    }
    JoinOptions o;
    o.Separator1 = o.FileNameLine = true;
    o.FileName1 = QFile::encodeName(sepa);
    o.AddStrTo = "## ";

    const QString out = dir + "/out.txt", catOut = dir + "/cat.txt", awkOut = dir + "/awk.txt";
    const QString awk = "awk -v sep='" + sepa +
                        "' 'BEGIN{RS=\"\\r\\n\"; ORS=\"\\r\\n\"; while ((getline l < sep) > 0) { sub(/\\r$/, \"\", l); s = s l \"\\r\\n\" } ORS=\"\"} "
                        "FNR==1{n=FILENAME; sub(/.*\\//, \"\", n); printf \"%s## %s\\r\\n\", s, n} {printf \"%s\\r\\n\", $0}'" +
                        ShellList(paths) + " > '" + awkOut + "'";
    QList<double> job, cat, awkTimes;
    qint64 peak = 0;
    // Each timed run starts with no dirty pages, so one run's write-back does not slow the next.
    const auto settle = [] { bench::TimeCommand("sync"); };
    for (int r = 0; r < Runs; ++r) {
        QFile::remove(out);
        qint64 rss = 0;
        settle();
        job << TimeJob(out, names, paths, o, &rss);
        peak = std::max(peak, rss);
        settle();
        cat << bench::TimeCommand("cat" + ShellList(paths) + " > '" + catOut + "'");
        settle();
        awkTimes << bench::TimeCommand(awk);
    }
    const bool same = SameFiles(out, awkOut);
    const double tJob = bench::Fastest(job), tCat = bench::Fastest(cat), tAwk = bench::Fastest(awkTimes);
    std::printf("join: %d inputs, %.1f MB in, %.1f MB out, output %s awk's\n", Inputs, inputBytes / 1e6,
                QFileInfo(out).size() / 1e6, same ? "identical to" : "DIFFERENT FROM");
    std::printf("join: talvo %.3f s, cat %.3f s, awk %.3f s (fastest of %d)\n", tJob, tCat, tAwk, Runs);
    std::printf("join: talvo peak resident %.1f MB\n", peak / 1e6);
    const double ratio = tJob / tCat, mem = double(peak) / double(inputBytes);
    std::printf("join: time_vs_awk=%.2f\n", tJob / tAwk);

    // One input of 200 MB whose breaks are LF only: one line of 200 MB.
    for (const QString &p : paths)
        QFile::remove(p);
    QFile::remove(catOut);
    QFile::remove(awkOut);
    const QString single = dir + "/single.txt";
    bench::GenerateTextFile(single, SingleBytes, 7, true);
    const qint64 singleSize = QFileInfo(single).size();
    QFile::remove(out);
    qint64 rss1 = 0;
    QList<double> single1, cat1;
    for (int r = 0; r < Runs; ++r) {
        QFile::remove(out);
        settle();
        qint64 rss = 0;
        single1 << TimeJob(out, {"single.txt"}, {single}, JoinOptions{}, &rss);
        rss1 = std::max(rss1, rss);
        settle();
        cat1 << bench::TimeCommand("cat '" + single + "' > '" + catOut + "'");
    }
    const double t1 = bench::Fastest(single1), c1 = bench::Fastest(cat1);
    const bool one = QFileInfo(out).size() == singleSize + 2 &&
                     std::system(("cmp -s -n " + QString::number(singleSize) + " '" + single + "' '" + out + "'").toLocal8Bit().constData()) == 0;
    std::printf("join: single LF-only 200 MB input: %s, talvo %.3f s, cat %.3f s, time_vs_cat=%.2f mem_vs_input=%.2f\n",
                one ? "joined correctly" : "WRONG OUTPUT", t1, c1, t1 / c1, double(rss1) / singleSize);

    // Start-up to the shown main window with 1,000 arguments.
    QByteArrayList many;
    for (int i = 0; i < 1000; ++i)
        many << QString("/data/in/file %1.txt").arg(i).toUtf8();
    QFile::copy(sepa, dir + "/TALVO.INI");  // present, so no first-start notice
    qint64 rssUi = 0;
    const double tUi = bench::RunInChild([&] {
        TalvoApplication app(argc, argv);
        TForm1 form(dir + "/TALVO", many);
        form.show();
        while (!form.windowHandle() || !form.windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }, &rssUi);
    std::printf("join: start-up with 1000 arguments to the shown main window: %.3f s\n", tUi);

    bench::RemoveDir(dir);
    std::printf("join: time_vs_cat=%.2f mem_vs_input=%.2f\n", ratio, mem);
    return 0;
}
