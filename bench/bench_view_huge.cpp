// A file larger than the memory the program may use: the viewer's view is given a memory limit
// (a memory cgroup of 2 GiB, file cache included) and shows a 3 GiB file: the load to the first
// paint, Ctrl+End, a search for a text that does not occur and a jump to the last line, each
// against wc -l or grep -c -F over the same file in the same cgroup, with the file's pages dropped
// from the cache before each step. Prints the peak RssAnon of the program.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>

#include <cstdio>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

#include "bench/BenchSupport.h"
#include "bench/BenchView.h"
#include "viewer/TextSearch.h"
#include "viewer/ViewScroll.h"

namespace {
constexpr qint64 PieceBytes = 256ll << 20;
constexpr int Pieces = 12;  // 3 GiB
constexpr qint64 LimitBytes = 2ll << 30;
const QByteArray Missing = "Zq_never_here_7";

struct Figures {
    double load = 0, ctrlEnd = 0, search = 0, jump = 0;
    qint64 peakAnon = 0;
    qint64 lines = 0;
    bool endShown = false, jumpShown = false, found = false;
};

// A memory cgroup (v1 or v2) limited to LimitBytes; empty when the machine offers none.
QString MakeCgroup()
{
    const QString name = QStringLiteral("talvo-bench-view-huge-%1").arg(::getpid());
    for (const auto &[root, limitFile] : {std::pair{QStringLiteral("/sys/fs/cgroup/memory"), QStringLiteral("memory.limit_in_bytes")},
                                          std::pair{QStringLiteral("/sys/fs/cgroup"), QStringLiteral("memory.max")}}) {
        const QString dir = root + '/' + name;
        if (!QDir().mkdir(dir))
            continue;
        QFile limit(dir + '/' + limitFile);
        if (limit.open(QIODevice::WriteOnly) && limit.write(QByteArray::number(LimitBytes)) > 0) {
            limit.close();
            return dir;
        }
        QDir().rmdir(dir);
    }
    return QString();
}

void JoinCgroup(const QString &cgroup)
{
    if (cgroup.isEmpty())
        return;
    QFile procs(cgroup + "/cgroup.procs");
    if (!procs.open(QIODevice::WriteOnly) || procs.write(QByteArray::number(::getpid())) <= 0)
        throw std::runtime_error("cannot join the memory cgroup");
}

// The file's pages leave the cache, so each step reads it from the disk within the limit.
void DropFromCache(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

double TimeInCgroup(const QString &cgroup, const QString &command)
{
    const QString join = cgroup.isEmpty() ? QString() : "echo $$ > '" + cgroup + "/cgroup.procs' && ";
    return bench::TimeCommand(join + "exec " + command);
}

// The viewer's view in a shown window, in the cgroup; its RssAnon sampled throughout.
void ShowInChild(const QString &path, const QString &cgroup, const QString &figures)
{
    JoinCgroup(cgroup);
    const bench::AnonPeak anon;
    Figures f;
    {
        int argc = 1;
        char name[] = "talvo_bench_view_huge";
        char *argv[] = {name, nullptr};
        QApplication app(argc, argv);
        bench::ViewerWindow w(625, 430);
        w.Show();
        TBigView *view = w.view;

        DropFromCache(path);
        f.load = bench::TimeToPaint(*view, [&] { view->LoadFromFile(path); });
        f.lines = view->LineCount();
        DropFromCache(path);
        f.ctrlEnd = bench::TimeToPaint(*view, [&] {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
            QApplication::sendEvent(view, &press);
        });
        f.endShown = view->TopRow() > 0 && view->TopRow() + 40 >= view->RowCount();
        DropFromCache(path);
        f.search = bench::TimeCall([&] { f.found = FindRow(*view, SearchPattern(Missing, false), 0, true) >= 0; });
        view->SetTopRow(0);
        QApplication::processEvents();
        DropFromCache(path);
        f.jump = bench::TimeToPaint(*view, [&] { ShowLineAtTop(*view, view->LineCount() - 1); });
        f.jumpShown = view->RowToLine(view->TopRow()) == view->LineCount() - 1 ||
                      view->TopRow() + 40 >= view->RowCount();
    }
    f.peakAnon = anon.Peak();
    bench::WriteFigures(figures, f);
}
}  // namespace

int main()
{
    const QString dir = bench::MakeTempDir("talvo-bench-view-huge");
    const QString path = dir + "/huge text.txt";
    const QString figures = dir + "/figures";
    std::printf("view-huge: generating %lld bytes in %s\n", PieceBytes * Pieces, qPrintable(dir));
    bench::GenerateTextFile(path + ".piece", PieceBytes, 4242);
    {
        QFile piece(path + ".piece"), out(path);
        if (!piece.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the file");
        const QByteArray bytes = piece.readAll();
        for (int i = 0; i < Pieces; ++i)
            if (out.write(bytes) != bytes.size())
                throw std::runtime_error("cannot write the file");
        piece.remove();
    }
    const double gb = QFile(path).size() / 1e9;

    const QString cgroup = MakeCgroup();
    if (cgroup.isEmpty())
        std::printf("view-huge: no memory cgroup can be made here: running without a memory limit\n");
    else
        std::printf("view-huge: memory cgroup %s limited to %lld MiB (file cache included)\n", qPrintable(cgroup),
                    LimitBytes >> 20);

    DropFromCache(path);
    const double wc = TimeInCgroup(cgroup, "wc -l '" + path + "'");
    DropFromCache(path);
    const double grep = TimeInCgroup(cgroup, "env LC_ALL=C grep -c -F -i '" + QString::fromLatin1(Missing) + "' '" + path + "'");
    std::printf("view-huge: wc -l %.2f s, grep -c -F -i %.2f s (%.2f GB, read from the disk)\n", wc, grep, gb);

    qint64 hwm = 0;
    bench::RunInChild([&] { ShowInChild(path, cgroup, figures); }, &hwm);
    const auto f = bench::ReadFigures<Figures>(figures);
    if (!cgroup.isEmpty())
        QDir().rmdir(cgroup);
    bench::RemoveDir(dir);
    if (!f.endShown || !f.jumpShown || f.found)
        throw std::runtime_error("Ctrl+End, the jump or the search went wrong");
    std::printf("view-huge: load to the first paint %.2f s (%lld lines) = %.2f x wc -l\n", f.load, f.lines, f.load / wc);
    std::printf("view-huge: Ctrl+End %.3f s, jump to the last line %.3f s\n", f.ctrlEnd, f.jump);
    std::printf("view-huge: search %.2f s = %.2f x grep -c -F -i\n", f.search, f.search / grep);
    std::printf("view-huge: peak RssAnon %.0f MB = %.3f of the file; peak resident %.0f MB (file pages included)\n",
                f.peakAnon / 1e6, f.peakAnon / (gb * 1e9), hwm / 1e6);
    std::printf("view-huge: completed=yes load_vs_wc=%.2f search_vs_grep=%.2f peak_anon_mb=%.0f\n", f.load / wc,
                f.search / grep, f.peakAnon / 1e6);
    return 0;
}
