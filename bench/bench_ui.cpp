// SPDX-License-Identifier: GPL-3.0-or-later
// Time to build the main window, with its 256-entry sound list, and show it.

#include "ui/Form1.h"
#include "AbortingPrompts.h"
#include "QtBenchMain.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void BuildAndShowForm1(benchmark::State& state) {
    // Nothing is asked while the window is built; any prompt would be a fault.
    AbortingPrompts prompts;
    QTemporaryDir folder;
    for (auto _ : state) {
        tamboril::ui::Form1 form(prompts, folder.path());
        form.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(form.isVisible());
    }
}
BENCHMARK(BuildAndShowForm1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return tamboril::bench::RunWithWidgets(argc, argv);
}
