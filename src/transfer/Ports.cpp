// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/Ports.h"

#include "midi/Sending.h"

#include <cstdint>

namespace tamboril::transfer {

namespace {

// Result codes are read as signed 16-bit values, as the MIDI output
// convention has them.
int Code16(int result) {
    return static_cast<std::int16_t>(result);
}

// The names `ports` (a MidiOut or a MidiInput) lists at this moment.
template <typename Ports>
QStringList Names(Ports& ports) {
    const int count = ports.numDevs();
    QStringList names;
    for (int device = 0; device < count; ++device) {
        QString name;
        ports.devName(device, name);
        names << name;
    }
    return names;
}

// Whether `system` tells that the last listing reached no MIDI system; a
// null one reaches one always.
bool NoSystem(const midi::SystemState* system) {
    return system != nullptr && system->systemName().isEmpty();
}

// The listing of `names`; `reason` tells why there are none, asked only then.
template <typename Reason>
PortListing Listing(QStringList names, const midi::SystemState* system, Reason reason) {
    if (NoSystem(system)) {
        return {std::nullopt, QString(), reason()};
    }
    return {std::move(names), system != nullptr ? system->systemName() : QString(), QString()};
}

// The number of the port named exactly `name` in `listed`, or why there is
// none.
PortStatus Lookup(const PortListing& listed, const QString& name, int& index) {
    index = listed.names ? int(listed.names->indexOf(name)) : -1;
    if (index >= 0) {
        return {};
    }
    if (!listed.names) {
        return {PortResult::NoSystem, listed.reason};
    }
    return {PortResult::NoSuchPort, QString()};
}

PortResult StepResult(const midi::SendOutcome& outcome) {
    if (outcome.code == midi::NoDevice) {
        return PortResult::PortGone;
    }
    switch (outcome.failedStep) {
        case midi::SendStep::Prepare:
            return PortResult::PrepareFailed;
        case midi::SendStep::LongMessage:
            return PortResult::Refused;
        case midi::SendStep::Unprepare:
            return PortResult::Uncertain;
        case midi::SendStep::None:
        case midi::SendStep::Open:
            break;
    }
    return outcome.cancelled ? PortResult::Cancelled : PortResult::Ok;
}

}  // namespace

PortListing MidiOutPorts::list() {
    QStringList names = Names(out_);
    return Listing(std::move(names), system_,
                   [this] { return out_.errorText(system_->lastResult()); });
}

PortStatus MidiOutPorts::open(const QString& name) {
    int index = -1;
    if (const PortStatus found = Lookup(list(), name, index); !found.ok()) {
        return found;
    }
    if (const int rc = Code16(out_.open(index)); rc != midi::NoError) {
        return {PortResult::OpenFailed, out_.errorText(rc)};
    }
    return {};
}

SendResult MidiOutPorts::send(const QList<QByteArray>& messages,
                              const midi::TransferControl& control, int maxTries) {
    const midi::SendOutcome outcome = midi::SendOpened(out_, messages, control, maxTries);
    SendResult result;
    result.status = {StepResult(outcome), outcome.errorText};
    // A cancel comes before the first message that did not go.
    result.failedMessage = outcome.cancelled ? outcome.delivered : outcome.failedMessage;
    result.tries = outcome.tries;
    result.delivered = outcome.delivered;
    result.sentAgain = outcome.sentAgain;
    return result;
}

PortStatus MidiOutPorts::close() {
    if (const int rc = Code16(out_.close()); rc != midi::NoError) {
        return {PortResult::CloseFailed, out_.errorText(rc)};
    }
    return {};
}

PortListing MidiInputPorts::list() {
    QStringList names = Names(in_);
    return Listing(std::move(names), &in_, [this] { return in_.errorText(in_.lastResult()); });
}

PortStatus MidiInputPorts::open(const QString& name) {
    int index = -1;
    if (const PortStatus found = Lookup(list(), name, index); !found.ok()) {
        return found;
    }
    if (const int rc = in_.open(index); rc != midi::NoError) {
        return {PortResult::OpenFailed, in_.errorText(rc)};
    }
    return {};
}

midi::ReceiveOutcome MidiInputPorts::receive(midi::SysExAssembler& assembler,
                                             const midi::ReceiveLimits& limits,
                                             const midi::TransferControl& control) {
    return midi::WaitForKits(in_, assembler, limits, control);
}

PortStatus MidiInputPorts::close() {
    if (const int rc = in_.close(); rc != midi::NoError) {
        return {PortResult::CloseFailed, in_.errorText(rc)};
    }
    return {};
}

}  // namespace tamboril::transfer
