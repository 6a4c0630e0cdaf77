// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/Console.h"
#include "kit/FileIO.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <span>
#include <string>

namespace tamboril::cli {

// One subcommand of tamboril-kit. The program gives each command its own
// CLI11 subcommand to declare arguments on, parses the command line, and runs
// the one command the user named. A command keeps its parsed values in its
// own members and returns the exit status.
class Command {
  public:
    virtual ~Command() = default;

    // Declares the command's positional arguments and options on sub.
    virtual void define(CLI::App& sub) = 0;
    // Carries the command out; called only after the whole command line
    // parsed and validated.
    virtual int run(Console& console) = 0;
};

struct CommandSpec {
    const char* name;
    const char* summary;  // one line for --help
    std::unique_ptr<Command> (*make)();
};

// An empty name (of a port, say) is a wrong command line, not one that
// cannot be found.
inline CLI::Validator NonEmptyName() {
    return CLI::Validator(
        [](std::string& value) {
            return value.empty() ? std::string("the name must not be empty") : std::string();
        },
        "", "NONEMPTY");
}

// For file and folder arguments: not empty, and bytes that name the same file
// once read as text (a name that is not UTF-8 would be taken for another).
inline CLI::Validator FileName() {
    return CLI::Validator(
        [](std::string& value) {
            if (value.empty()) {
                return std::string("the name must not be empty");
            }
            const std::optional<QString> problem =
                NameNotKept(QByteArray(value.data(), static_cast<qsizetype>(value.size())));
            return problem ? problem->toStdString() : std::string();
        },
        "", "FILENAME");
}

std::unique_ptr<Command> MakeShowCommand();
std::unique_ptr<Command> MakeSetCommand();
std::unique_ptr<Command> MakeRenameCommand();
std::unique_ptr<Command> MakeDiffCommand();
std::unique_ptr<Command> MakeSplitCommand();
std::unique_ptr<Command> MakeJoinCommand();
std::unique_ptr<Command> MakePortsCommand();
std::unique_ptr<Command> MakeSendCommand();
std::unique_ptr<Command> MakeReceiveCommand();

// Every command, in the order --help lists them. A new command is one file
// with its Make function, declared above and added to this table.
std::span<const CommandSpec> Commands();

}  // namespace tamboril::cli
