// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Command.h"
#include "cli/KitArgs.h"
#include "kit/BulkJoin.h"
#include "kit/BulkSplit.h"
#include "kit/FileIO.h"
#include "kit/KitFile.h"

#include <QDir>
#include <QFileInfo>

namespace tamboril::cli {

namespace {

QString failureText(const JoinFailure& failure) {
    return JoinFailureLine(failure.file, failure.readError ? *failure.readError
                                                           : KitFileFaultText(*failure.fault));
}

// Puts 64 kit files together into one bulk file: the way back from split.
class JoinCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "Kit files are single kits of up to 200 bytes: 0xF0 first, 0xF7 in byte 196 and "
            "SysEx data bytes\n"
            "(below 0x80) in between. The first 197 bytes of each go into the bulk file "
            "unchanged, checksum\n"
            "included. When any file cannot go in, nothing is written.\n"
            "\n"
            "Examples:\n"
            "  tamboril-kit join dump.syx --from kits\n"
            "  tamboril-kit join dump.syx --from kits --fix-checksums\n"
            "  tamboril-kit join dump.syx first.syx second.syx ... last.syx   (64 files)");
        AddFileArgument(sub, "OUT", out_, "The bulk file to write (replaced if it exists)");
        CLI::Option* from =
            sub.add_option("--from", from_,
                           "A folder holding \"Kit - 63.syx\" ... \"Kit - 00.syx\", as split "
                           "writes them: \"Kit - 63.syx\" becomes the first kit, so a split "
                           "folder joins back into the same bulk file")
                ->type_name("DIR")
                ->check(FileName());
        sub.add_option("KIT", kits_,
                       "Or the 64 kit files, in bulk order: the first becomes position 0")
            ->check(FileName())
            ->excludes(from);
        sub.add_flag("--fix-checksums", fixChecksums_,
                     "Store each kit's file checksum (bytes 10 to 194) in its byte 195 first, "
                     "as Save does");
        sub.callback([this] {
            if (from_.empty() && kits_.empty()) {
                throw CLI::RequiredError(JoinSourceRequiredText(BulkKitCount).toStdString());
            }
            if (!kits_.empty() && kits_.size() != BulkKitCount) {
                throw CLI::ValidationError(
                    "KIT", JoinFileCountText(qsizetype(kits_.size()), BulkKitCount).toStdString());
            }
        });
    }

    int run(Console& console) override {
        const QString out = ArgPath(out_);
        QStringList paths;
        QString source;
        if (!from_.empty()) {
            source = ArgPath(from_);
            if (const QString problem = folderProblem(source); !problem.isEmpty()) {
                console.error(problem);
                return ExitFailed;
            }
            paths = SplitFilePaths(QDir::cleanPath(source));
        } else {
            for (const std::string& kit : kits_) {
                paths << ArgPath(kit);
            }
            source = KitFilesText(paths.size());
        }

        const JoinOutcome joined = JoinKitFiles(paths, fixChecksums_);
        if (!joined.ok()) {
            QStringList lines;
            for (const JoinFailure& failure : joined.failures) {
                lines << failureText(failure);
            }
            console.error(
                CannotJoinText(out, qsizetype(joined.failures.size()), paths.size(), lines));
            return ExitFailed;
        }
        if (const auto failure = ReplaceFile(out, joined.bulk)) {
            console.error(CannotWriteText(*failure, NothingWrittenText()));
            return ExitFailed;
        }
        console.print(JoinedText(paths.size(), source, out, joined.bulk.size(), fixChecksums_));
        return ExitOk;
    }

  private:
    // Why kits cannot be joined from folder; empty when they can.
    static QString folderProblem(const QString& folder) {
        const QFileInfo info(folder);
        if (!info.exists()) {
            return NoJoinFolderText(folder);
        }
        if (!info.isDir()) {
            return JoinFromFileText(folder);
        }
        return QString();
    }

    std::string out_;
    std::string from_;
    std::vector<std::string> kits_;
    bool fixChecksums_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeJoinCommand() {
    return std::make_unique<JoinCommand>();
}

}  // namespace tamboril::cli
