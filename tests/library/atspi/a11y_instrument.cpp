// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument for the Library's screen-reader checks, driven line by line
// from a script.
//
//   a11y_instrument bank FILE
//       writes a bulk file of 64 kits named "KIT 00" .. "KIT 63", each with
//       its file checksum, and ends.
//   a11y_instrument jack CLIENT
//       on the JACK server JACK_DEFAULT_SERVER names, opens the output
//       "CLIENT:out" (the instrument's MIDI OUT) and the input
//       "CLIENT-in:in" (its MIDI IN), prints "ready OUT IN", then answers one
//       line for each command read on stdin:
//         listening SECONDS   "yes" once a tamboril-library input is connected
//                             to OUT, "no" when none is within SECONDS
//         play FIRST LAST MS  sends kits FIRST..LAST-1 as an instrument dumps
//                             them, MS milliseconds apart; "played N"
//         received            "received N": the kits that came to IN so far
//         quit                ends.

#include "kit/KitImage.h"
#include "midi/JackWatch.h"
#include "support/JackPorts.h"
#include "support/SentKits.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QThread>

#include <cstdio>
#include <iostream>
#include <string>

using namespace tamboril;
using namespace tamboril::test;

namespace {

// The kits of the bank: distinct in every byte the tests look at, each
// named after its position so that a row read aloud can be told apart.
QList<KitData> NamedKits() {
    QList<KitData> kits = distinctKits();
    for (int k = 0; k < kits.size(); ++k) {
        const QByteArray name = QStringLiteral("KIT %1").arg(k, 2, 10, QLatin1Char('0'))
                                    .toLatin1()
                                    .leftJustified(qsizetype(KitNameLength), ' ');
        for (std::size_t i = 0; i < KitNameLength; ++i) {
            kits[k][KitNameFirst + i] = static_cast<std::uint8_t>(name.at(qsizetype(i)));
        }
        StoreChecksum(kits[k], FileChecksumFirst);
    }
    return kits;
}

int WriteBank(const QString& path) {
    QByteArray bytes;
    for (const KitData& kit : NamedKits()) {
        bytes += toBytes(kit);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "a11y_instrument: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}

// Whether an input port of a tamboril-library client is connected to `out`.
bool LibraryListening(const midi::JackWatch& watch, JackSource& source) {
    for (const QString& port : source.destinations()) {
        const QString client = port.section(QLatin1Char(':'), 0, 0);
        if (client.startsWith(QStringLiteral("tamboril-library")) &&
            watch.isConnected(source.portName(), client, port.section(QLatin1Char(':'), 1))) {
            return true;
        }
    }
    return false;
}

// Kits among `messages`: SysEx messages of a kit's size. The zeros a kit
// is padded with on the wire are no kits.
int CountKits(const QList<QByteArray>& messages) {
    int kits = 0;
    for (const QByteArray& message : messages) {
        if (message.size() == qsizetype(KitSize) && quint8(message[0]) == SysExStart) {
            ++kits;
        }
    }
    return kits;
}

int Serve(const QString& client) {
    QString reason;
    const auto watch = midi::JackWatch::connect(client + QStringLiteral("-watch"), reason);
    if (!watch) {
        std::fprintf(stderr, "a11y_instrument: no JACK server: %s\n", qPrintable(reason));
        return 1;
    }
    JackSource source(client);
    JackReceiver input(client + QStringLiteral("-in"), JackReceiver::Timing::Drop);
    const QList<KitData> kits = NamedKits();
    int received = 0;
    std::cout << "ready " << source.portName().toStdString() << ' '
              << input.portName().toStdString() << std::endl;
    std::string command;
    while (std::cin >> command) {
        if (command == "listening") {
            double seconds = 0;
            std::cin >> seconds;
            QElapsedTimer timer;
            timer.start();
            bool yes = LibraryListening(*watch, source);
            while (!yes && timer.elapsed() < qint64(seconds * 1000)) {
                QThread::msleep(20);
                yes = LibraryListening(*watch, source);
            }
            std::cout << (yes ? "yes" : "no") << std::endl;
        } else if (command == "play") {
            int first = 0, last = 0, ms = 0;
            std::cin >> first >> last >> ms;
            int played = 0;
            for (int k = std::max(first, 0); k < std::min(last, int(kits.size())); ++k) {
                source.send(asSent(kits.at(k)));
                ++played;
                QThread::msleep(static_cast<unsigned long>(std::max(ms, 1)));
            }
            std::cout << "played " << played << std::endl;
        } else if (command == "received") {
            received += CountKits(input.takeWithin(200, 1 << 20));
            std::cout << "received " << received << std::endl;
        } else if (command == "quit") {
            break;
        } else {
            std::cout << "unknown " << command << std::endl;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QStringLiteral("bank")) {
        return WriteBank(args[2]);
    }
    if (args.size() == 3 && args[1] == QStringLiteral("jack")) {
        return Serve(args[2]);
    }
    std::fprintf(stderr, "usage: a11y_instrument bank FILE | jack CLIENT\n");
    return 2;
}
