// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/Console.h"
#include "kit/KitImage.h"

#include <QString>

#include <functional>
#include <optional>

namespace tamboril::cli {

// A kit file loaded for a change, with the size the file had.
struct KitToEdit {
    KitData kit{};
    qint64 size = 0;
};

// Loads path for a change as the window does, or says why it cannot be
// changed: a file that cannot be read, a file over 200 bytes ("File needs to
// be Spilt."), a kit whose byte 0 is not 0xF0. Every command that changes a
// kit file refuses the same files.
std::optional<KitToEdit> LoadKitToEdit(Console& console, const QString& path);

// Stores the file checksum and replaces path with the kit, atomically, as
// Save does; says why when that fails (the file is then left as it was) and
// warns when the file had another size than 197 bytes. True when saved.
bool SaveEditedKit(Console& console, const QString& path, KitToEdit& edited);

// What set, rename and number share: loads path for a change, lets `change`
// make it (it returns the sentence that tells what it did), saves the kit
// and prints that sentence. ExitOk, or ExitFailed after saying why.
int EditKitFile(Console& console, const QString& path,
                const std::function<QString(KitData&)>& change);

}  // namespace tamboril::cli
