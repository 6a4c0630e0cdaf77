// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/KitText.h"

#include "sounds/PadSounds.h"

#include <QJsonArray>

namespace tamboril::cli {

void PrintJson(Console& console, const QJsonObject& object) {
    console.writeBytes(sheets::JsonBytes(object));
}

QJsonObject KitDifferenceJson(const KitData& a, const KitData& b, const KitComparison& c) {
    QJsonArray pads;
    for (const int pad : c.pads) {
        QJsonObject soundA = PadJson(pad, PadSound(a, pad));
        QJsonObject soundB = PadJson(pad, PadSound(b, pad));
        for (const char* key : {"index", "pad"}) {
            soundA.remove(QLatin1String(key));
            soundB.remove(QLatin1String(key));
        }
        pads.append(
            QJsonObject{{"index", pad}, {"pad", PadName(pad)}, {"a", soundA}, {"b", soundB}});
    }
    QJsonArray ranges;
    for (const RangeDifference& d : c.uninterpreted) {
        ranges.append(QJsonObject{{"first", static_cast<int>(d.range.first)},
                                  {"last", static_cast<int>(d.range.last)},
                                  {"count", static_cast<int>(d.count)}});
    }
    return QJsonObject{
        {"a", KitJson(a)},
        {"b", KitJson(b)},
        {"titleDiffers", c.titleDiffers},
        {"startDiffers", c.startDiffers},
        {"checksumDiffers", c.checksumDiffers},
        {"pads", pads},
        {"uninterpreted", ranges},
    };
}

}  // namespace tamboril::cli
