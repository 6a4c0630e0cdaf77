// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Program.h"

#include "cli/Command.h"
#include "cli/KitArgs.h"

#include <QStringList>

#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

namespace tamboril::cli {

std::span<const CommandSpec> Commands() {
    static const CommandSpec commands[] = {
        {"show", MakeShowCommand},         {"set", MakeSetCommand},
        {"rename", MakeRenameCommand},     {"number", MakeNumberCommand},
        {"renumber", MakeRenumberCommand}, {"diff", MakeDiffCommand},
        {"split", MakeSplitCommand},       {"join", MakeJoinCommand},
        {"ports", MakePortsCommand},       {"send", MakeSendCommand},
        {"receive", MakeReceiveCommand},   {"sheet", MakeSheetCommand},
        {"collection", MakeCollectionCommand}, {"find", MakeFindCommand},
        {"history", MakeHistoryCommand},
    };
    return commands;
}

namespace {

using CommandList = std::vector<std::pair<CLI::App*, std::unique_ptr<Command>>>;

// The first word the parser took for an option and could not place, if any.
QString unexpectedOption(const CLI::App& app) {
    for (const std::string& word : app.remaining(true)) {
        if (word.size() > 1 && word.starts_with('-')) {
            return ArgText(word);
        }
    }
    return QString();
}

// Reports a wrong command line and points at the help of the command the
// user was writing.
int usageError(Console& console, const CLI::App& app, const CommandList& commands,
               QString message) {
    QString helpCommand = QString::fromLatin1(ProgramName);
    bool inCommand = false;
    for (const auto& [sub, command] : commands) {
        if (sub->parsed()) {
            helpCommand += QLatin1Char(' ') + ArgText(sub->get_name());
            inCommand = true;
        }
    }
    // An option nobody knows explains whatever else went wrong: a file name
    // that starts with a dash is taken for an option, and the words after it
    // land on the wrong arguments.
    if (const QString option = unexpectedOption(app);
        !option.isEmpty() && !message.contains(option)) {
        message = UnexpectedOptionText(option, helpCommand);
    } else if (!inCommand && !app.remaining().empty() &&
               !app.remaining().front().starts_with('-')) {
        QStringList names;
        for (const CommandSpec& entry : Commands()) {
            names << QString::fromLatin1(entry.name);
        }
        message = NotACommandText(ArgText(app.remaining().front()), names);
    }
    console.error(message + QLatin1Char('\n') + HelpHint(helpCommand));
    return ExitUsage;
}

// The program's own --help text around the command list, and --version.
void describeProgram(CLI::App& app) {
    app.set_version_flag("--version", std::string(ProgramName) + " " + ProgramVersion,
                         VersionFlagText().toStdString());
    app.footer(ProgramFooter().toStdString());
}

}  // namespace

bool NeedsGui(int argc, const char* const* argv) {
    // Before the command only --help and --version may come.
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (!word.starts_with('-')) {
            return word == "sheet";
        }
    }
    return false;
}

int RunProgram(int argc, const char* const* argv, Console& console) {
    CLI::App app{ProgramDescription().toStdString(), ProgramName};
    describeProgram(app);
    CommandList commands;
    for (const CommandSpec& entry : Commands()) {
        std::unique_ptr<Command> command = entry.make();
        CLI::App* sub = app.add_subcommand(
            entry.name, CommandSummary(QString::fromLatin1(entry.name)).toStdString());
        sub->footer("");  // each command gives its own examples, if any
        command->define(*sub);
        commands.emplace_back(sub, std::move(command));
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        // --help and --version: their text is the result, on standard output.
        std::ostringstream out, err;
        app.exit(e, out, err);
        console.write(ArgText(out.str()));
        return ExitOk;
    } catch (const CLI::Error& e) {
        return usageError(console, app, commands, ArgText(e.what()));
    }

    for (const auto& [sub, command] : commands) {
        if (sub->parsed()) {
            return command->run(console);
        }
    }
    return usageError(console, app, commands, CommandRequiredText());
}

}  // namespace tamboril::cli
