// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/KitNumbers.h"
#include "cli/Command.h"
#include "cli/KitArgs.h"
#include "cli/KitEditing.h"

namespace tamboril::cli {

namespace {

// Gives a kit file the number the instrument files it under, and saves it
// with a fresh file checksum, as rename does with its name.
class NumberCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "A kit's number (byte 6) is the slot the instrument stores the kit in when it\n"
            "arrives: 0 to 63 are its user kits; 64 to 127 are stored as given, but are no\n"
            "user slot.\n"
            "\n"
            "Examples:\n"
            "  tamboril-kit number kit.syx 5\n"
            "  tamboril-kit number \"kits/Kit - 63.syx\" 0");
        AddFileArgument(sub, "FILE", file_,
                        "The kit file to number (a single kit, up to 200 bytes)");
        sub.add_option("N", number_, "The kit number, 0 to 127; it goes into byte 6")
            ->required()
            ->transform(LeadingZerosDecimal())
            ->check(CLI::Range(0, MaxKitNumber));
    }

    int run(Console& console) override {
        const QString path = ArgPath(file_);
        return EditKitFile(console, path, [&](KitData& kit) {
            const int before = KitNumber(kit);
            StoreKitNumber(kit, number_);
            return KitNumberSetText(path, number_, before);
        });
    }

  private:
    std::string file_;
    int number_ = 0;
};

}  // namespace

std::unique_ptr<Command> MakeNumberCommand() {
    return std::make_unique<NumberCommand>();
}

}  // namespace tamboril::cli
