// SPDX-License-Identifier: GPL-3.0-or-later
// The Collection view at the size of a large collection: for each key typed
// into its search line, the time until the first results are in the table
// and drawn (the table's rows painted), 99th percentile and median of 200
// keys. Needs the collection bench_collection leaves behind:
//   bench_collection FOLDER && bench_collection_view FOLDER
// Exits with 1 when the 99th percentile is over 16 ms.

#include "library/CollectionLink.h"
#include "library/CollectionModels.h"
#include "library/CollectionService.h"
#include "library/CollectionView.h"
#include "library/Library.h"
#include "library/LibraryStartup.h"
#include "library/LibraryWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tamboril::library;

namespace {

const char* const words[] = {"jazz", "rock", "808", "909", "techno", "house", "dub", "hip",
                             "brush", "lofi", "trap", "funk", "soul", "disco", "acid", "kit"};

// Types `word` key by key into an empty search line; the time of each key
// until its answer's first rows are painted.
std::vector<double> TypeWord(CollectionLink& link, const char* word) {
    std::vector<double> times;
    QLineEdit* search = link.view().searchField();
    search->clear();
    int answered = 0;
    QElapsedTimer timer;
    const auto connection = QObject::connect(
        &link.service(), &CollectionService::found, &link, [&](const FoundKits& found) {
            if (found.generation > answered) {
                answered = found.generation;
                link.view().foundTable()->viewport()->repaint();
                times.push_back(double(timer.nsecsElapsed()) / 1e6);
            }
        });
    for (const char* key = word; *key != 0; ++key) {
        const std::size_t before = times.size();
        timer.start();
        QTest::keyClick(search, *key);
        if (!QTest::qWaitFor([&] { return times.size() > before; }, 5000)) {
            std::fprintf(stderr, "no answer to a key within 5 s\n");
        }
    }
    QObject::disconnect(connection);
    return times;
}

double Percentile(std::vector<double> times, double share) {
    std::sort(times.begin(), times.end());
    return times[std::min(times.size() - 1, std::size_t(share * double(times.size())))];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER (where bench_collection left its collection)\n", argv[0]);
        return 2;
    }
    qputenv("XDG_DATA_HOME", QByteArray(argv[1]) + "/data");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("bench.ini")), QSettings::IniFormat);
    ConsolePrompts prompts;
    Library library(settings);
    LibraryWindow window(library, prompts, settings, QStringLiteral("/bin/true"));
    window.resize(1100, 760);
    window.show();
    auto* link = window.findChild<CollectionLink*>(QStringLiteral("collectionLink"));
    if (!QTest::qWaitFor([&] { return CollectionSettled(window); }, 60000) || !link->service().isOpen()) {
        std::fprintf(stderr, "the collection did not open\n");
        return 2;
    }
    std::vector<double> times;
    for (std::size_t round = 0; times.size() < 200; ++round) {
        const std::vector<double> word = TypeWord(*link, words[round % std::size(words)]);
        times.insert(times.end(), word.begin(), word.end());
    }
    const double p99 = Percentile(times, 0.99);
    std::printf("| first results on screen after a key (p99 of %zu keys; median %.1f ms) | %.1f ms | "
                "under 16 ms: %s |\n",
                times.size(), Percentile(times, 0.5), p99, p99 < 16 ? "met" : "missed");
    return p99 < 16 ? 0 : 1;
}
