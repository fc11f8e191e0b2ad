// The stages of SaveCanvasBitmap: capture (BitmapToDib), conversion to 4-bit BI_RLE4
// (ChangeDibFormat), writing (SaveDib), and all three together; and a run's encoder, which
// makes the same bytes from the canvas directly. A whole run has to reach 1000
// subtitles a second with rendering included, so a typical canvas should take well under
// 0.3 ms here.
#include "output/dvd1/bitmapfile.h"
#include "output/dvd1/canvasencoder.h"
#include "output/dvd1/dib.h"
#include "output/dvd1/quantiser.h"

#include "common/testcanvas.h"

#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using orvo::Dib;

// White, two centred lines of antialiased yellow text on a blue band: the default look.
const QImage& Typical() {
    static const QImage canvas = testsupport::TextCanvas(576, 24, true);
    return canvas;
}

// Every pixel a random colour: the worst case.
const QImage& Noise() {
    static const QImage canvas = testsupport::NoiseCanvas(720, 576, 1);
    return canvas;
}

using CanvasFn = const QImage& (*)();

Dib Captured(const QImage& canvas) {
    return orvo::BitmapToDib(&canvas).value();
}

Dib Converted(const QImage& canvas) {
    return orvo::ChangeDibFormat(Captured(canvas), 4, 2).value();
}

void Capture(benchmark::State& state, CanvasFn canvas) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(orvo::BitmapToDib(&canvas()));
    }
    state.SetItemsProcessed(state.iterations());
}

void Convert(benchmark::State& state, CanvasFn canvas) {
    const Dib capture = Captured(canvas());
    for (auto _ : state) {
        benchmark::DoNotOptimize(orvo::ChangeDibFormat(capture, 4, 2));
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["bytes"] = static_cast<double>(Converted(canvas()).size());
}

void Save(benchmark::State& state, CanvasFn canvas) {
    const QTemporaryDir dir;
    const std::string path = dir.filePath("out.bmp").toStdString();
    const Dib dib = Converted(canvas());
    for (auto _ : state) {
        if (orvo::SaveDib(&dib, path).code != orvo::kDibWritten) {
            state.SkipWithError("SaveDib failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void SaveCanvasBitmap(benchmark::State& state, CanvasFn canvas) {
    const QTemporaryDir dir;
    const std::string path = dir.filePath("out.bmp").toStdString();
    for (auto _ : state) {
        if (orvo::SaveCanvasBitmap(&canvas(), path).code != orvo::kDibWritten) {
            state.SkipWithError("SaveCanvasBitmap failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

// A run's way: CanvasBitmapEncoder, the same bytes as capture and conversion. These canvases do
// not come from the renderer, so every row is taken as drawn: an upper bound of a run's cost.
void RunEncoder(benchmark::State& state, CanvasFn canvas) {
    orvo::CanvasBitmapEncoder encoder(canvas().pixel(0, 0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(encoder.Encode(canvas(), {0, canvas().height()}));
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(Capture, typical, &Typical)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Convert, typical, &Typical)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Save, typical, &Typical)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SaveCanvasBitmap, typical, &Typical)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Capture, noise, &Noise)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Convert, noise, &Noise)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Save, noise, &Noise)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SaveCanvasBitmap, noise, &Noise)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RunEncoder, typical, &Typical)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RunEncoder, noise, &Noise)->Unit(benchmark::kMicrosecond);

} // namespace
