#pragma once
// Shared set-up of the view tests: a shown view placed by the viewer preset, in the fixed-pitch
// Japanese font, and text builders.
#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QScrollBar>
#include <QString>
#include <QTest>

#include <memory>

#include "bigview/BigView.h"
#include "bigview/ViewPresets.h"
#include "platform/Fonts.h"
#include "lines/PlainStrings.h"
#include "tests/TestSupport.h"

namespace fixture {

// The font of a fixture view (the viewer preset's), for measuring beside it.
inline QFont ViewFont()
{
    return ResolveFont(QStringLiteral("System"), 19, true);
}

// A view of `rows` whole rows (plus a few pixels) and `width` pixels, shown, placed as the viewer
// places its own but wrapping at the window width as the content views do, with `bars`, unless a
// test changes them.
inline std::unique_ptr<TBigView> MakeView(int rows = 10, int width = 400,
                                          TScrollStyle bars = ssVertical)
{
    auto view = std::make_unique<TBigView>();
    ApplyViewerPreset(*view);
    view->SetWrapByte(0);
    view->SetScrollBar(bars);
    // Height is the outer height: rows x LineHeight + a little that holds no whole row.
    int extra = 3;
    if (bars == ssHorizontal || bars == ssBoth)
        extra += view->horizontalScrollBar()->sizeHint().height();
    view->resize(width, rows * view->LineHeight() + extra);
    view->show();
    if (!QTest::qWaitForWindowExposed(view.get()))
        qWarning("view not exposed");
    return view;
}

inline PlainStrings Lines(const QList<QByteArray> &lines)
{
    PlainStrings list;
    for (const QByteArray &l : lines)
        list.Add(l);
    return list;
}

// "L0", "L1", ... one per line.
inline PlainStrings Numbered(int count, const QByteArray &prefix = "L")
{
    PlainStrings list;
    for (int i = 0; i < count; ++i)
        list.Add(prefix + QByteArray::number(i));
    return list;
}

inline QByteArray Kanji(int count)
{
    return testsupport::Sjis(QString(count, QChar(0x6F22)));  // 漢, two bytes each
}

}  // namespace fixture
