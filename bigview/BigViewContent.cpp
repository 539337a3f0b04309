// TBigView: the operations through which text enters and leaves the view.
#include <QClipboard>
#include <QGuiApplication>

#include "bigview/BigView.h"
#include "bigview/rules/BvMath.h"
#include "lines/PlainStrings.h"
#include "lines/TBvStrings.h"
#include "platform/BackgroundWork.h"

#include <QFile>

#include <algorithm>

QByteArray TBigView::GetRow(int row) const
{
    return RowView(row).toByteArray();
}

void TBigView::PutRow(int row, QByteArrayView text)
{
    const TBvRow r = rows_.At(row);
    const QByteArrayView line = lines_->View(r.Line);
    const qsizetype from = r.Start > 0 ? r.Start - 1 : 0;
    QByteArray next;
    next.reserve(bv::CheckedInt(qint64(line.size()) - r.Len + text.size()));
    next.append(line.first(from));
    next.append(text);
    next.append(line.sliced(from + r.Len));
    lines_->Put(r.Line, next);
    LayoutFrom(r.Line);
    UpdateScrollRanges();
    if (row >= topRow_ && row <= bottomRow_)
        Redraw();
}

void TBigView::FitWindowAfterAdd(bool strict)
{
    const qint64 full = qint64(topRow_) + visibleRows_ - 1;
    if (strict ? bottomRow_ < full : bottomRow_ <= full)
        SetBottomRow(bv::CheckedInt(full));
}

int TBigView::Add(QByteArrayView text)
{
    lines_->Add(text);
    LayoutFrom(LineCount() - 1);
    NoRender = true;
    GrowMaxChar(RowCount() - 1, 1);
    NoRender = true;
    UpdateScrollRanges();
    NoRender = false;
    FitWindowAfterAdd(true);
    return RowCount();
}

void TBigView::AddStrings(const PlainStrings &source)
{
    const int first = LineCount();
    const int n = source.Count();
    lines_->AddStrings(source);
    LayoutFrom(first);
    NoRender = true;
    GrowMaxChar(RowCount() - n, n);
    NoRender = true;
    UpdateScrollRanges();
    NoRender = false;
    FitWindowAfterAdd(false);
}

void TBigView::AfterReplaceAll()
{
    SetSelAnchor(QPoint(0, 0));
    SetSelEnd(selAnchor_);
}

void TBigView::Assign(const PlainStrings &source)
{
    const int n = source.Count();
    lines_->Assign(source);
    LayoutFrom(0);
    NoRender = true;
    GrowMaxChar(RowCount() - n, n);
    NoRender = true;
    UpdateScrollRanges();
    NoRender = false;
    SetTopRow(0);
    AfterReplaceAll();
    FitWindowAfterAdd(true);
}

void TBigView::Clear()
{
    lines_->Clear();
    metrics_.SetEncoding(lines_->Encoding());
    LayoutFrom(0);
    UpdateScrollRanges();
    AfterReplaceAll();
    SetTopRow(0);
    ClearImage();
}

void TBigView::AssignTo(PlainStrings &dest) const
{
    lines_->AssignTo(dest);
}

void TBigView::Delete(int row)
{
    const int line = rows_.At(row).Line;
    lines_->Delete(line);
    LayoutFrom(line);
    UpdateScrollRanges();
    AfterReplaceAll();
    if (topRow_ > RowCount() - 1)
        SetTopRow(RowCount() - 1);
    if (row >= topRow_ && row <= bottomRow_)
        Redraw();
}

void TBigView::Exchange(int row1, int row2)
{
    const int line1 = rows_.At(row1).Line;
    const int line2 = rows_.At(row2).Line;
    lines_->Exchange(line1, line2);
    LayoutFrom(qMin(line1, line2));
    auto visible = [this](int r) { return r >= topRow_ && r <= bottomRow_; };
    if (visible(row1) || visible(row2))
        Redraw();
}

bool TBigView::Find(QByteArrayView text, int &row, int &column) const
{
    const QPoint at = RowPosToLinePos(QPoint(column, row));
    int line = at.y();
    int col = at.x();
    // A search through a big file runs in the background; a stop is a miss that moves nothing.
    bool found = false;
    JobControl job;
    try {
        RunInBackground(window(), QStringLiteral("検索中"), job, [&] { found = lines_->Find(text, line, col, &job); });
    } catch (const EJobCancelled &) {
        return false;
    }
    const QPoint back = LinePosToRowPos(QPoint(col, line));
    row = back.y();
    column = back.x();
    return found;
}

