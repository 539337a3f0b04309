#include "app/rules/JoinJob.h"

#include <QFile>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <thread>

#include "lines/ListErrors.h"
#include "app/rules/Messages.h"
#include "lines/NativeFile.h"
#include "lines/Paths.h"
#include "lines/SafeSave.h"
#include "lines/ShiftJis.h"

namespace {
// An input is read this many bytes at a time and each piece is written before it is released,
// so the job's memory does not grow with its inputs. Large enough that reading stays a few
// big system calls per piece.
constexpr quint64 InputPiece = 8 * 1024 * 1024;
// Pieces read but not yet written; the reader waits beyond this, so a slow disk cannot make
// the read-ahead grow.
constexpr size_t PiecesQueued = 2;
// Pieces are read into blocks of this size, reused from input to input: room for a piece and
// the unfinished line carried over from the last one.
constexpr quint64 PieceBlock = InputPiece + InputPiece / 8;

// Any failure while reading, more lines than a list holds and memory running out included, is
// the job's one read failure.
template <typename Load>
void ReadForJoin(Load &&load)
{
    try {
        load();
    } catch (const EInOutError &) {
        throw JoinReadError();
    } catch (const EListError &) {
        throw JoinReadError();
    } catch (const std::bad_alloc &) {
        throw JoinReadError();
    }
}

void LoadSeparator(PlainStrings &lines, bool wanted, const QByteArray &path)
{
    if (wanted)
        ReadForJoin([&] { lines.LoadFromFile(path); });
}
}

QByteArray FileNameLineName(QByteArrayView path)
{
    const QByteArray name = ExtractFileName(path);
    return IsValidUtf8(name) ? EncodeCp932OrQuestion(QString::fromUtf8(name)) : name;
}

void AssembleJoin(JoinWorkLists &lists, const QByteArrayList &paths, const JoinOptions &options,
                  const std::function<void(LineTable &piece)> &write, JobControl *job)
{
    if (job) {
        for (const QByteArray &path : paths)
            job->AddTotal(RegularFileSize(path));
    }
    lists.CopyLines.Clear();
    lists.JoinLines.Clear();
    lists.SepaLines1.Clear();
    lists.SepaLines2.Clear();
    lists.SepaLines3.Clear();
    lists.InputLines.Clear();
    LoadSeparator(lists.SepaLines1, options.Separator1, options.FileName1);
    LoadSeparator(lists.SepaLines2, options.Separator2, options.FileName2);
    LoadSeparator(lists.SepaLines3, options.Separator3, options.FileName3);

    // Blocks in use at once: the queued pieces, the one being written and the one being read.
    BlockPool pool(PieceBlock, PiecesQueued + 2);
    const auto handOver = [&] {
        write(lists.JoinLines.table());
        lists.JoinLines.Clear();
    };
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (job) {
            job->ThrowIfCancelled();
            job->SetItem(DisplayName(ExtractFileName(QByteArrayView(paths[i]))));
        }
        ReadForJoin([&] {
            lists.InputLines.Clear();
            if (options.Separator1)
                lists.JoinLines.AddStrings(lists.SepaLines1);
            if (options.FileNameLine)
                lists.JoinLines.Add(options.AddStrTo + FileNameLineName(paths[i]));
            if (options.Separator2)
                lists.JoinLines.AddStrings(lists.SepaLines2);
            lists.InputLines.LoadInPieces(paths[i], InputPiece, [&] {
                // The lines before the input go first, then the input's piece itself: its lines
                // are handed over as they were read, never copied.
                handOver();
                write(lists.InputLines.table());
                lists.InputLines.Clear();
            }, &pool, job);
            if (options.Separator3)
                lists.JoinLines.AddStrings(lists.SepaLines3);
            handOver();
        });
    }
}

namespace {
// Writes the joined text to a temporary file on a second thread while the next pieces are
// still being read, so reading and writing overlap. Each piece's lines are moved to the writer,
// which alone touches them afterwards and frees them once written. The file replaces the
// target only on Commit(); destroying the writer without it leaves no trace. A failure to
// create or write the file is kept and told by Commit().
class OverlappedWriter {
public:
    explicit OverlappedWriter(const QByteArray &path)
    {
        try {
            file_ = std::make_unique<SafeSaveFile>(path, SaveDurability::Fast);
        } catch (const EInOutError &) {
            failed_ = true;
            return;
        }
        thread_ = std::thread([this] { Run(); });
    }
    ~OverlappedWriter()
    {
        Finish();
        file_.reset();
    }

