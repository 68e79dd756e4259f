// Google Benchmark of the plot: the axes alone and a full plot on the shared raster, as the
// front-ends draw them.
#include "plot/axes.h"
#include "plot/light_curve.h"
#include "plot/plane.h"
#include "plot/text_to_number.h"
#include "qt/plane_widget.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

using namespace lumivar;

namespace {

// Samples with x > 0 at the designed width of 11175 twips.
constexpr int kDesignedSamples = 10586;

std::unique_ptr<PlaneWidget> designedPlane()
{
    auto plane = std::make_unique<PlaneWidget>();
    plane->resize(745, 545);
    plane->clear();
    plane->setScale(kPlaneUpperLeft, kPlaneLowerRight);
    return plane;
}

void BM_AxesOnPlane(benchmark::State& state)
{
    const auto plane = designedPlane();
    PlotCursor cursor;
    for (auto _ : state) {
        DisegnaAssi(*plane, cursor);
        benchmark::DoNotOptimize(plane->image().constBits());
    }
}
BENCHMARK(BM_AxesOnPlane)->Unit(benchmark::kMicrosecond);

// What any plotter must do at least: one sine and one pixel store per sample.
void BM_BaselineSineAndPixelStores(benchmark::State& state)
{
    const auto plane = designedPlane();
    QImage image = plane->image().copy();
    const float step = 19.0F / 11175.0F;
    for (auto _ : state) {
        float x = 0.0014F;
        for (int i = 0; i < kDesignedSamples; ++i, x += step) {
            const double y = 5.0 * std::sin(double{x}) + 0.0;
            const int column = static_cast<int>((x + 1.0F) / 19.0F * 741.0F);
            const int row = static_cast<int>((18.0 - y) / 36.0 * 541.0);
            reinterpret_cast<QRgb*>(image.scanLine(row))[column] = qRgb(255, 0, 0);
        }
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_BaselineSineAndPixelStores)->Unit(benchmark::kMicrosecond);

void runPlots(benchmark::State& state, const CurveInput& input)
{
    const auto plane = designedPlane();
    PlotCursor cursor;
    for (auto _ : state) {
        PlotOutcome outcome = plotCurves(*plane, cursor, input);
        benchmark::DoNotOptimize(outcome);
        benchmark::DoNotOptimize(plane->image().constBits());
    }
}

void BM_FullPlot(benchmark::State& state)
{
    runPlots(state, {true, {"0", "1", "5", "0"}});
}
BENCHMARK(BM_FullPlot)->Unit(benchmark::kMicrosecond);

void BM_FullPlotWithMegabyteText(benchmark::State& state)
{
    const std::string amplitude = std::string(1'000'000, ' ') + "5";
    runPlots(state, {true, {"0", "1", amplitude, "0"}});
}
BENCHMARK(BM_FullPlotWithMegabyteText)->Unit(benchmark::kMicrosecond);

void BM_TextConversionMegabyte(benchmark::State& state)
{
    const std::string digits = std::string(500'000, '1') + std::string(500'000, '\n');
    const std::string blanks = std::string(999'999, ' ') + "7";
    const std::string& text = state.range(0) == 0 ? digits : blanks;
    for (auto _ : state) {
        benchmark::DoNotOptimize(textToNumber(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_TextConversionMegabyte)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
