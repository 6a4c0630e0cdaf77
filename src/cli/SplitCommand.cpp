// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/BulkSplit.h"
#include "cli/Command.h"
#include "cli/KitArgs.h"

#include <QDir>
#include <QFileInfo>

namespace tamboril::cli {

namespace {

// Cuts a bulk file into its 64 kit files, as "Spilt File" does, into a folder
// of the user's choosing.
class SplitCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "Example:\n"
            "  tamboril-kit split dump.syx --into kits");
        AddFileArgument(sub, "BULK", bulk_, "The bulk file: 64 kits of 197 bytes, back to back");
        sub.add_option("--into", into_,
                       "The folder for \"Kit - 63.syx\" ... \"Kit - 00.syx\" (default: the "
                       "current folder); it must exist")
            ->type_name("DIR")
            ->check(FileName());
    }

    int run(Console& console) override {
        const QString bulk = ArgPath(bulk_);
        const QString wanted = into_.empty() ? QDir::currentPath() : ArgPath(into_);
        const QFileInfo folderInfo(wanted);
        if (!folderInfo.exists()) {
            console.error(NoSplitFolderText(wanted));
            return ExitFailed;
        }
        if (!folderInfo.isDir()) {
            console.error(SplitIntoFileText(wanted));
            return ExitFailed;
        }
        const QString folder = QDir::cleanPath(folderInfo.absoluteFilePath());

        // A shorter file is refused by the split itself, with its reason.
        const QFileInfo bulkInfo(bulk);
        if (bulkInfo.isFile() && bulkInfo.size() > BulkSize) {
            if (const QString warning = BulkSizeWarning(bulk, bulkInfo.size());
                !warning.isEmpty()) {
                console.warning(warning);
            }
        }
        const SplitOutcome outcome = SplitBulkFile(bulk, folder);
        if (!outcome.ok()) {
            console.error(outcome.message());
            return ExitFailed;
        }
        console.print(outcome.message());
        return ExitOk;
    }

  private:
    std::string bulk_;
    std::string into_;
};

}  // namespace

std::unique_ptr<Command> MakeSplitCommand() {
    return std::make_unique<SplitCommand>();
}

}  // namespace tamboril::cli
