#pragma once
// The view the view benchmarks measure: a shown window holding a view placed as the viewer
// window places its own, the time from a change to the view's next paint, and the figures a
// child process hands back to its parent.
#include <QApplication>
#include <QFile>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>

#include <functional>
#include <stdexcept>
#include <type_traits>

#include "bench/BenchSupport.h"
#include "bigview/BigView.h"
#include "bigview/BigViewProbe.h"
#include "bigview/ViewPresets.h"

namespace bench {

struct ViewerWindow {
    QWidget window;
    TBigView *view = nullptr;
    ViewerWindow(int width, int height)
    {
        window.resize(width, height);
        auto *layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        view = new TBigView(&window);
        layout->addWidget(view);
        ApplyViewerPreset(*view);
    }
    void Show()
    {
        window.show();
        QApplication::processEvents();
    }
};

// Runs `change` and waits until the view has painted the result.
inline double TimeToPaint(TBigView &view, const std::function<void()> &change)
{
    const qint64 painted = Probe(view).PaintCount();
    return TimeCall([&] {
        change();
        while (Probe(view).PaintCount() == painted)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
    });
}

// A child's figures travel back to the parent through a small file.
template <typename Figures>
void WriteFigures(const QString &path, const Figures &f)
{
    static_assert(std::is_trivially_copyable_v<Figures>);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write figures");
    out.write(reinterpret_cast<const char *>(&f), sizeof f);
}

template <typename Figures>
Figures ReadFigures(const QString &path)
{
    Figures f;
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly) || in.read(reinterpret_cast<char *>(&f), sizeof f) != sizeof f)
        throw std::runtime_error("no figures from the child");
    return f;
}

}  // namespace bench