    // Takes the lines of `lines`, leaving it empty.
    void Write(LineTable &lines)
    {
        if (!thread_.joinable() || lines.count() == 0)
            return;
        LineTable piece;
        piece.swap(lines);
        std::unique_lock lock(mutex_);
        room_.wait(lock, [this] { return queue_.size() < PiecesQueued; });
        queue_.push_back(std::move(piece));
        lock.unlock();
        wake_.notify_one();
    }
    // Waits until everything queued is written.
    void Finish()
    {
        if (!thread_.joinable())
            return;
        {
            std::lock_guard lock(mutex_);
            closing_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    void Commit()
    {
        Finish();
        if (failed_)
            throw EInOutError("write failed");
        file_->commit();
    }

private:
    void Run()
    {
        for (;;) {
            LineTable piece;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return closing_ || !queue_.empty(); });
                if (queue_.empty())
                    return;
                piece = std::move(queue_.front());
                queue_.pop_front();
            }
            room_.notify_one();
            if (failed_)
                continue;  // keep draining so the reader never waits on a dead writer
            try {
                piece.writeText(file_->device());
            } catch (const EInOutError &) {
                failed_ = true;
            } catch (const std::bad_alloc &) {
                failed_ = true;
            }
        }
    }

    std::unique_ptr<SafeSaveFile> file_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;  // a piece is queued, or the writer may close
    std::condition_variable room_;  // the queue has room again
    std::deque<LineTable> queue_;
    bool closing_ = false;
    bool failed_ = false;  // the writer's own until the thread is joined
};
}

JoinResult WriteJoin(JoinWorkLists &lists, const QByteArray &fileName, const QByteArrayList &paths,
                     const JoinOptions &options, const std::function<bool()> &mayReplace, JobControl *job)
{
    auto writer = std::make_unique<OverlappedWriter>(fileName);
    try {
        AssembleJoin(lists, paths, options, [&](LineTable &piece) { writer->Write(piece); }, job);
    } catch (const JoinReadError &) {
        writer.reset();
        return JoinResult::ReadFailed;
    } catch (const EJobCancelled &) {
        writer.reset();  // the temporary file goes with it
        return JoinResult::Cancelled;
    }
    // An empty list of inputs still writes the (empty) file.
    writer->Finish();
    const auto stopped = [job] { return job && job->Cancelled(); };
    if (stopped())
        return JoinResult::Cancelled;
    if (mayReplace && !mayReplace())
        return JoinResult::Declined;
    // The last moment a stop counts: after it the whole file takes the target's place.
    if (stopped())
        return JoinResult::Cancelled;
    try {
        writer->Commit();
    } catch (const EInOutError &) {
        return JoinResult::WriteFailed;
    }
    return JoinResult::Written;
}

namespace {
// Tells a failed write its message; true when the file was written.
bool Reported(JoinResult result, const std::function<void(const QString &text)> &report)
{
    switch (result) {
    case JoinResult::ReadFailed:
        report(msg::CannotOpen);
        return false;
    case JoinResult::WriteFailed:
        report(msg::CannotCreate);
        return false;
    case JoinResult::Declined:
    case JoinResult::Cancelled:
        return false;
    case JoinResult::Written:
        break;
    }
    return true;
}
}

bool RunJoinJob(JoinWorkLists &lists, const QByteArray &outputName, const QByteArrayList &paths,
                const JoinOptions &options, const JoinDialogs &dialogs, JobControl *job)
{
    if (IsMissingOutputName(outputName)) {
        dialogs.report(msg::NoOutputName);
        return false;
    }
    // A folder by that name is refused by the write itself, without the question.
    const auto askOverwrite = [&] {
        return KindOfPath(outputName) != PathKind::Other || dialogs.confirm(msg::AskOverwrite);
    };
    if (!Reported(WriteJoin(lists, outputName, paths, options, askOverwrite, job), dialogs.report))
        return false;
    dialogs.notify(msg::Done);
    return true;
}

bool RunPreviewJob(JoinWorkLists &lists, const QByteArray &previewFile, const QByteArrayList &paths,
                   const JoinOptions &options, const std::function<void(const QString &text)> &report,
                   JobControl *job)
{
    return Reported(WriteJoin(lists, previewFile, paths, options, {}, job), report);
}
