// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/BankDocument.h"
#include "bank/BankEdits.h"
#include "bank/BankFiles.h"
#include "desktop/Prompts.h"

#include <QString>

#include <functional>
#include <vector>

namespace tamboril::library {

// The questions the Library asks before it writes a bank's files or sends
// its kits, so that nothing it did not read is overwritten unasked and no
// kit lands in another slot than the window shows without the user's word.
// A kit numbered on the user's answer is one undo step.

enum class SaveChoice { Save, SaveAs, Cancel };

// Whom a question asks, and where the kits it numbers are edited.
struct Asking {
    desktop::Prompts& prompts;
    BankEdits& edits;
};

// Before kits are written anywhere: moved kits that do not carry their
// positions' slots are numbered by position or kept as they are, on the
// user's word. False when cancelled.
bool AskAboutMovedKits(BankDocument& doc, const Asking& asking);

// Before a Save to the bank's own files, just before writing: when another
// program changed or removed them since they were read or saved, whether to
// overwrite them, save under another name, or not at all.
SaveChoice AskAboutDisk(const BankDocument& doc, desktop::Prompts& prompts);

// What a send of `kits` (as they would go) would overwrite on the
// instrument, in words; empty when nothing is known of it.
using SendPreviewWords = std::function<QString(const std::vector<KitData>& kits)>;

// Before kits at `positions` are sent: when they share a number, or (for a
// whole bank) do not carry their positions' slots, numbers them by position,
// sends them as they are, or not at all. In the same question, what the
// send would overwrite (`preview`, for the kits as they are and, where
// numbering changes it, numbered); with nothing to ask about numbers but
// something to preview, Send or Cancel. False when cancelled.
bool AskBeforeSend(BankDocument& doc, const std::vector<int>& positions, bool wholeBank,
                   const Asking& asking, const SendPreviewWords& preview = {});

// What the bar above a bank says about its files on disk, and whether it
// offers to read them again.
struct DiskNotice {
    QString text;
    bool offerReload = false;
};
DiskNotice DiskNoticeFor(const BankDocument& doc, const DiskChange& change);

}  // namespace tamboril::library
