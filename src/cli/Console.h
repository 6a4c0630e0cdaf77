// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "version/Version.h"

#include <QByteArrayView>
#include <QString>

#include <cstdio>

namespace tamboril::cli {

// Exit statuses of tamboril-kit.
enum ExitStatus : int {
    ExitOk = 0,
    ExitFailed = 1,  // the operation did not work: unreadable file, failed write, ...
    ExitUsage = 2,   // the command line itself is wrong
};

// Where a command's results and complaints go: results on standard output,
// errors and warnings on standard error, each prefixed with the program name.
class Console {
  public:
    // Progress lines are shown when err is a terminal.
    Console(std::FILE* out = stdout, std::FILE* err = stderr);

    // One line of results (a newline is added).
    void print(const QString& line);
    // Text written as it stands, no newline added.
    void write(const QString& text);
    // Bytes written as they stand (a CSV or JSON document).
    void writeBytes(QByteArrayView bytes);
    void error(const QString& message);
    void warning(const QString& message);

    // A progress line on standard error ("Sent kit 12/64"), shown only when
    // standard error is a terminal: each one overwrites the one before, so
    // scripts and logs never see them.
    void progress(const QString& line);
    // Moves past a progress line on show, so that what follows starts on a
    // line of its own. Errors and warnings do this themselves.
    void endProgress();
    // An information line on standard error for a person at a terminal
    // ("Listening on ..."); nothing when standard error is not one.
    void note(const QString& line);
    bool showsProgress() const { return progressShown_; }
    void setShowsProgress(bool shown) { progressShown_ = shown; }

    // Flushes standard output; false when anything written to it was lost
    // (a full disk, a closed pipe), which the program then reports.
    bool flushOutput();

  private:
    std::FILE* out_;
    std::FILE* err_;
    bool progressShown_ = false;
    bool progressOnLine_ = false;
};

inline constexpr const char* ProgramName = "tamboril-kit";
inline constexpr const char* ProgramVersion = tamboril::DisplayVersion;

}  // namespace tamboril::cli
