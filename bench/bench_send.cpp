// SPDX-License-Identifier: GPL-3.0-or-later
// One whole Send from the main window through a JACK server: transmission
// checksum, scratch file written and read back, port opened, the long message
// handed over and confirmed delivered, port closed. Run it with a JACK server
// up (scripts/bench starts one with the dummy driver).

#include "ui/Form1.h"
#include "kit/KitFile.h"
#include "ui/MidDev.h"
#include "midi/RtMidiOutput.h"
#include "AbortingPrompts.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QThread>

#include <RtMidi.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>

using namespace tamboril;

namespace {

// Any message during a send is a failure the benchmark must not hide; the
// kit to send is the answer to the open dialog.
class FailOnMessage : public AbortingPrompts {
  public:
    QString kitFile;
    std::optional<QString> openFile(const QString&, const QString&) override { return kitFile; }
    std::optional<QString> saveFileAsTypedNoConfirm(const QString&, const QString&) override {
        return {};
    }
    void message(const QString&, const QString& text, Severity) override {
        std::fprintf(stderr, "message during send: %s\n", qPrintable(text));
        std::abort();
    }
};

std::atomic<int> received{0};

void onMessage(double, std::vector<unsigned char>* message, void*) {
    if (!message->empty() && message->front() == 0xF0) {
        received.fetch_add(1);
    }
}

void WholeSend(benchmark::State& state) {
    RtMidiIn receiver(RtMidi::UNIX_JACK, "tamboril-bench-recv");
    receiver.ignoreTypes(false, true, true);
    receiver.setCallback(onMessage);
    receiver.openVirtualPort("in");

    FailOnMessage prompts;
    QTemporaryDir folder;
    midi::RtMidiOutput output;
    ui::Form1 form(prompts, folder.path(), &output);
    form.show();

    // A kit to send: F0, kit number, pads, name, F7.
    KitData kit{};
    kit[0] = SysExStart;
    kit[KitNumberIndex] = 12;
    for (std::size_t i = 1; i < KitSize - 1; ++i) {
        kit[i] = static_cast<std::uint8_t>((i * 7 + 3) % 16);
    }
    kit[EndIndex] = SysExEnd;
    prompts.kitFile = folder.filePath(QStringLiteral("kit.syx"));
    if (TrueSave(prompts.kitFile, kit)) {
        state.SkipWithError("could not write the kit file");
        return;
    }
    form.findChild<QAction*>("mnuLoad")->trigger();
    form.findChild<QAction*>("mnuDeviceChng")->trigger();
    QListWidget* list = form.midDev()->findChild<QListWidget*>("List1");
    int entry = -1;
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->text() == QStringLiteral("tamboril-bench-recv:in")) {
            entry = row;
        }
    }
    if (entry < 0) {
        state.SkipWithError("the receiver's port is not listed");
        return;
    }
    form.midDev()->findChild<QLineEdit*>("Text")->setText(QStringLiteral(" %1").arg(entry));
    QAction* send = form.findChild<QAction*>("mnuSend");

    const int before = received.load();
    for (auto _ : state) {
        send->trigger();
    }
    // Every send must arrive (the receiver's own thread may still be
    // handing over the last one).
    const int expected = static_cast<int>(state.iterations());
    for (int wait = 0; wait < 100 && received.load() - before < expected; ++wait) {
        QThread::msleep(10);
    }
    if (received.load() - before != expected) {
        std::fprintf(stderr, "%d of %d kits arrived\n", received.load() - before, expected);
        state.SkipWithError("not every kit arrived");
    }
}
BENCHMARK(WholeSend)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qputenv("TAMBORIL_MIDI_API", "jack");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
