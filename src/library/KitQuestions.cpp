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
        shown << MoreLinesText(int(lines.size()) - MostLines);
    }
    return QStringLiteral("  ") + shown.join(QStringLiteral("\n  "));
}

QStringList OffSlotLines(const BankDocument& doc, const std::vector<int>& positions) {
    QStringList lines;
    for (const int p : positions) {
        lines << OffSlotLine(p, KitNumberText(doc.kit(p)),
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
        lines << SharedNumberLine(TwoDigitText(number.number), at.join(QStringLiteral(", ")));
    }
    return lines;
}

// Asks with `choices`: number the kits at `positions` by position (the
// first), keep them as they are (the second), or cancel. False when
// cancelled.
bool NumberThemOrNot(BankDocument& doc, const std::vector<int>& positions,
                     const Asking& asking, const QString& title, const QString& text,
                     const QStringList& choices) {
    const int chosen = asking.prompts.choose(title, text, choices);
    if (chosen == 0) {
        asking.edits.numberBySlots(doc, positions);
    }
    return chosen == 0 || chosen == 1;
}

std::vector<KitData> KitsAt(const BankDocument& doc, const std::vector<int>& positions) {
    std::vector<KitData> kits;
    for (const int p : positions) {
        kits.push_back(doc.kit(p));
    }
    return kits;
}

// The kits at `positions` as numbering them by position would send them.
std::vector<KitData> NumberedKitsAt(const BankDocument& doc, const std::vector<int>& positions) {
    const std::map<int, KitData> numbered =
        NumberedBySlots(doc.bank().kits, doc.bank().positionSlots, positions);
    std::vector<KitData> kits;
    for (const int p : positions) {
        const auto found = numbered.find(p);
        kits.push_back(found != numbered.end() ? found->second : doc.kit(p));
    }
    return kits;
}

QStringList Shown(const QStringList& paths) {
    QStringList shown;
    for (const QString& path : paths) {
        shown << QDir::toNativeSeparators(path);
    }
    return shown;
}

}  // namespace

bool AskAboutMovedKits(BankDocument& doc, const Asking& asking) {
    const std::vector<int> moved = doc.movedOffSlot();
    if (moved.empty()) {
        return true;
    }
    const QString text = MovedKitsQuestion(qsizetype(moved.size()), BankName(doc.bank()),
                                           Lines(OffSlotLines(doc, moved)));
    return NumberThemOrNot(doc, moved, asking, SaveQuestionTitle(), text, MovedKitsChoices());
}

SaveChoice AskAboutDisk(const BankDocument& doc, desktop::Prompts& prompts) {
    const DiskChange change = doc.changeOnDisk();
    if (!change.any()) {
        return SaveChoice::Save;
    }
    QStringList lines = Shown(change.changed);
    for (const QString& path : Shown(change.missing)) {
        lines << GoneFileLine(path);
    }
    const QString text = DiskChangedQuestion(BankName(doc.bank()), Lines(lines));
    if (change.changed.isEmpty()) {
        // Nothing to overwrite: the bank is kept best under a name of its own.
        const int chosen = prompts.choose(SaveQuestionTitle(), text, GoneFilesChoices());
        return chosen == 0 ? SaveChoice::SaveAs
                           : chosen == 1 ? SaveChoice::Save : SaveChoice::Cancel;
    }
    const int chosen = prompts.choose(SaveQuestionTitle(), text, ChangedFilesChoices());
    return chosen == 0 ? SaveChoice::Save : chosen == 1 ? SaveChoice::SaveAs : SaveChoice::Cancel;
}

bool AskBeforeSend(BankDocument& doc, const std::vector<int>& positions, bool wholeBank,
                   const Asking& asking, const SendPreviewWords& preview) {
    const std::vector<SharedNumber> shared = SharedNumbers(doc.bank().kits, positions);
    const std::vector<int> off =
        wholeBank ? OffSlotPositions(doc.bank().kits, doc.bank().positionSlots, positions)
                  : std::vector<int>();
    const QString asTheyAre = preview ? preview(KitsAt(doc, positions)) : QString();
    if (shared.empty() && off.empty()) {
        return asTheyAre.isEmpty() ||
               asking.prompts.choose(SendQuestionTitle(),
                                     asTheyAre + QStringLiteral("\n\n") + SendNowQuestion(),
                                     SendOrCancelChoices()) == 0;
    }
    QStringList parts;
    if (!shared.empty()) {
        parts << SharedNumbersPart(Lines(SharedLines(shared)));
    }
    if (!off.empty()) {
        parts << OffSlotsPart(Lines(OffSlotLines(doc, off)));
    }
    if (!asTheyAre.isEmpty()) {
        const QString numbered = preview(NumberedKitsAt(doc, positions));
        parts << (numbered == asTheyAre ? asTheyAre : NumberedPreviewText(numbered, asTheyAre));
    }
    parts << SendAsTheyAreQuestion();
    return NumberThemOrNot(doc, positions, asking, SendQuestionTitle(),
                           parts.join(QStringLiteral("\n\n")), SendChoices());
}

DiskNotice DiskNoticeFor(const BankDocument& doc, const DiskChange& change) {
    if (!change.any()) {
        return {};
    }
    QStringList lines = Shown(change.changed);
    for (const QString& path : Shown(change.missing)) {
        lines << GoneFileLine(path);
    }
    const QString files = Lines(lines).trimmed();
    if (!change.missing.isEmpty() && change.changed.isEmpty()) {
        return {FilesGoneNotice(files), false};
    }
    if (doc.isModified()) {
        return {FilesChangedOverEditsNotice(files), change.missing.isEmpty()};
    }
    return {FilesChangedNotice(files), change.missing.isEmpty()};
}

}  // namespace tamboril::library
