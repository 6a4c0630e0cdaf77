// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/KitText.h"

namespace tamboril::cli {

void PrintJson(Console& console, const QJsonObject& object) {
    console.writeBytes(sheets::JsonBytes(object));
}

}  // namespace tamboril::cli
