// SPDX-License-Identifier: GPL-3.0-or-later
// Time to build the main window, with its 256-entry sound list, and show it.

#include "ui/Form1.h"
#include "ui/UserPrompts.h"
#include "QtBenchMain.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// Nothing is asked while the window is built; any prompt would be a fault.
class NoPrompts : public tamboril::ui::UserPrompts {
  public:
    std::optional<QString> openFile(const QString&, const QString&) override { std::abort(); }
    std::optional<QString> saveFile(const QString&, const QString&) override { std::abort(); }
    void message(const QString&, const QString&, tamboril::ui::MessageIcon) override {
        std::abort();
    }
};

void BuildAndShowForm1(benchmark::State& state) {
    NoPrompts prompts;
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
