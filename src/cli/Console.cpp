// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Console.h"

#include "cli/CliTexts.h"

#include <QByteArray>

#include <unistd.h>

namespace tamboril::cli {

namespace {

void put(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

}  // namespace

Console::Console(std::FILE* out, std::FILE* err)
    : out_(out), err_(err), progressShown_(isatty(fileno(err)) != 0) {}

void Console::print(const QString& line) {
    endProgress();
    put(out_, line + QLatin1Char('\n'));
}

void Console::write(const QString& text) {
    endProgress();
    put(out_, text);
}

void Console::writeBytes(QByteArrayView bytes) {
    endProgress();
    std::fwrite(bytes.data(), 1, static_cast<std::size_t>(bytes.size()), out_);
}

void Console::error(const QString& message) {
    endProgress();
    std::fflush(out_);  // keep results and complaints in order on a shared terminal
    put(err_, ErrorLine(message) + QLatin1Char('\n'));
    std::fflush(err_);
}

void Console::warning(const QString& message) {
    error(WarningText(message));
}

void Console::progress(const QString& line) {
    if (!progressShown_) {
        return;
    }
    // Back to the start of the line, the new text, and the rest of the old
    // one erased.
    put(err_, QLatin1Char('\r') + line + QStringLiteral("\x1b[K"));
    std::fflush(err_);
    progressOnLine_ = true;
}

void Console::endProgress() {
    if (progressOnLine_) {
        put(err_, QStringLiteral("\n"));
        std::fflush(err_);
        progressOnLine_ = false;
    }
}

void Console::note(const QString& line) {
    if (!progressShown_) {
        return;
    }
    endProgress();
    put(err_, line + QLatin1Char('\n'));
    std::fflush(err_);
}

bool Console::flushOutput() {
    return std::fflush(out_) == 0 && !std::ferror(out_);
}

}  // namespace tamboril::cli
