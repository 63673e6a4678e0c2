// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a word file into the six pools, as start-up does. The file is named by
// ORTHOVANE_BENCH_WORDS (scripts/bench makes one of a million words).
#include "app/FrmMain.h"
#include "runtime/Random.h"
#include "support/Recorders.h"
#include "wordstore/Loader.h"

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

void LoadWords(benchmark::State& state) {
    const char* path = std::getenv("ORTHOVANE_BENCH_WORDS");
    if (!path) {
        state.SkipWithError("ORTHOVANE_BENCH_WORDS names no word file");
        return;
    }
    testsupport::Journal journal;
    testsupport::RecordingServices services{journal};
    ::runtime::MixingRandom random(1);
    qsizetype words = 0;
    for (auto _ : state) {
        // A new window each time, as each start of the program has; building it is not timed.
        state.PauseTiming();
        auto form = std::make_unique<app::FrmMain>(services, random);
        state.ResumeTiming();
        if (wordstore::loadWords(*form, QString::fromLocal8Bit(path)) != 0) {
            state.SkipWithError("the word file could not be read");
            return;
        }
        state.PauseTiming();
        words = 0;
        for (int level = 1; level <= 6; ++level) words += form->Pool(level).ListCount();
        form.reset();
        state.ResumeTiming();
    }
    state.counters["pooled_words"] = double(words);
}

}  // namespace

BENCHMARK(LoadWords)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
