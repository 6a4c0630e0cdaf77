// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/KitArgs.h"

#include <QFile>

namespace tamboril::cli {

QString ArgText(const std::string& arg) {
    return QString::fromLocal8Bit(arg.data(), static_cast<qsizetype>(arg.size()));
}

QString ArgPath(const std::string& arg) {
    return QFile::decodeName(QByteArray(arg.data(), static_cast<qsizetype>(arg.size())));
}

}  // namespace tamboril::cli
