// One whole Send from the main window through a JACK server: transmission
// checksum, scratch file written and read back, port opened, the long message
// handed over and confirmed delivered, port closed. Run it with a JACK server
// up (scripts/bench starts one with the dummy driver).

#include "Form1.h"
#include "MidDev.h"
#include "RtMidiOutput.h"
#include "UserPrompts.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include <RtMidi.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>

using namespace tamboril;

namespace {

// Any message during a send is a failure the benchmark must not hide.
class FailOnMessage : public ui::UserPrompts {
  public:
    std::optional<QString> openFile(const QString&, const QString&) override { return {}; }
    std::optional<QString> saveFile(const QString&, const QString&) override { return {}; }
    void message(const QString& text, const QString&, ui::MessageIcon) override {
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
    // Every send must have arrived by the time the last one returned.
    if (received.load() - before != static_cast<int>(state.iterations())) {
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
