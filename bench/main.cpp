#include "cpu_state.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

// The window benchmarks need a QApplication; the offscreen platform keeps
// them independent of whatever display the shell has, with the tests' screen,
// on which a maximized window fits.
int main(int argc, char* argv[])
{
    setenv("QT_QPA_PLATFORM", "offscreen:configfile=" TUXING_OFFSCREEN_SCREENS, 1);
    QApplication application(argc, argv);
    clearUpperVectorState();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
