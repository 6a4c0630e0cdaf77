// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main() of a benchmark that needs widgets: a QApplication on the
// offscreen platform unless QT_QPA_PLATFORM names another, then every
// benchmark asked for.

#include <benchmark/benchmark.h>

#include <QApplication>

namespace tamboril::bench {

inline int RunWithWidgets(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace tamboril::bench
