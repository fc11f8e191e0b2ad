// RenderSubtitle on a typical two-line subtitle in the looks a run meets. A whole run has to
// reach 1000 subtitles a second with encoding and writing included, so a render should take
// well under 0.5 ms here.
#include "subtitlerenderer.h"

#include "texts.h"

#include <benchmark/benchmark.h>

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
    QImage canvas = orvo::MakeCanvas(settings.PAL);
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

} // namespace
