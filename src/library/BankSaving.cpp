// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/BankSaving.h"

#include "bank/BankWatcher.h"
#include "bank/KitWords.h"
#include "library/KitQuestions.h"
#include "library/Library.h"
#include "library/LibraryTexts.h"

#include <QFileInfo>

namespace tamboril::library {

BankSaving::BankSaving(Library& library, desktop::Prompts& prompts, QObject* parent)
    : QObject(parent), library_(library), prompts_(prompts) {}

void BankSaving::tell(const QString& text) {
    prompts_.message(LibraryTitle, text, desktop::Prompts::Severity::Critical);
}

bool BankSaving::save(BankDocument& doc) {
    if (!doc.hasFile()) {
        return saveAs(doc);
    }
    if (!AskAboutMovedKits(doc, {prompts_, library_.edits()})) {
        return false;
    }
    // Asked just before writing: the files are compared as they are now.
    switch (AskAboutDisk(doc, prompts_)) {
        case SaveChoice::Save:
            break;
        case SaveChoice::SaveAs:
            return saveAs(doc, false);
        case SaveChoice::Cancel:
            return false;
    }
    const BankSaveOutcome saved = doc.save();
    if (!saved.ok()) {
        tell(SaveFaultText(saved, doc.bank().source));
        return false;
    }
    library_.watcher().checkAll();
    emit bankSaved(&doc);
    emit status(SavedText(doc.bank().path));
    return true;
}

bool BankSaving::saveAs(BankDocument& doc, bool askAboutKits) {
    if (askAboutKits && !AskAboutMovedKits(doc, {prompts_, library_.edits()})) {
        return false;
    }
    const QString name = !doc.hasFile() || doc.bank().source == BankSource::Folder
                             ? BankName(doc.bank()) + QStringLiteral(".syx")
                             : QFileInfo(doc.bank().path).fileName();
    const auto path =
        prompts_.saveFile(SaveBankAsTitle(), library_.lastFolder(), name);
    if (!path) {
        return false;
    }
    const BankSource source = doc.kitCount() == 1 ? BankSource::KitFile : BankSource::BulkFile;
    const BankSaveOutcome saved = doc.saveAs(source, *path);
    if (!saved.ok()) {
        tell(SaveFaultText(saved, source));
        return false;
    }
    library_.watcher().checkAll();
    library_.rememberFile(*path);
    library_.rememberFolder(QFileInfo(*path).absolutePath());
    emit bankSaved(&doc);
    emit status(SavedText(*path));
    return true;
}

bool BankSaving::mayClose(BankDocument& doc) {
    if (!doc.isModified()) {
        return true;
    }
    switch (prompts_.askUnsaved(BankName(doc.bank()))) {
        case desktop::Prompts::Unsaved::Save:
            return save(doc);
        case desktop::Prompts::Unsaved::Discard:
            return true;
        case desktop::Prompts::Unsaved::Cancel:
            break;
    }
    return false;
}

bool BankSaving::reload(BankDocument& doc) {
    const BankOpenOutcome opened = doc.reload();
    if (!opened.bank) {
        tell(OpenFaultText(*opened.fault));
        return false;
    }
    library_.watcher().checkAll();
    emit status(ReadAgainText(doc.bank().path, doc.kitCount()));
    return true;
}

}  // namespace tamboril::library
