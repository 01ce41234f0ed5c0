#include "allocation_counter.h"
#include "bare_raster.h"
#include "cpu_state.h"
#include "form1.h"
#include "form1_handlers.h"
#include "golden_avenue.h"
#include "mountains_and_water.h"
#include "painter_surface.h"
#include "recording_surface.h"
#include "surface.h"
#include "surface_widget.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>

// Each picture three ways: its click handler on the window's own layer with
// presenting, the same loops on a bare raster (what the pixels cost at the
// least), and on QPainter::drawPoint (the usual way); and the click at a pace.

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

// A maximized window on a common desktop.
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 1024;
// QPainter paints one PSet in this many; see PainterSurface.
constexpr int kPaintOneIn = 50;

struct MountainsAndWater {
    static constexpr const char* kButton = "CmdGsls";
    template <DrawingSurface Target> static void paint(Target& surface) { CmdGsls_Click(surface); }
};

struct GoldenAvenue {
    static constexpr const char* kButton = "CmdJgdd";
    template <DrawingSurface Target> static void paint(Target& surface) { CmdJgdd_Click(surface); }
};

template <typename Picture> std::int64_t psetsPerRun()
{
    RecordingSurface recording;
    Picture::paint(recording);
    return std::int64_t(recording.count(RecordedCall::Kind::PSet));
}

// Passes presents on to the window, counts them and times them: how far
// apart they come, and how much of the run they take.
class TimingPresenter : public Presenter {
public:
    explicit TimingPresenter(Presenter* window)
        : m_window(window)
    {
    }

    void present(std::span<const PixelRect> deviceRects) override
    {
        ++m_count;
        const Clock::time_point start = Clock::now();
        m_longestGap = std::max(m_longestGap, Milliseconds(start - m_lastEnd));
        m_window->present(deviceRects);
        m_lastEnd = Clock::now();
        m_presenting += m_lastEnd - start;
    }

    // Starts the first gap now.
    void restart() { m_lastEnd = Clock::now(); }

    int count() const { return m_count; }
    Milliseconds longestGap() const { return m_longestGap; }
    Milliseconds presenting() const { return m_presenting; }

private:
    Presenter* m_window;
    Clock::time_point m_lastEnd = Clock::now();
    Milliseconds m_longestGap { 0 };
    Milliseconds m_presenting { 0 };
    int m_count = 0;
};

// The widget has no meta-object of its own, so findChild cannot name it.
Presenter* windowPresenter(Form1& form)
{
    for (QWidget* child : form.findChildren<QWidget*>()) {
        if (auto* surfaceWidget = dynamic_cast<SurfaceWidget*>(child))
            return surfaceWidget;
    }
    return nullptr;
}

// The window at the benchmarks' size, its presents timed on the way to it.
struct TimedWindow {
    Form1 form;
    Presenter* surfaceWidget = windowPresenter(form);
    TimingPresenter presenter { surfaceWidget };

    TimedWindow()
    {
        form.resize(kWindowWidth, kWindowHeight);
        form.show();
        QApplication::processEvents();
        form.surface().setPresenter(&presenter);
    }
    ~TimedWindow() { form.surface().setPresenter(surfaceWidget); }
};

enum class VectorState {
    Clear,
    // As QApplication's start-up leaves it, until something clears it.
    UpperHalvesInUse,
};

template <typename Picture, VectorState vectorState> void onWindow(benchmark::State& state)
{
    TimedWindow window;
    Surface& surface = window.form.surface();
    TimingPresenter& presenter = window.presenter;

    const std::int64_t allocationsBefore = allocationCount();
    Milliseconds running { 0 };
    clearUpperVectorState();
    presenter.restart();
    for (auto _ : state) {
        if constexpr (vectorState == VectorState::UpperHalvesInUse)
            dirtyUpperVectorState();
        const Clock::time_point start = Clock::now();
        Picture::paint(surface);
        surface.present();
        running += Clock::now() - start;
    }
    const int presents = presenter.count();
    const double runs = double(state.iterations());
    state.SetItemsProcessed(state.iterations() * psetsPerRun<Picture>());
    state.counters["presentsPerRun"] = presents / runs;
    state.counters["msPerPresent"] = presents > 0 ? running.count() / presents : 0.0;
    state.counters["longestGapMs"] = presenter.longestGap().count();
    state.counters["presentingShare"] = running.count() > 0 ? presenter.presenting() / running : 0.0;
    state.counters["allocationsPerRun"] = double(allocationCount() - allocationsBefore) / runs;
    state.counters["layerWidth"] = surface.size().width;
    state.counters["layerHeight"] = surface.size().height;
}

