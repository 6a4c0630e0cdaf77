#pragma once

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
    Console(std::FILE* out = stdout, std::FILE* err = stderr) : out_(out), err_(err) {}

    // One line of results (a newline is added).
    void print(const QString& line);
    // Text written as it stands, no newline added.
    void write(const QString& text);
    void error(const QString& message);
    void warning(const QString& message);

    // Flushes standard output; false when anything written to it was lost
    // (a full disk, a closed pipe), which the program then reports.
    bool flushOutput();

  private:
    std::FILE* out_;
    std::FILE* err_;
};

inline constexpr const char* ProgramName = "tamboril-kit";
inline constexpr const char* ProgramVersion = "1.00";

}  // namespace tamboril::cli
