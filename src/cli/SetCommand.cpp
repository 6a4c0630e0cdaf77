// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Command.h"
#include "cli/KitArgs.h"
#include "cli/KitEditing.h"
#include "sounds/PadSounds.h"

namespace tamboril::cli {

namespace {

CLI::Validator padValidator() {
    return CLI::Validator(
        [](std::string& value) {
            return FindPad(ArgText(value)) ? std::string()
                                           : PadNotFoundText(ArgText(value)).toStdString();
        },
        "", "PAD");
}

CLI::Validator soundValidator() {
    return CLI::Validator(
        [](std::string& value) {
            return FindSound(ArgText(value)) ? std::string()
                                             : SoundNotFoundText(ArgText(value)).toStdString();
        },
        "", "SOUND");
}

// Loads the kit, stores the sound into the pad and saves the file with a
// fresh file checksum: the same steps as picking the sound in the window and
// choosing Save.
class SetCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "Examples:\n"
            "  tamboril-kit set kit.syx \"SNARE 2\" \"808 S1\"\n"
            "  tamboril-kit set kit.syx 0 49\n"
            "  tamboril-kit set kit.syx \"kick 1\" \"49 808 K1\"");
        AddFileArgument(sub, "FILE", file_,
                        "The kit file to change (a single kit, up to 200 bytes)");
        sub.add_option("PAD", pad_, "Pad index 0 to 13, or pad name such as \"SNARE 2\"")
            ->required()
            ->check(padValidator());
        sub.add_option("SOUND", sound_,
                       "Sound number 0 to 255, sound list entry such as \"49 808 K1\", or sound "
                       "name such as \"808 K1\"")
            ->required()
            ->check(soundValidator());
    }

    int run(Console& console) override {
        const QString path = ArgPath(file_);
        // Both were checked while parsing.
        const int pad = FindPad(ArgText(pad_)).value_or(0);
        const int sound = FindSound(ArgText(sound_)).value_or(0);

        return EditKitFile(console, path, [&](KitData& kit) {
            const int before = PadSound(kit, pad);
            StorePadSound(kit, pad, sound);
            return PadSoundSetText(path, PadName(pad), SoundEntry(sound), SoundEntry(before));
        });
    }

  private:
    std::string file_;
    std::string pad_;
    std::string sound_;
};

}  // namespace

std::unique_ptr<Command> MakeSetCommand() {
    return std::make_unique<SetCommand>();
}

}  // namespace tamboril::cli
