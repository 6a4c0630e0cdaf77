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
    return QStringLiteral("  %1: %2")
        .arg(failure.file, failure.readError ? *failure.readError : KitFileFaultText(*failure.fault));
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
        sub.add_option("OUT", out_, "The bulk file to write (replaced if it exists)")
            ->required()
            ->check(FileName());
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
                throw CLI::RequiredError(QStringLiteral("--from DIR or the %1 KIT files")
                                             .arg(BulkKitCount)
                                             .toStdString());
            }
            if (!kits_.empty() && kits_.size() != BulkKitCount) {
                throw CLI::ValidationError(
                    "KIT", QStringLiteral("%1 kit files were given; a bulk file takes %2, one for "
                                          "each position")
                               .arg(kits_.size())
                               .arg(BulkKitCount)
                               .toStdString());
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
                console.error(QStringLiteral("cannot join from %1: %2. Nothing was written.")
                                  .arg(source, problem));
                return ExitFailed;
            }
            paths = SplitFilePaths(QDir::cleanPath(source));
        } else {
            for (const std::string& kit : kits_) {
                paths << ArgPath(kit);
            }
            source = QStringLiteral("%1 kit files").arg(paths.size());
        }

        const JoinOutcome joined = JoinKitFiles(paths, fixChecksums_);
        if (!joined.ok()) {
            QStringList lines;
            for (const JoinFailure& failure : joined.failures) {
                lines << failureText(failure);
            }
            console.error(QStringLiteral("cannot join into %1: %2 of the %3 kit files cannot go "
                                         "into a bulk file. Nothing was written.\n")
                              .arg(out)
                              .arg(joined.failures.size())
                              .arg(paths.size()) +
                          lines.join(QLatin1Char('\n')));
            return ExitFailed;
        }
        if (const auto failure = ReplaceFile(out, joined.bulk)) {
            console.error(CannotWriteText(*failure, QStringLiteral("Nothing was written.")));
            return ExitFailed;
        }
        console.print(
            QStringLiteral("Joined %1 kits from %2 into %3 (%4 bytes)%5.")
                .arg(paths.size())
                .arg(source, out)
                .arg(joined.bulk.size())
                .arg(fixChecksums_ ? QStringLiteral(", file checksums stored") : QString()));
        return ExitOk;
    }

  private:
    static QString folderProblem(const QString& folder) {
        const QFileInfo info(folder);
        if (!info.exists()) {
            return QStringLiteral("there is no such folder");
        }
        if (!info.isDir()) {
            return QStringLiteral("it is a file, not a folder");
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
