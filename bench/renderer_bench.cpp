// RenderSubtitle on a typical two-line subtitle in the looks a run meets. A whole run has to
// reach 1000 subtitles a second with encoding and writing included, so a render should take
// well under 0.5 ms here. The main window's preview redraws with each change of the look.
#include "render/subtitlerenderer.h"

#include "model/texts.h"
#include "output/dvd1/canvasencoder.h"
#include "output/dvd1/quantiser.h"

#include <benchmark/benchmark.h>
#include <kestrum-gui/colorref.h>

#include <QPainter>

#include <string>

namespace {

using orvo::RenderSettings;

RenderSettings DefaultLook() {
    return {};
}

RenderSettings Aliased() {
    RenderSettings look;
    look.AntiAlias = false;
    return look;
}

RenderSettings Outlined() {
    RenderSettings look;
    look.Outline = 1;
    return look;
}

RenderSettings Boxed() {
    RenderSettings look;
    look.Box = true;
    look.ExtendBlanks = true;
    return look;
}

using LookFn = RenderSettings (*)();

void Render(benchmark::State& state, LookFn look) {
    const RenderSettings settings = look();
    const orvo::SubtitleRenderer renderer(settings);
    QImage canvas = orvo::MakeCanvas(orvo::CanvasOf(settings));
    const std::string text = orvo::texts::kTestText;
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderer.RenderSubtitle(settings, text, canvas));
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(Render, default_look, &DefaultLook)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Render, not_antialiased, &Aliased)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Render, outline, &Outlined)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Render, box_and_doubled_blanks, &Boxed)->Unit(benchmark::kMicrosecond);

// The bitmap of a run's subtitle: only the rows the renderer reports drawn are read, and the
// next subtitle refills only those.
void RenderAndEncode(benchmark::State& state, LookFn look) {
    const RenderSettings settings = look();
    const orvo::SubtitleRenderer renderer(settings);
    QImage canvas = orvo::MakeCanvas(orvo::CanvasOf(settings));
    orvo::CanvasBitmapEncoder encoder(kestrum::ToQColor(settings.BkgColor).rgb());
    const std::string text = orvo::texts::kTestText;
    orvo::CanvasRows drawn = renderer.RenderSubtitle(settings, text, canvas).drawn;
    for (auto _ : state) {
        drawn = renderer.RenderSubtitle(settings, text, canvas, &drawn).drawn;
        benchmark::DoNotOptimize(encoder.Encode(canvas, drawn));
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(RenderAndEncode, default_look, &DefaultLook)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RenderAndEncode, outline, &Outlined)->Unit(benchmark::kMicrosecond);

// What the main window does when the look changes: the test text drawn, then the canvas painted
// into the window, as it is or in the colours the bitmap holds (what the preview shows).
void PreviewRedraw(benchmark::State& state, bool inBitmapColours) {
    const RenderSettings settings = DefaultLook();
    const orvo::SubtitleRenderer renderer(settings);
    QImage canvas = orvo::MakeCanvas(orvo::CanvasOf(settings));
    QImage window(canvas.width() + 24, canvas.height() + 44, QImage::Format_RGB32);
    const std::string text = orvo::texts::kTestText;
    for (auto _ : state) {
        renderer.RenderSubtitle(settings, text, canvas);
        QPainter painter(&window);
        painter.drawImage(QPoint(12, 22),
                          inBitmapColours ? orvo::InStandardColours(canvas) : canvas);
    }
    benchmark::DoNotOptimize(window.constBits());
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(PreviewRedraw, canvas_as_drawn, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PreviewRedraw, in_bitmap_colours, true)->Unit(benchmark::kMicrosecond);

} // namespace
