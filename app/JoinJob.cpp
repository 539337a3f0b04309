#include "JoinJob.h"

#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "ListErrors.h"
#include "NativeFile.h"
#include "SafeSave.h"
#include "Messages.h"
#include "Paths.h"
#include "ShiftJis.h"

namespace {
QString FileNameFromSetting(const QByteArray &bytes) { return QFile::decodeName(bytes); }

// Any failure to read a file, more lines than a list can hold included, is the job's one
// read failure.
template <typename List, typename Path>
void LoadForJoin(List &lines, const Path &fileName)
{
    try {
        lines.LoadFromFile(fileName);
    } catch (const EInOutError &) {
        throw JoinReadError();
    } catch (const EListError &) {
        throw JoinReadError();
    }
}

void LoadSeparator(PlainStrings &lines, bool wanted, const QByteArray &fileName)
{
    if (wanted)
        LoadForJoin(lines, FileNameFromSetting(fileName));
}
}

QByteArray FileNameLineName(QByteArrayView path)
{
    const QByteArray name = ExtractFileName(path);
    return IsValidUtf8(name) ? EncodeCp932OrQuestion(QString::fromUtf8(name)) : name;
}

void AssembleJoin(JoinWorkLists &lists, const QByteArrayList &paths, const JoinOptions &options,
                  const std::function<void(int firstLine)> &inputDone)
{
    lists.CopyLines.Clear();
    lists.JoinLines.Clear();
    lists.SepaLines1.Clear();
    lists.SepaLines2.Clear();
    lists.SepaLines3.Clear();
    LoadSeparator(lists.SepaLines1, options.Separator1, options.FileName1);
    LoadSeparator(lists.SepaLines2, options.Separator2, options.FileName2);
    LoadSeparator(lists.SepaLines3, options.Separator3, options.FileName3);

    for (qsizetype i = 0; i < paths.size(); ++i) {
        const int firstLine = lists.JoinLines.Count();
        lists.InputLines.Clear();
        LoadForJoin(lists.InputLines, paths[i]);
        if (options.Separator1)
            lists.JoinLines.AddStrings(lists.SepaLines1);
        if (options.FileNameLine)
            lists.JoinLines.Add(options.AddStrTo + FileNameLineName(paths[i]));
        if (options.Separator2)
            lists.JoinLines.AddStrings(lists.SepaLines2);
        lists.InputLines.AssignTo(lists.CopyLines);
        lists.JoinLines.AddStrings(lists.CopyLines);
        if (options.Separator3)
            lists.JoinLines.AddStrings(lists.SepaLines3);
        if (inputDone)
            inputDone(firstLine);
    }
}

namespace {
// Writes the joined text to a temporary file beside the output while the next inputs are still
// being read, so reading and writing overlap. The file replaces the output only on commit();
// destroying the writer without it leaves no trace. A failure to create or write the file is
// kept and told by failed(), when the job is ready to report it.
class OverlappedWriter {
public:
    explicit OverlappedWriter(const QString &path)
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

    // Queues lines [first, Count) of `lines`; the bytes are shared, not copied.
    void Write(const PlainStrings &lines, int first)
    {
        if (!thread_.joinable())
            return;
        LineTable piece;
        piece.appendFrom(lines.table(), first, lines.Count() - first);
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(std::move(piece));
        }
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
    bool failed() const { return failed_; }
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
            if (failed_)
                continue;  // keep draining so the reader never waits on a dead writer
            try {
                piece.writeText(file_->device());
            } catch (const EInOutError &) {
                failed_ = true;
            }
        }
    }

    std::unique_ptr<SafeSaveFile> file_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<LineTable> queue_;
    bool closing_ = false;
    std::atomic<bool> failed_ = false;
};
}

namespace {
// Assembles the join into a temporary file beside `target` while the inputs are read, then puts
// it in place when `mayReplace` agrees. A read failure reports the open message and a failed
// save the create message; either way `target` keeps what it held.
bool JoinToFile(JoinWorkLists &lists, const QString &target, const QByteArrayList &paths,
                const JoinOptions &options, const std::function<void(const QString &)> &report,
                const std::function<bool()> &mayReplace)
{
    auto writer = std::make_unique<OverlappedWriter>(target);
    try {
        AssembleJoin(lists, paths, options,
                     [&](int firstLine) { writer->Write(lists.JoinLines, firstLine); });
    } catch (const JoinReadError &) {
        writer.reset();
        report(msg::CannotOpen);
        return false;
    }
    // An empty list of inputs still writes the (empty) file.
    writer->Finish();
    if (mayReplace && !mayReplace())
        return false;
    try {
        writer->Commit();
    } catch (const EInOutError &) {
        report(msg::CannotCreate);
        return false;
    }
    return true;
}
}

bool RunJoinJob(JoinWorkLists &lists, const QString &outputName, const QByteArrayList &paths,
                const JoinOptions &options, const JoinDialogs &dialogs)
{
    if (IsMissingOutputName(outputName)) {
        dialogs.report(msg::NoOutputName);
        return false;
    }
    const auto mayReplace = [&] {
        const QFileInfo target(outputName);
        return !(target.exists() && !target.isDir()) || dialogs.confirm(msg::AskOverwrite);
    };
    if (!JoinToFile(lists, outputName, paths, options, dialogs.report, mayReplace))
        return false;
    dialogs.notify(msg::Done);
    return true;
}

bool RunPreviewJob(JoinWorkLists &lists, const QString &previewFile, const QByteArrayList &paths,
                   const JoinOptions &options, const std::function<void(const QString &text)> &report)
{
    return JoinToFile(lists, previewFile, paths, options, report, {});
}
