#pragma once
// Shared pieces of the benchmarks: generated data, wall-clock timing of commands and of code,
// and peak resident memory of code run in a child process.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace bench {
// Writes `bytes` bytes of CR LF (or LF-only) lines of 20 to 80 bytes mixing ASCII and
// Shift-JIS double-byte characters; deterministic for a given seed.
void GenerateTextFile(const QString &path, qint64 bytes, unsigned seed, bool lfOnly = false);
// The same kind of text in UTF-8: lines as long in cells, each two-byte character of the
// Shift-JIS text a three-byte hiragana, katakana or kanji, cut to the same file size.
void GenerateUtf8TextFile(const QString &path, qint64 bytes, unsigned seed);

// Runs a shell command (bash -c), output discarded; returns wall seconds.
double TimeCommand(const QString &shellCommand);
double TimeCall(const std::function<void()> &call);

// Forks; the child runs `work` and exits. Returns the child's wall time in seconds and sets
// peakRssBytes to its peak resident set (VmHWM). The child's exit code must be 0.
double RunInChild(const std::function<void()> &work, qint64 *peakRssBytes);

// The process's resident memory that is not file cache (RssAnon), in bytes.
qint64 RssAnonBytes();

// Samples RssAnon every few milliseconds on a thread of its own while it lives.
class AnonPeak {
public:
    AnonPeak();
    ~AnonPeak();
    AnonPeak(const AnonPeak &) = delete;
    AnonPeak &operator=(const AnonPeak &) = delete;
    qint64 Peak() const;  // the highest seen so far

private:
    struct Sampler;
    std::unique_ptr<Sampler> sampler_;
};

double Median(QList<double> values);
double Fastest(const QList<double> &values);
// A fresh temporary folder for one benchmark run, removed by the caller with RemoveDir.
QString MakeTempDir(const QString &prefix);
void RemoveDir(const QString &dir);
}
