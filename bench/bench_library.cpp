// SPDX-License-Identifier: GPL-3.0-or-later
// The Library: opening banks (a bulk file, a folder of the 64 split files, a
// folder that holds 1,000 kit files), a move of a kit with its undo, a Save
// (one atomic write), and starting the window against a bare QMainWindow.

#include "bank/Bank.h"
#include "bank/BankDocument.h"
#include "bank/BankEdits.h"
#include "kit/BulkSplit.h"
#include "kit/KitFile.h"
#include "library/LibraryStartup.h"
#include "library/Library.h"
#include "library/LibraryWindow.h"
#include "QtBenchMain.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QUndoStack>

#include <benchmark/benchmark.h>

namespace {

std::vector<tamboril::KitData> sampleKits() {
    std::vector<tamboril::KitData> kits(tamboril::BulkKitCount);
    for (std::size_t k = 0; k < kits.size(); ++k) {
        kits[k].fill(static_cast<std::uint8_t>(k));
        kits[k][0] = tamboril::SysExStart;
        kits[k][tamboril::EndIndex] = tamboril::SysExEnd;
    }
    return kits;
}

// A folder of the 64 split files and `extra` other kit files beside them.
void makeFolder(const QString& folder, int extra) {
    const std::vector<tamboril::KitData> kits = sampleKits();
    tamboril::WriteSplitFiles(kits, folder);
    for (int n = 0; n < extra; ++n) {
        tamboril::TrueSave(QStringLiteral("%1/other %2.syx").arg(folder).arg(n), kits[0]);
    }
}

void OpenBulkBank(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("bulk.syx");
    tamboril::ReplaceFile(path, tamboril::BulkBytes(sampleKits()));
    for (auto _ : state) {
        benchmark::DoNotOptimize(tamboril::OpenBank(path).bank);
    }
}
BENCHMARK(OpenBulkBank)->Unit(benchmark::kMicrosecond);

void OpenFolderBank(benchmark::State& state) {
    QTemporaryDir dir;
    makeFolder(dir.path(), static_cast<int>(state.range(0)) - tamboril::BulkKitCount);
    for (auto _ : state) {
        const tamboril::BankOpenOutcome opened = tamboril::OpenBank(dir.path());
        if (!opened.bank) {
            state.SkipWithError("the folder did not open");
        }
    }
}
BENCHMARK(OpenFolderBank)->Arg(64)->Arg(1000)->Unit(benchmark::kMillisecond);

void MoveKitWithUndo(benchmark::State& state) {
    tamboril::BankDocument doc(tamboril::Bank{tamboril::BankSource::BulkFile, "", sampleKits()});
    tamboril::BankEdits edits;
    for (auto _ : state) {
        edits.move(doc, 0, 63);
        doc.undoStack()->undo();
    }
}
BENCHMARK(MoveKitWithUndo)->Unit(benchmark::kMicrosecond);

void SaveBulkBank(benchmark::State& state) {
    QTemporaryDir dir;
    tamboril::BankDocument doc(
        tamboril::Bank{tamboril::BankSource::BulkFile, dir.filePath("bulk.syx"), sampleKits()});
    for (auto _ : state) {
        if (!doc.save().ok()) {
            state.SkipWithError("the save failed");
        }
    }
}
BENCHMARK(SaveBulkBank)->Unit(benchmark::kMillisecond);

void StartBareMainWindow(benchmark::State& state) {
    for (auto _ : state) {
        QMainWindow window;
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.isVisible());
    }
}
BENCHMARK(StartBareMainWindow)->Unit(benchmark::kMillisecond);

void StartLibraryWindow(benchmark::State& state) {
    QTemporaryDir dir;
    QSettings settings(dir.filePath("library.ini"), QSettings::IniFormat);
    tamboril::library::ConsolePrompts prompts;
    for (auto _ : state) {
        tamboril::library::Library banks(settings);
        tamboril::library::LibraryWindow window(banks, prompts, settings, "true");
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.isVisible());
    }
}
BENCHMARK(StartLibraryWindow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return tamboril::bench::RunWithWidgets(argc, argv);
}
