// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/Bank.h"
#include "cli/Command.h"
#include "cli/KitArgs.h"
#include "sheets/KitSheet.h"

#include <QDateTime>

namespace tamboril::cli {

namespace {

// The name that stands for standard output.
const std::string StandardOutput = "-";

// Writes what a bank holds as a kit sheet: a PDF to print, CSV for a
// spreadsheet, or the JSON `show --json` prints. Drawing the PDF needs a
// QGuiApplication, which the program makes (offscreen) for this command only.
class SheetCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "BANK is opened as the Library opens it: a bulk file of 64 kits, a kit file, or a "
            "folder of\n"
            "\"Kit - 63.syx\" ... \"Kit - 00.syx\". The PDF is A4 (Letter where the locale "
            "measures in the US\n"
            "system), 4 kits a page. FILE is replaced if it exists; - writes CSV or JSON to "
            "standard output.\n"
            "\n"
            "Examples:\n"
            "  tamboril-kit sheet dump.syx --pdf dump.pdf\n"
            "  tamboril-kit sheet kits --csv - | column -s, -t");
        AddFileArgument(sub, "BANK", bank_,
                        "A bulk file, a kit file or a folder of split kit files");
        CLI::Option* pdf =
            sub.add_option("--pdf", pdf_, "Write the sheet to print, as PDF, to FILE")
                ->type_name("FILE")
                ->check(FileName());
        CLI::Option* csv = sub.add_option("--csv", csv_,
                                          "Write one row a kit as CSV (UTF-8, RFC 4180) to FILE")
                               ->type_name("FILE")
                               ->check(FileName())
                               ->excludes(pdf);
        sub.add_option("--json", json_, "Write the bank as show --json prints it to FILE")
            ->type_name("FILE")
            ->check(FileName())
            ->excludes(pdf)
            ->excludes(csv);
        sub.callback([this] {
            if (pdf_.empty() && csv_.empty() && json_.empty()) {
                throw CLI::RequiredError(SheetFormatRequiredText().toStdString());
            }
            if (pdf_ == StandardOutput) {
                throw CLI::ValidationError("--pdf", PdfToStandardOutputText().toStdString());
            }
        });
    }

    int run(Console& console) override {
        const QString path = ArgPath(bank_);
        const BankOpenOutcome opened = OpenBank(path);
        if (!opened.bank) {
            console.error(CannotOpenBankText(*opened.fault));
            return ExitFailed;
        }
        if (opened.shortKitFileSize) {
            console.warning(ShortKitFileWarning(path, *opened.shortKitFileSize));
        }
        const sheets::KitSheet sheet =
            sheets::SheetOfBank(*opened.bank, {}, QDateTime::currentDateTime());
        const auto [format, target] = chosen();
        if (target == StandardOutput) {
            console.writeBytes(sheets::SheetBytes(sheet, format));
            return ExitOk;
        }
        const QString file = ArgPath(target);
        if (const auto failure = sheets::WriteSheet(sheet, format, file)) {
            console.error(CannotWriteText(*failure, NothingWrittenText()));
            return ExitFailed;
        }
        console.print(SheetWrittenText(path, qsizetype(sheet.kits.size()), file));
        return ExitOk;
    }

  private:
    std::pair<sheets::SheetFormat, std::string> chosen() const {
        if (!pdf_.empty()) {
            return {sheets::SheetFormat::Pdf, pdf_};
        }
        if (!csv_.empty()) {
            return {sheets::SheetFormat::Csv, csv_};
        }
        return {sheets::SheetFormat::Json, json_};
    }

    std::string bank_;
    std::string pdf_;
    std::string csv_;
    std::string json_;
};

}  // namespace

std::unique_ptr<Command> MakeSheetCommand() {
    return std::make_unique<SheetCommand>();
}

}  // namespace tamboril::cli
