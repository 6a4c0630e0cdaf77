// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/KitQuestions.h"

#include "bank/KitNumbers.h"
#include "bank/KitWords.h"
#include "library/LibraryTexts.h"

#include <QDir>
#include <QUndoStack>

namespace tamboril::library {

namespace {

// Lists longer than this end in "and N more": a question must fit a screen.
constexpr int MostLines = 8;

QString Lines(const QStringList& lines) {
    QStringList shown = lines.mid(0, MostLines);
    if (lines.size() > MostLines) {
        shown << QStringLiteral("and %1 more").arg(lines.size() - MostLines);
    }
    return QStringLiteral("  ") + shown.join(QStringLiteral("\n  "));
}

QStringList OffSlotLines(const BankDocument& doc, const std::vector<int>& positions) {
    QStringList lines;
    for (const int p : positions) {
        lines << QStringLiteral("position %1: number %2, slot %3")
                     .arg(p)
                     .arg(KitNumberText(doc.kit(p)),
                          TwoDigitText(doc.bank().positionSlots.at(std::size_t(p))));
    }
    return lines;
}

QStringList SharedLines(const std::vector<SharedNumber>& shared) {
    QStringList lines;
    for (const SharedNumber& number : shared) {
        QStringList at;
        for (const int p : number.positions) {
            at << QString::number(p);
        }
        lines << QStringLiteral("number %1: positions %2")
                     .arg(TwoDigitText(number.number), at.join(QStringLiteral(", ")));
    }
    return lines;
}

void NumberByPosition(BankDocument& doc, const std::vector<int>& positions) {
    EditOutcome numbered = NumberKitsBySlots(doc, positions);
    if (numbered.command) {
        doc.undoStack()->push(numbered.command.release());
    }
}

// Asks with `choices`: number the kits at `positions` by position (the
// first), keep them as they are (the second), or cancel. False when
// cancelled.
bool NumberThemOrNot(BankDocument& doc, const std::vector<int>& positions,
                     desktop::Prompts& prompts, const QString& title, const QString& text,
                     const QStringList& choices) {
    const int chosen = prompts.choose(title, text, choices);
    if (chosen == 0) {
        NumberByPosition(doc, positions);
    }
    return chosen == 0 || chosen == 1;
}

QStringList Shown(const QStringList& paths) {
    QStringList shown;
    for (const QString& path : paths) {
        shown << QDir::toNativeSeparators(path);
    }
    return shown;
}

}  // namespace

bool AskAboutMovedKits(BankDocument& doc, desktop::Prompts& prompts) {
    const std::vector<int> moved = doc.movedOffSlot();
    if (moved.empty()) {
        return true;
    }
    const QString text =
        QStringLiteral("%1 of %2 do not carry their positions' slots. The instrument would file "
                       "them by their numbers, and the bank opened again would not keep them "
                       "where they are now:\n%3\n\nNumber them by position before saving?")
            .arg(KitsText(qsizetype(moved.size())), BankName(doc.bank()),
                 Lines(OffSlotLines(doc, moved)));
    return NumberThemOrNot(doc, moved, prompts, QStringLiteral("Save"), text,
                           {QStringLiteral("&Number Them and Save"),
                            QStringLiteral("Save &As They Are"), QStringLiteral("&Cancel")});
}

SaveChoice AskAboutDisk(const BankDocument& doc, desktop::Prompts& prompts) {
    const DiskChange change = doc.changeOnDisk();
    if (!change.any()) {
        return SaveChoice::Save;
    }
    QStringList lines = Shown(change.changed);
    for (const QString& path : Shown(change.missing)) {
        lines << path + QStringLiteral(" (deleted or renamed away)");
    }
    const QString text =
        QStringLiteral("Another program changed the files of %1 since this window read or saved "
                       "them:\n%2\n\nSaving here replaces what that program wrote.")
            .arg(BankName(doc.bank()), Lines(lines));
    if (change.changed.isEmpty()) {
        // Nothing to overwrite: the bank is kept best under a name of its own.
        const int chosen = prompts.choose(QStringLiteral("Save"), text,
                                          {QStringLiteral("Save &As..."),
                                           QStringLiteral("&Write Them Again"),
                                           QStringLiteral("&Cancel")});
        return chosen == 0 ? SaveChoice::SaveAs
                           : chosen == 1 ? SaveChoice::Save : SaveChoice::Cancel;
    }
    const int chosen = prompts.choose(
        QStringLiteral("Save"), text,
        {QStringLiteral("&Overwrite"), QStringLiteral("Save &As..."), QStringLiteral("&Cancel")});
    return chosen == 0 ? SaveChoice::Save : chosen == 1 ? SaveChoice::SaveAs : SaveChoice::Cancel;
}

bool AskBeforeSend(BankDocument& doc, const std::vector<int>& positions, bool wholeBank,
                   desktop::Prompts& prompts) {
    const std::vector<SharedNumber> shared = SharedNumbers(doc.bank().kits, positions);
    const std::vector<int> off =
        wholeBank ? OffSlotPositions(doc.bank().kits, doc.bank().positionSlots, positions)
                  : std::vector<int>();
    if (shared.empty() && off.empty()) {
        return true;
    }
    QStringList parts;
    if (!shared.empty()) {
        parts << QStringLiteral("These kits share a number, and the instrument keeps only the "
                                "last kit it receives for a number:\n") +
                     Lines(SharedLines(shared));
    }
    if (!off.empty()) {
        parts << QStringLiteral("These kits do not carry their positions' slots, so they would "
                                "land in other slots than their positions:\n") +
                     Lines(OffSlotLines(doc, off));
    }
    parts << QStringLiteral("Number them by position and send, or send them as they are?");
    return NumberThemOrNot(doc, positions, prompts, QStringLiteral("Send"),
                           parts.join(QStringLiteral("\n\n")),
                           {QStringLiteral("&Number Them and Send"),
                            QStringLiteral("Send &As They Are"), QStringLiteral("&Cancel")});
}

DiskNotice DiskNoticeFor(const BankDocument& doc, const DiskChange& change) {
    if (!change.any()) {
        return {};
    }
    QStringList lines = Shown(change.changed);
    for (const QString& path : Shown(change.missing)) {
        lines << path + QStringLiteral(" (deleted or renamed away)");
    }
    const QString files = Lines(lines).trimmed();
    if (!change.missing.isEmpty() && change.changed.isEmpty()) {
        return {QStringLiteral("Files of this bank were deleted or renamed away: %1. The kits "
                               "shown here are kept; Save will offer Save As.")
                    .arg(files),
                false};
    }
    if (doc.isModified()) {
        return {QStringLiteral("Another program changed files of this bank, which has changes "
                               "that are not saved: %1. Save will ask before it overwrites them.")
                    .arg(files),
                change.missing.isEmpty()};
    }
    return {QStringLiteral("Another program changed files of this bank: %1.").arg(files),
            change.missing.isEmpty()};
}

}  // namespace tamboril::library
