#include "Console.h"

#include <QByteArray>

namespace tamboril::cli {

namespace {

void put(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

}  // namespace

void Console::print(const QString& line) {
    put(out_, line + QLatin1Char('\n'));
}

void Console::write(const QString& text) {
    put(out_, text);
}

void Console::error(const QString& message) {
    std::fflush(out_);  // keep results and complaints in order on a shared terminal
    put(err_,
        QString::fromLatin1(ProgramName) + QStringLiteral(": ") + message + QLatin1Char('\n'));
    std::fflush(err_);
}

void Console::warning(const QString& message) {
    error(QStringLiteral("warning: ") + message);
}

bool Console::flushOutput() {
    return std::fflush(out_) == 0 && !std::ferror(out_);
}

}  // namespace tamboril::cli
