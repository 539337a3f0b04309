// Rows laid out for a job: its looks at the stop end a long layout and leave no rows, which lay
// out again afterwards as if nothing had happened; metrics made on a worker from an unshared copy
// of the font measure as the window thread's do.
#include <QtTest>

#include <thread>

#include "bigview/rules/BvRows.h"
#include "bigview/rules/BvText.h"
#include "lines/JobControl.h"
#include "lines/TBvStrings.h"

namespace {
constexpr int LineTotal = 20000;

void Fill(TBvStrings &lines)
{
    for (int i = 0; i < LineTotal; ++i)
        lines.Add(QByteArray("line ") + QByteArray::number(i).rightJustified(6, '0'));
}

int FourBytes(QByteArrayView)
{
    return 4;
}

QList<TBvRow> Rows(const TBvRows &rows)
{
    QList<TBvRow> out;
    rows.Walk(0, rows.Count(), [&out](int, const TBvRow &r) {
        out << r;
        return true;
    });
    return out;
}

bool Same(const QList<TBvRow> &a, const QList<TBvRow> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].Line != b[i].Line || a[i].Start != b[i].Start || a[i].Len != b[i].Len || a[i].Sub != b[i].Sub ||
            a[i].Last != b[i].Last)
            return false;
    return true;
}
}  // namespace

class TestLayoutJob : public QObject {
    Q_OBJECT
private slots:
    void stopMidwayLeavesNoRowsThatLayOutAgain()
    {
        TBvStrings lines;
        Fill(lines);
        TBvRows expected;
        expected.LayoutFrom(lines, 0, true, 4, FourBytes);

        for (const int wrapByte : {0, 4}) {
            // Rows of an earlier layout are there when the stop comes.
            TBvRows rows;
            rows.LayoutFrom(lines, 0, true, 5, FourBytes);
            JobControl job;
            int measured = 0;
            const auto stopAt5000 = [&](QByteArrayView) {
                if (++measured == 5000)
                    job.Cancel();
                return 4;
            };
            if (wrapByte > 0)
                job.Cancel();  // at a byte count nothing is measured: stopped before the start
            QVERIFY_THROWS_EXCEPTION(EJobCancelled, rows.LayoutFrom(lines, 0, true, wrapByte, stopAt5000, &job));
            if (wrapByte == 0)
                QVERIFY2(measured < 5000 + 4096 + 1, "the stop is seen within a few thousand lines");
            QCOMPARE(job.TotalLines(), qint64(LineTotal));
            QVERIFY(job.Lines() > 0 && job.Lines() < LineTotal);
            QCOMPARE(rows.Count(), 0);
            QCOMPARE(rows.RowToLine(0), -1);
            QCOMPARE(rows.LineToRow(0), 0);

            rows.LayoutFrom(lines, 0, true, 4, FourBytes);
            QVERIFY(Same(Rows(rows), Rows(expected)));
        }
    }

    // A layout the user lets run gives the rows a layout without a job gives, and counts every
    // line it went through as a whole.
    void aJobChangesNoRow()
    {
        TBvStrings lines;
        Fill(lines);
        lines.Put(7, QByteArray(70000, 'x'));
        for (const int wrapByte : {0, 3, 40}) {
            TBvRows plain, withJob;
            plain.LayoutFrom(lines, 0, true, wrapByte, FourBytes);
            JobControl job;
            withJob.LayoutFrom(lines, 0, true, wrapByte, FourBytes, &job);
            QVERIFY(Same(Rows(withJob), Rows(plain)));
            QCOMPARE(job.TotalLines(), qint64(LineTotal));
            QVERIFY(job.Lines() <= LineTotal);
        }
    }

    void workerMetricsMeasureAsTheWindowThreads()
    {
        QFont font;
        font.setPixelSize(19);
        const TBvMetrics here(font);
        const QFont own = TBvMetrics::UnsharedFont(font);
        QVERIFY(!own.isCopyOf(font));
        QCOMPARE(own, font);
        QCOMPARE(own.resolveMask(), font.resolveMask());

        // Single bytes, a tab, a double-byte pair, a lone lead byte and a control byte.
        const QByteArray text = QByteArray("abc\tW") + "\x82\xa0" + "x\x83" + '\0' + "end";
        qint64 there = -1, thereAll = -1;
        std::thread worker([&] {
            TBvMetrics metrics(own);
            metrics.SetTabDistance(here.TabDistance());
            there = metrics.Width(text);
            thereAll = metrics.AdvanceToX(text, {}, 1 << 30).x;
        });
        worker.join();
        QCOMPARE(there, here.Width(text));
        QCOMPARE(thereAll, here.AdvanceToX(text, {}, 1 << 30).x);
    }
};

QTEST_MAIN(TestLayoutJob)
#include "tst_layout_job.moc"
