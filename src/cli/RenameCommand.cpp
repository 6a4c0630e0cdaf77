// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Command.h"
#include "cli/KitArgs.h"
#include "cli/KitEditing.h"

namespace tamboril::cli {

namespace {

CLI::Validator nameValidator() {
    return CLI::Validator(
        [](std::string& value) {
            const QString name = ArgText(value);
            const auto fault = KitNameProblem(name);
            return fault ? KitNameFaultText(name, *fault).toStdString() : std::string();
        },
        "", "NAME");
}

// Gives a kit file a new kit name and saves it with a fresh file checksum,
// as set does with a pad's sound.
class RenameCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "Examples:\n"
            "  tamboril-kit rename kit.syx \"JAZZ KIT\"\n"
            "  tamboril-kit rename \"kits/Kit - 63.syx\" \"Live 2024\"");
        AddFileArgument(sub, "FILE", file_,
                        "The kit file to rename (a single kit, up to 200 bytes)");
        sub.add_option("NAME", name_,
                       "The new kit name: up to 11 printable ASCII characters (blank to '~'), "
                       "padded with blanks; it goes into bytes 184 to 194")
            ->required()
            ->check(nameValidator());
    }

    int run(Console& console) override {
        const QString path = ArgPath(file_);
        const QString name = ArgText(name_);  // checked while parsing
        return EditKitFile(console, path, [&](KitData& kit) {
            const QString before = KitName(kit);
            StoreKitName(kit, name);
            return KitNameSetText(path, KitName(kit), Printable(before));
        });
    }

  private:
    std::string file_;
    std::string name_;
};

}  // namespace

std::unique_ptr<Command> MakeRenameCommand() {
    return std::make_unique<RenameCommand>();
}

}  // namespace tamboril::cli
