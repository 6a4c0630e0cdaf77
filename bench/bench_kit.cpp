// SPDX-License-Identifier: GPL-3.0-or-later
// Timings of the kit library's work: checksum, title, load, save and
// splitting a full bulk dump.

#include "kit/BulkSplit.h"
#include "kit/KitFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tamboril;

namespace {

KitData sampleKit() {
    KitData kit{};
    for (std::size_t i = 0; i < kit.size(); ++i) {
        kit[i] = static_cast<std::uint8_t>((i * 7 + 3) % 128);
    }
    kit[0] = SysExStart;
    kit[EndIndex] = SysExEnd;
    return kit;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::abort();
    }
}

QByteArray kitBytes(const KitData& kit) {
    return QByteArray(reinterpret_cast<const char*>(kit.data()), qsizetype(kit.size()));
}

void Checksum(benchmark::State& state) {
    KitData kit = sampleKit();
    for (auto _ : state) {
        StoreChecksum(kit, FileChecksumFirst);
        benchmark::DoNotOptimize(kit);
    }
}
BENCHMARK(Checksum);

void Title(benchmark::State& state) {
    const KitData kit = sampleKit();
    for (auto _ : state) {
        benchmark::DoNotOptimize(KitTitle(kit));
    }
}
BENCHMARK(Title);

void Load(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("kit.syx");
    writeFile(path, kitBytes(sampleKit()));
    KitData kit{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(Loadfile(path, kit));
    }
}
BENCHMARK(Load)->Unit(benchmark::kMicrosecond);

void Save(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("kit.syx");
    KitData kit = sampleKit();
    for (auto _ : state) {
        StoreChecksum(kit, FileChecksumFirst);
        if (TrueSave(path, kit)) {
            state.SkipWithError("save failed");
        }
    }
}
BENCHMARK(Save)->Unit(benchmark::kMillisecond);

void SplitBulk(benchmark::State& state) {
    QTemporaryDir in, out;
    QByteArray bulk;
    for (int k = 0; k < BulkKitCount; ++k) {
        bulk += kitBytes(sampleKit());
    }
    writeFile(in.filePath("bulk.syx"), bulk);
    for (auto _ : state) {
        if (!SplitBulkFile(in.filePath("bulk.syx"), out.path()).ok()) {
            state.SkipWithError("split failed");
        }
    }
}
BENCHMARK(SplitBulk)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
