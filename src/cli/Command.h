// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliTexts.h"
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

// A command's one line for --help is CommandSummary(name).
struct CommandSpec {
    const char* name;
    std::unique_ptr<Command> (*make)();
};

// An empty name (of a port, say) is a wrong command line, not one that
// cannot be found.
inline CLI::Validator NonEmptyName() {
    return CLI::Validator(
        [](std::string& value) {
            return value.empty() ? EmptyNameText().toStdString() : std::string();
        },
        "", "NONEMPTY");
}

// For whole-number arguments: digits with leading zeros are read in decimal
// ("063" is 63), where CLI11 would read them as an octal number (51). Put
// before the range check, which reads the number from the same text.
inline CLI::Validator LeadingZerosDecimal() {
    return CLI::Validator(
        [](std::string& value) {
            const std::size_t sign = value.starts_with('-') ? 1 : 0;
            const std::size_t first = value.find_first_not_of('0', sign);
            const bool digitsOnly = value.size() > sign &&
                                    value.find_first_not_of("0123456789", sign) == std::string::npos;
            if (digitsOnly && first != sign) {
                value.erase(sign, first == std::string::npos ? value.size() - sign - 1
                                                             : first - sign);
            }
            return std::string();
        },
        "", "");
}

// For file and folder arguments: not empty, and bytes that name the same file
// once read as text (a name that is not UTF-8 would be taken for another).
inline CLI::Validator FileName() {
    return CLI::Validator(
        [](std::string& value) {
            if (value.empty()) {
                return EmptyNameText().toStdString();
            }
            const std::optional<QString> problem =
                NameNotKept(QByteArray(value.data(), static_cast<qsizetype>(value.size())));
            return problem ? problem->toStdString() : std::string();
        },
        "", "FILENAME");
}

// A required file or folder argument, checked by FileName(): the first
// argument of most commands.
inline CLI::Option* AddFileArgument(CLI::App& sub, const std::string& name, std::string& value,
                                    const std::string& description) {
    return sub.add_option(name, value, description)->required()->check(FileName());
}

std::unique_ptr<Command> MakeShowCommand();
std::unique_ptr<Command> MakeSetCommand();
std::unique_ptr<Command> MakeRenameCommand();
std::unique_ptr<Command> MakeNumberCommand();
std::unique_ptr<Command> MakeRenumberCommand();
std::unique_ptr<Command> MakeDiffCommand();
std::unique_ptr<Command> MakeSplitCommand();
std::unique_ptr<Command> MakeJoinCommand();
std::unique_ptr<Command> MakePortsCommand();
std::unique_ptr<Command> MakeSendCommand();
std::unique_ptr<Command> MakeReceiveCommand();
std::unique_ptr<Command> MakeSheetCommand();
std::unique_ptr<Command> MakeCollectionCommand();
std::unique_ptr<Command> MakeFindCommand();
std::unique_ptr<Command> MakeHistoryCommand();

// Every command, in the order --help lists them. A new command is one file
// with its Make function, declared above and added to this table.
std::span<const CommandSpec> Commands();

}  // namespace tamboril::cli
