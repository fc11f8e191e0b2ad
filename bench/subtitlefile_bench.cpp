// Loading a film's subtitle file: a 2000-event SRT (about the length of a feature film) and the
// same subtitles as a tab-separated list, from memory, so that only the readers are timed. A
// user waits for this when pressing Load..., so it should stay well under a second.
#include "input/subtitleinput.h"
#include "time/framerate.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

constexpr int kEvents = 2000;

std::string Time(int milliseconds, char separator) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%02d:%02d:%02d%c%03d", milliseconds / 3600000,
                  milliseconds / 60000 % 60, milliseconds / 1000 % 60, separator,
                  milliseconds % 1000);
    return text.data();
}

// Two lines each, one with markup, every three seconds.
std::string Srt() {
    std::string srt;
    for (int n = 1; n <= kEvents; ++n) {
        srt += std::to_string(n) + "\r\n" + Time(n * 3000, ',') + " --> " +
               Time(n * 3000 + 2000, ',') + "\r\n<i>Subtitle " + std::to_string(n) +
               "</i> of the film,\r\nwith a second line.\r\n\r\n";
    }
    return srt;
}

void LoadSrt(benchmark::State& state) {
    const std::string srt = Srt();
    const orvo::FrameRate rate = orvo::DefaultFrameRate(true);
    orvo::SubtitleStore store;
    for (auto _ : state) {
        benchmark::DoNotOptimize(orvo::ReadSubtitles(srt, "film.srt", rate, store));
    }
    if (store.size() != kEvents) {
        state.SkipWithError("the SRT did not load whole");
    }
    state.SetItemsProcessed(state.iterations() * kEvents);
}

void LoadList(benchmark::State& state) {
    const std::string srt = Srt();
    const orvo::FrameRate rate = orvo::DefaultFrameRate(true);
    orvo::SubtitleStore store;
    (void)orvo::ReadSubtitles(srt, "film.srt", rate, store);
    const std::string list = orvo::ListFileText(store);
    for (auto _ : state) {
        benchmark::DoNotOptimize(orvo::ReadSubtitles(list, "film.txt", rate, store));
    }
    state.SetItemsProcessed(state.iterations() * kEvents);
}

} // namespace

BENCHMARK(LoadSrt)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadList)->Unit(benchmark::kMillisecond);