// How long a click really takes at a pace of range(0) points a second, as
// the window runs it, beside the least its points take at that pace.
template <typename Picture> void onWindowAtPace(benchmark::State& state)
{
    TimedWindow window;
    Surface& surface = window.form.surface();
    TimingPresenter& presenter = window.presenter;
    PacingCheckpoint pacing(state.range(0));

    clearUpperVectorState();
    presenter.restart();
    for (auto _ : state)
        runClickHandler(Picture::kButton, surface, &pacing);
    const double runs = double(state.iterations());
    state.SetItemsProcessed(state.iterations() * psetsPerRun<Picture>());
    state.counters["leastMs"] = 1000.0 * double(psetsPerRun<Picture>()) / double(state.range(0));
    state.counters["presentsPerRun"] = presenter.count() / runs;
    state.counters["longestGapMs"] = presenter.longestGap().count();
}

// Kept out of line, so that the run's code does not depend on the benchmark
// loop around it.
template <typename Picture> [[gnu::noinline]] void paintOnBareRaster(BareRaster& raster) { Picture::paint(raster); }

template <typename Picture> void onBareRaster(benchmark::State& state)
{
    BareRaster raster(kWindowWidth, kWindowHeight);
    const std::int64_t allocationsBefore = allocationCount();
    clearUpperVectorState();
    for (auto _ : state) {
        paintOnBareRaster<Picture>(raster);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * psetsPerRun<Picture>());
    state.counters["allocationsPerRun"] = double(allocationCount() - allocationsBefore) / double(state.iterations());

    // Not an assertion: a non-zero count would mean the floor does other
    // work than the layer, and the comparison is void.
    Surface reference({ kWindowWidth, kWindowHeight }, 1.0);
    Picture::paint(reference);
    const std::uint32_t* layer = reference.pixels();
    std::int64_t differing = 0;
    for (std::size_t i = 0; i < raster.pixels().size(); ++i)
        differing += layer[i] != raster.pixels()[i];
    state.counters["differingPixels"] = double(differing);
}

// Scaling the whole sampled run by kPaintOneIn would count the picture's own
// arithmetic that many times over; only the time spent inside the painting
// calls is scaled, which estimates a run in which every PSet paints.
template <typename Picture> void onQPainter(benchmark::State& state)
{
    PainterSurface painter(kWindowWidth, kWindowHeight, kPaintOneIn);
    const std::int64_t allocationsBefore = allocationCount();
    Milliseconds sampledRuns { 0 };
    clearUpperVectorState();
    for (auto _ : state) {
        const std::chrono::nanoseconds paintingBefore = painter.paintingTime();
        const Clock::time_point start = Clock::now();
        Picture::paint(painter);
        const std::chrono::duration<double> run = Clock::now() - start;
        const std::chrono::duration<double> painting = painter.paintingTime() - paintingBefore;
        state.SetIterationTime(run.count() + (kPaintOneIn - 1) * painting.count());
        sampledRuns += run;
    }
    painter.finish();
    state.SetItemsProcessed(state.iterations() * psetsPerRun<Picture>());
    state.counters["paintOneIn"] = kPaintOneIn;
    // The cruder estimate, for comparison: the whole sampled run scaled up.
    state.counters["wholeRunScaledMs"] = kPaintOneIn * sampledRuns.count() / double(state.iterations());
    state.counters["nsPerPaintedPoint"]
        = painter.paintedPoints() > 0 ? double(painter.paintingTime().count()) / double(painter.paintedPoints()) : 0.0;
    state.counters["sampledAllocationsPerRun"]
        = double(allocationCount() - allocationsBefore) / double(state.iterations());
}

} // namespace

BENCHMARK(onWindow<MountainsAndWater, VectorState::Clear>)
    ->Name("CmdGsls_Click/window")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(onWindow<MountainsAndWater, VectorState::UpperHalvesInUse>)
    ->Name("CmdGsls_Click/windowAfterWideVectorCode")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// At the desktop entry's pace.
BENCHMARK(onWindowAtPace<MountainsAndWater>)
    ->Name("CmdGsls_Click/windowAtPace")
    ->Arg(600000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(onBareRaster<MountainsAndWater>)
    ->Name("CmdGsls_Click/bareRaster")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(onQPainter<MountainsAndWater>)
    ->Name("CmdGsls_Click/qpainterScaledFrom1In50")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(onWindow<GoldenAvenue, VectorState::Clear>)
    ->Name("CmdJgdd_Click/window")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(onWindow<GoldenAvenue, VectorState::UpperHalvesInUse>)
    ->Name("CmdJgdd_Click/windowAfterWideVectorCode")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(onWindowAtPace<GoldenAvenue>)
    ->Name("CmdJgdd_Click/windowAtPace")
    ->Arg(600000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(onBareRaster<GoldenAvenue>)->Name("CmdJgdd_Click/bareRaster")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(onQPainter<GoldenAvenue>)
    ->Name("CmdJgdd_Click/qpainterScaledFrom1In50")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
