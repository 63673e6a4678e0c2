// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// PickLevelWords on large pools, against std::shuffle of the same words.
#include "app/FrmMain.h"
#include "commands/Commands.h"
#include "runtime/Random.h"
#include "support/Recorders.h"

#include <benchmark/benchmark.h>
#include <QStringList>
#include <algorithm>
#include <random>
#include <vector>

namespace {

std::vector<QString> words(std::size_t n) {
    std::vector<QString> out;
    out.reserve(n);
    std::mt19937 gen(1);
    for (std::size_t i = 0; i < n; ++i) {
        QString w(std::uniform_int_distribution<int>(4, 5)(gen), Qt::Uninitialized);
        for (auto& c : w) c = QChar(char16_t(u'a' + gen() % 26));
        out.push_back(w);
    }
    return out;
}

void PickLevelWords(benchmark::State& state) {
    const auto pool = words(std::size_t(state.range(0)));
    testsupport::Journal journal;
    testsupport::RecordingServices services{journal};
    ::runtime::MixingRandom random(9);
    app::FrmMain form(services, random);
    commands::Commands commands(form);
    for (const auto& w : pool) form.List2.AddItem(w);
    for (auto _ : state) commands.rules().PickLevelWords(form.List2);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void StdShuffle(benchmark::State& state) {
    auto pool = words(std::size_t(state.range(0)));
    std::mt19937 gen(9);
    for (auto _ : state) {
        std::shuffle(pool.begin(), pool.end(), gen);
        benchmark::DoNotOptimize(pool.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(PickLevelWords)->Arg(1'000'000)->Arg(2'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(StdShuffle)->Arg(1'000'000)->Arg(2'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
