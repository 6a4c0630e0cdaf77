// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/library/LibraryTexts.h"

#include "bank/KitWords.h"
#include "kit/KitFile.h"

#include <QFileInfo>

namespace tamboril::ui {

QString OpenFaultText(const BankOpenFault& fault) {
    switch (fault.kind) {
        case BankOpenFault::Kind::Unreadable:
            return QStringLiteral("Could not open %1: %2").arg(fault.path, fault.reason);
        case BankOpenFault::Kind::NotKitOrBulk:
            return QStringLiteral(
                       "Could not open %1: it is %2 bytes. A kit file has at most %3 bytes and "
                       "a bulk file of 64 kits exactly %4, so it is neither.")
                .arg(fault.path)
                .arg(fault.size)
                .arg(MaxKitFileSize)
                .arg(BulkSize);
        case BankOpenFault::Kind::FolderKits:
            break;
    }
    QStringList lines;
    for (const JoinFailure& failure : fault.failures) {
        lines << QStringLiteral("%1: %2").arg(
            failure.file, failure.readError ? *failure.readError : KitFileFaultText(*failure.fault));
    }
    return QStringLiteral(
               "Could not open the folder %1 as a bank: %2 of its 64 kit files (\"Kit - 63.syx\" "
               "to \"Kit - 00.syx\") are missing or are not kits.\n\n")
               .arg(fault.path)
               .arg(fault.failures.size()) +
           lines.join(QLatin1Char('\n'));
}

QString SaveFaultText(const BankSaveOutcome& outcome, BankSource source) {
    const FileError& first = *outcome.firstFailure;
    if (source == BankSource::Folder) {
        return QStringLiteral(
                   "%1 of the 64 kit files in %2 could not be saved.\nFirst failure: %3: %4\n"
                   "Each of them keeps what it held before.")
            .arg(outcome.failedCount)
            .arg(outcome.path, first.file, first.reason);
    }
    return QStringLiteral("Could not save %1: %2\nThe file keeps what it held before.")
        .arg(first.file, first.reason);
}

QString RefusalText(const EditOutcome& edit, int position, const QString& name) {
    if (!edit.refusal) {
        return QString();
    }
    switch (*edit.refusal) {
        case EditRefusal::NotEditable:
            return QStringLiteral("Kit %1 cannot be edited: its byte 0 is not 0xF0 (start of "
                                  "exclusive), so it is not a kit the editor takes.")
                .arg(position);
        case EditRefusal::BadName:
            return QStringLiteral("Cannot rename kit %1: %2.")
                .arg(position)
                .arg(KitNameFaultText(name, *edit.nameFault));
        case EditRefusal::NoChange:
            break;
    }
    return QString();
}

QString KitLabel(const Bank& bank, int position) {
    if (bank.source == BankSource::KitFile) {
        return QFileInfo(bank.path).fileName();
    }
    return QStringLiteral("%1 (position %2)").arg(SplitFileName(position)).arg(position);
}

QString BankName(const Bank& bank) {
    return QFileInfo(bank.path).fileName();
}

}  // namespace tamboril::ui
