// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Program.h"

#include "cli/Command.h"
#include "cli/KitArgs.h"

#include <QStringList>

#include <sstream>
#include <utility>
#include <vector>

namespace tamboril::cli {

std::span<const CommandSpec> Commands() {
    static const CommandSpec commands[] = {
        {"show", "Show a kit file (title, pads, checksum) or list the kits of a bulk file",
         MakeShowCommand},
        {"set", "Set the sound of one pad in a kit file and save it with a fresh checksum",
         MakeSetCommand},
        {"rename", "Set the kit name of a kit file and save it with a fresh checksum",
         MakeRenameCommand},
        {"number", "Set the kit number (byte 6) of a kit file and save it with a fresh checksum",
         MakeNumberCommand},
        {"renumber", "Give each kit of a bulk file its position's slot as its kit number",
         MakeRenumberCommand},
        {"diff", "Compare two kit files, two bulk files, or a kit with one kit of a bulk file",
         MakeDiffCommand},
        {"split", "Cut a 64-kit bulk file into \"Kit - 63.syx\" ... \"Kit - 00.syx\"",
         MakeSplitCommand},
        {"join", "Put 64 kit files (a split folder) together into one bulk file", MakeJoinCommand},
        {"ports", "List the MIDI output ports (for send) and input ports (for receive)",
         MakePortsCommand},
        {"send", "Send a kit file, or the 64 kits of a bulk file, to a MIDI output port",
         MakeSendCommand},
        {"receive", "Receive 1 kit or a 64-kit bulk dump from a MIDI input port into a file",
         MakeReceiveCommand},
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
        message = QStringLiteral(
                      "unexpected option \"%1\"; a file whose name starts with \"-\" is given "
                      "after \"--\" (%2 -- %1 ...) or as ./%1")
                      .arg(option, helpCommand);
    } else if (!inCommand && !app.remaining().empty() &&
               !app.remaining().front().starts_with('-')) {
        QStringList names;
        for (const CommandSpec& entry : Commands()) {
            names << QString::fromLatin1(entry.name);
        }
        message = QStringLiteral("\"%1\" is not a command; the commands are %2")
                      .arg(ArgText(app.remaining().front()), names.join(QStringLiteral(", ")));
    }
    console.error(message + QStringLiteral("\nRun '") + helpCommand +
                  QStringLiteral(" --help' for more information."));
    return ExitUsage;
}

// The program's own --help text around the command list, and --version.
void describeProgram(CLI::App& app) {
    app.set_version_flag("--version", std::string(ProgramName) + " " + ProgramVersion,
                         "Print the version and exit");
    app.footer(
        "Examples:\n"
        "  tamboril-kit show kit.syx\n"
        "  tamboril-kit show --json kit.syx\n"
        "  tamboril-kit set kit.syx \"SNARE 2\" \"808 S1\"\n"
        "  tamboril-kit rename kit.syx \"JAZZ KIT\"\n"
        "  tamboril-kit number kit.syx 5\n"
        "  tamboril-kit renumber dump.syx\n"
        "  tamboril-kit diff kit.syx dump.syx@12\n"
        "  tamboril-kit split dump.syx --into kits\n"
        "  tamboril-kit join dump.syx --from kits\n"
        "  tamboril-kit ports\n"
        "  tamboril-kit receive dump.syx --port 0 --kits 64\n"
        "  tamboril-kit send kit.syx --port 0\n"
        "\n"
        "Exit status: 0 on success, 1 when the operation failed, 2 for a wrong command line\n"
        "(diff: 0 same, 1 different, 2 trouble).\n"
        "Run 'tamboril-kit COMMAND --help' for the arguments of a command.");
}

}  // namespace

int RunProgram(int argc, const char* const* argv, Console& console) {
    CLI::App app{
        "Inspect, edit, compare, split, join, send and receive DR-202 drum-kit SysEx files.",
        ProgramName};
    describeProgram(app);
    CommandList commands;
    for (const CommandSpec& entry : Commands()) {
        std::unique_ptr<Command> command = entry.make();
        CLI::App* sub = app.add_subcommand(entry.name, entry.summary);
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
    return usageError(console, app, commands, QStringLiteral("a command is required"));
}

}  // namespace tamboril::cli
