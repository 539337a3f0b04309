#include "bench/BenchSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace bench {

namespace {
// Lines of 20 to 80 cells, a quarter of them two-cell characters: Shift-JIS pairs, or the
// three-byte UTF-8 of hiragana, katakana and kanji.
void Generate(const QString &path, qint64 bytes, unsigned seed, bool lfOnly, bool utf8)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot create " + path.toStdString());
    std::mt19937 rng(seed);
    // A few hundred distinct Shift-JIS characters: hiragana, katakana and kanji rows.
    static const unsigned char leads[] = {0x82, 0x83, 0x88, 0x89, 0x8A, 0x93, 0x95, 0x9F, 0xE0, 0xE3};
    QByteArray buf;
    buf.reserve(1 << 20);
    QByteArray line;
    qint64 written = 0;
    // Whole lines only: the file ends with a complete break, just under `bytes`.
    for (;;) {
        line.clear();
        const int len = 20 + int(rng() % 61);
        int i = 0;
        while (i < len) {
            const unsigned r = rng();
            if ((r & 3) == 0 && i + 2 <= len && utf8) {
                static const char16_t firsts[] = {0x3041, 0x30A1, 0x4E00};
                static const unsigned spans[] = {83, 83, 0x9FA0 - 0x4E00};
                const unsigned kind = (r >> 2) % 3;
                const unsigned c = firsts[kind] + (r >> 8) % spans[kind];
                line.append(char(0xE0 | (c >> 12)));
                line.append(char(0x80 | ((c >> 6) & 0x3F)));
                line.append(char(0x80 | (c & 0x3F)));
                i += 2;
            } else if ((r & 3) == 0 && i + 2 <= len) {
                line.append(char(leads[(r >> 2) % sizeof leads]));
                line.append(char(0x40 + ((r >> 8) % 0x3F)));  // trail bytes 0x40-0x7E
                i += 2;
            } else {
                line.append(char(0x20 + ((r >> 2) % 0x5F)));  // printable ASCII
                ++i;
            }
        }
        if (!lfOnly)
            line.append('\r');
        line.append('\n');
        if (written + buf.size() + line.size() > bytes)
            break;
        buf.append(line);
        if (buf.size() >= (1 << 20)) {
            f.write(buf);
            written += buf.size();
            buf.clear();
        }
    }
    f.write(buf);
}
}  // namespace

void GenerateTextFile(const QString &path, qint64 bytes, unsigned seed, bool lfOnly)
{
    Generate(path, bytes, seed, lfOnly, false);
}

void GenerateUtf8TextFile(const QString &path, qint64 bytes, unsigned seed)
{
    Generate(path, bytes, seed, false, true);
}

double TimeCommand(const QString &shellCommand)
{
    QProcess shell;
    shell.setStandardOutputFile(QProcess::nullDevice());
    shell.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    shell.start("bash", {"-c", shellCommand});
    if (!shell.waitForFinished(-1) || shell.exitStatus() != QProcess::NormalExit)
        throw std::runtime_error("cannot run " + shellCommand.toStdString());
    return t.nsecsElapsed() / 1e9;
}

double TimeCall(const std::function<void()> &call)
{
    QElapsedTimer t;
    t.start();
    call();
    return t.nsecsElapsed() / 1e9;
}

// A field of /proc/self/status in bytes ("VmHWM", "RssAnon"), or -1.
static qint64 StatusBytes(const char *field)
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong() * 1024;
    return -1;
}

qint64 RssAnonBytes()
{
    return StatusBytes("RssAnon");
}

struct AnonPeak::Sampler {
    std::atomic<bool> done = false;
    std::atomic<qint64> peak = 0;
    std::thread thread;
};

AnonPeak::AnonPeak() : sampler_(std::make_unique<Sampler>())
{
    sampler_->peak = RssAnonBytes();
    sampler_->thread = std::thread([s = sampler_.get()] {
        while (!s->done) {
            s->peak = std::max<qint64>(s->peak, RssAnonBytes());
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
}

AnonPeak::~AnonPeak()
{
    sampler_->done = true;
    sampler_->thread.join();
}

qint64 AnonPeak::Peak() const
{
    return std::max<qint64>(sampler_->peak, RssAnonBytes());
}

double RunInChild(const std::function<void()> &work, qint64 *peakRssBytes)
{
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe");
    std::fflush(nullptr);
    QElapsedTimer t;
    t.start();
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        int rc = 0;
        try {
            work();
        } catch (const std::exception &e) {
            std::fprintf(stderr, "bench child: %s\n", e.what());
            rc = 1;
        }
        const qint64 hwm = StatusBytes("VmHWM");
        (void)!write(fds[1], &hwm, sizeof hwm);
        std::fflush(nullptr);
        _exit(rc);
    }
    close(fds[1]);
    qint64 hwm = -1;
    (void)!read(fds[0], &hwm, sizeof hwm);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    const double s = t.nsecsElapsed() / 1e9;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("benchmark child failed");
    if (peakRssBytes)
        *peakRssBytes = hwm;
    return s;
}

double Median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Fastest(const QList<double> &values)
{
    return values.isEmpty() ? 0 : *std::min_element(values.begin(), values.end());
}

QString MakeTempDir(const QString &prefix)
{
    QTemporaryDir dir(QDir::tempPath() + "/" + prefix + "-XXXXXX");
    dir.setAutoRemove(false);
    if (!dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    return dir.path();
}

void RemoveDir(const QString &dir)
{
    QDir(dir).removeRecursively();
}
}
