#include "bare_raster.h"
#include "cpu_state.h"
#include "mountains_and_water.h"
#include "palette.h"
#include "recording_surface.h"
#include "surface.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

// PSet on the real layer against plain stores of the same dots into a bare
// buffer, both fed one fixed run of points, at the pen widths the pictures
// use.

namespace {

// A maximized window on a common desktop.
constexpr int kLayerWidth = 1280;
constexpr int kLayerHeight = 1024;
constexpr int kMountainPassPoints = 50'000;

// The points of the first colour pass of the mountain line, the pictures'
// longest run of points along a curve.
const std::vector<TwipPoint>& mountainPoints()
{
    static const std::vector<TwipPoint> points = [] {
        RecordingSurface recording;
        CmdGsls_Click(recording);
        std::vector<TwipPoint> firstPass;
        for (const RecordedCall& call : recording.calls) {
            if (call.kind == RecordedCall::Kind::PSet && call.width == 3 && firstPass.size() < kMountainPassPoints)
                firstPass.push_back(call.point);
        }
        return firstPass;
    }();
    return points;
}

const Color kPointColor = QBColor(int(PaletteIndex::LightYellow));

// Both loops pass the status on exactly as the pictures do, so the surface
// pays for its checks and the bare loop has none to pay for.
template <DrawingSurface Target> void putPoints(Target& surface, const std::vector<TwipPoint>& points)
{
    for (const TwipPoint point : points)
        raiseOnFailure(surface.PSet(point, kPointColor));
}

void psetOnLayer(benchmark::State& state)
{
    const std::vector<TwipPoint>& points = mountainPoints();
    const int penWidth = int(state.range(0));
    Surface surface({ kLayerWidth, kLayerHeight }, 1.0);
    raiseOnFailure(surface.DrawWidth(penWidth));
    clearUpperVectorState();
    for (auto _ : state) {
        putPoints(surface, points);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(points.size()));

    // Not an assertion: a non-zero count would mean the two loops do not
    // write the same pixels, and the comparison is void.
    BareRaster raster(kLayerWidth, kLayerHeight);
    raiseOnFailure(raster.DrawWidth(penWidth));
    putPoints(raster, points);
    const std::uint32_t* layer = surface.pixels();
    std::int64_t differing = 0;
    for (std::size_t i = 0; i < raster.pixels().size(); ++i)
        differing += layer[i] != raster.pixels()[i];
    state.counters["differingPixels"] = double(differing);
}

void plainStores(benchmark::State& state)
{
    const std::vector<TwipPoint>& points = mountainPoints();
    BareRaster raster(kLayerWidth, kLayerHeight);
    raiseOnFailure(raster.DrawWidth(int(state.range(0))));
    clearUpperVectorState();
    for (auto _ : state) {
        putPoints(raster, points);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(points.size()));
}

// Registered width by width, so each pair of rows sits together.
[[maybe_unused]] const bool registered = [] {
    for (const int penWidth : { 1, 2, 3 }) {
        benchmark::RegisterBenchmark("PSet/layer", psetOnLayer)->ArgName("penWidth")->Arg(penWidth);
        benchmark::RegisterBenchmark("PSet/plainStores", plainStores)->ArgName("penWidth")->Arg(penWidth);
    }
    return true;
}();

} // namespace