int TBigView::IndexOf(QByteArrayView text) const
{
    const int line = lines_->IndexOf(text);
    return line < 0 ? -1 : LineToRow(line);
}

void TBigView::Insert(int row, QByteArrayView text)
{
    const int line = rows_.At(row).Line;
    lines_->Insert(line, text);
    LayoutFrom(line);
    NoRender = true;
    GrowMaxChar(row, 1);
    NoRender = true;
    UpdateScrollRanges();
    NoRender = false;
    if (row <= bottomRow_)
        Redraw();
}

TextEncoding TBigView::Encoding() const
{
    return lines_->Encoding();
}

bool TBigView::FindText(QStringView text, int &row, int &column) const
{
    const std::optional<QByteArray> bytes = EncodeText(Encoding(), text);
    if (!bytes || bytes->isEmpty())
        return false;
    return Find(*bytes, row, column);
}

QString TBigView::SelectedText(JobControl *job) const
{
    if (SelectionEmpty() || RowCount() == 0)
        return QString();
    QPoint from = RowPosToLinePos(selAnchor_), to = RowPosToLinePos(selEnd_);
    if (to.y() < from.y() || (to.y() == from.y() && to.x() < from.x()))
        std::swap(from, to);
    // By lines, not rows: a wrapped line is copied as the one line it is.
    QString text;
    const TextEncoding encoding = Encoding();
    for (int line = from.y(); line <= to.y(); ++line) {
        const QByteArrayView bytes = lines_->View(line);
        const qsizetype first = line == from.y() ? std::clamp<qsizetype>(from.x() - 1, 0, bytes.size()) : 0;
        const qsizetype end = line == to.y() ? std::clamp<qsizetype>(to.x() - 1, first, bytes.size()) : bytes.size();
        if (line > from.y())
            text += QLatin1Char('\n');
        text += DecodeText(encoding, bytes.sliced(first, end - first));
        if (job) {
            job->AddLines(1);
            if ((line & 1023) == 0)
                job->ThrowIfCancelled();
        }
    }
    return text;
}

void TBigView::CopyToClipboard() const
{
    if (SelectionEmpty() || RowCount() == 0)
        return;
    // A selection of many lines (or a huge one) is decoded in the background, with the progress
    // window after half a second; 中止 copies nothing.
    const int firstLine = RowPosToLinePos(selAnchor_).y(), lastLine = RowPosToLinePos(selEnd_).y();
    const int lines = std::abs(lastLine - firstLine) + 1;
    QString text;
    if (lines < BackgroundCopyLines && lines_->LongestLine(std::min(firstLine, lastLine), lines) < BackgroundCopyBytes) {
        text = SelectedText();
    } else {
        JobControl job;
        job.AddTotalLines(lines);
        try {
            RunInBackground(window(), QStringLiteral("ｺﾋﾟｰ中"), job, [&] { text = SelectedText(&job); });
        } catch (const EJobCancelled &) {
            return;
        }
    }
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void TBigView::LoadFromFile(const QString &fileName)
{
    LoadFromFile(QFile::encodeName(fileName));
}

void TBigView::TakeRead(TBvStrings::FileRead &&read)
{
    LoadWith([&] { lines_->Take(std::move(read)); });
}

void TBigView::LoadFromFile(const QByteArray &path)
{
    LoadWith([&] { lines_->LoadFromFile(path, encodingChoice_); });
}

void TBigView::LoadFromStream(QIODevice &stream)
{
    LoadWith([&] { lines_->LoadFromStream(stream); });
}

void TBigView::LoadWith(const std::function<void()> &load)
{
    sourceChangeReported_ = false;
    try {
        load();
    } catch (...) {
        // Keep the rows in step with the lines read so far, so that no row points at a line
        // the store no longer holds.
        AfterLoad();
        throw;
    }
    AfterLoad();
}

void TBigView::AfterLoad()
{
    metrics_.SetEncoding(lines_->Encoding());
    LayoutFrom(0);
    NoRender = true;
    GrowMaxChar(0, RowCount());
    NoRender = true;
    UpdateScrollRanges();
    NoRender = false;
    AfterReplaceAll();
    if (topRow_ != 0) {
        ClearImage();
        SetTopRow(0);
    } else {
        Redraw();
    }
}

void TBigView::SaveToFile(const QString &fileName) const
{
    lines_->SaveToFile(fileName);
}

void TBigView::SaveToStream(QIODevice &stream) const
{
    lines_->SaveToStream(stream);
}
