// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What MIDI input and output keep alike between calls: the port names of the
// last listing, the MIDI system it used, and the result of the last call with
// its text. Used inside the midi library only.

#include "midi/MidiSystem.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace tamboril::midi::detail {

struct RtMidiConnection;

enum class Direction { Output, Input };

class PortListing {
  public:
    // `direction` decides which ports are listed (destinations for an output,
    // sources for an input) and the word used in texts ("output", "input").
    explicit PortListing(Direction direction);

    // Starts a call: its result is NoError until it fails.
    void clearResult();
    // Records a failing call's code and the text that names the port and the
    // reason; returns `code`.
    int fail(int code, const QString& detail);
    int lastCode() const { return lastCode_; }
    const QString& lastDetail() const { return lastDetail_; }
    // The text for `code`: the last failure's own text when `code` is its
    // code, `baseText` otherwise.
    QString errorText(int code, const QString& baseText) const;

    // Connects to the MIDI system the options ask for and remembers its name;
    // a failure is recorded and its code returned.
    int connect(const RtMidiOptions& options, std::unique_ptr<RtMidiConnection>& connection);

    // Connects, takes the names of the ports there are at this moment (a port
    // whose name could not be read is left out) and disconnects. Starts a
    // call; returns the number of ports, 0 when there is no MIDI system.
    int list(const RtMidiOptions& options);
    // Name of port `device` of the last listing (listing first if there has
    // been none). Starts a call.
    int name(const RtMidiOptions& options, int device, QString& name);

    // Where port `device` of the last listing, listed as `wanted`, is among
    // the ports there are now: ports come and go and the numbers shift, and a
    // number alone could now mean another port. -1 when it has gone.
    static qsizetype findAgain(const QStringList& current, int device, const QString& wanted);

    // Finds port `device` among the ports `connection` offers now: by the
    // name it was listed under when there has been a listing, so that a port
    // that has gone away fails (NoDevice) instead of another one being used;
    // by number when there has been none. Records a failure.
    int findChosen(const RtMidiOptions& options, RtMidiConnection& connection, int device,
                   QString& wanted, qsizetype& index);
    // connect, then findChosen on the new connection.
    int connectToChosen(const RtMidiOptions& options, int device,
                        std::unique_ptr<RtMidiConnection>& connection, QString& wanted,
                        qsizetype& index);
    // Opens RtMidi's port `index`, listed as `wanted`, as the program's own
    // port `ownPort`, with one reading of RtMidi's errors for input and
    // output. On failure the port is closed again and the failure recorded.
    int openPort(RtMidiConnection& connection, qsizetype index, const QString& ownPort,
                 const QString& wanted);

    // The text for a result code that reads alike for input and output but
    // for the port's direction; empty for a code whose text is the input's
    // or the output's own.
    QString commonText(int code) const;

    // "Choose a port <advice>." and "Choose a port again <advice>.": where
    // the user chooses a port, for error texts.
    static QString choosePort(const RtMidiOptions& options);
    static QString choosePortAgain(const RtMidiOptions& options);

    bool hasListing() const { return hasListing_; }
    const QStringList& listed() const { return listed_; }
    // "ALSA" or "JACK": the MIDI system the last listing or connect used,
    // empty when none could be reached.
    const QString& systemName() const { return systemName_; }

  private:
    Direction direction_;
    QString systemName_;
    QStringList listed_;
    bool hasListing_ = false;
    int lastCode_ = 0;
    QString lastDetail_;
};

}  // namespace tamboril::midi::detail
