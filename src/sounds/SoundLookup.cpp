// SPDX-License-Identifier: GPL-3.0-or-later
#include "sounds/SoundLookup.h"

#include "sounds/PadSounds.h"

namespace tamboril {

namespace {

bool sameText(const QString& typed, const QString& known) {
    return typed.simplified().compare(known.simplified(), Qt::CaseInsensitive) == 0;
}

// A plain decimal number within 0..last, leading zeros allowed ("07").
std::optional<int> numberUpTo(const QString& text, int last) {
    const std::optional<int> value = DecimalNumber(text, 3);
    return value && *value <= last ? value : std::nullopt;
}

}  // namespace

std::optional<int> DecimalNumber(const QString& text, int digits) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > digits) {
        return std::nullopt;
    }
    for (const QChar c : trimmed) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    return trimmed.toInt();
}

std::optional<int> FindPad(const QString& text) {
    if (auto index = numberUpTo(text, PadCount - 1)) {
        return index;
    }
    for (int pad = 0; pad < PadCount; ++pad) {
        if (sameText(text, PadName(pad))) {
            return pad;
        }
    }
    return std::nullopt;
}

std::optional<int> FindSound(const QString& text) {
    if (auto number = numberUpTo(text, SoundCount - 1)) {
        return number;
    }
    // Entries first: they carry the number, so they are never ambiguous.
    for (int sound = 0; sound < SoundCount; ++sound) {
        if (sameText(text, SoundEntry(sound))) {
            return sound;
        }
    }
    for (int sound = 0; sound < SoundCount; ++sound) {
        if (sameText(text, SoundName(sound))) {
            return sound;
        }
    }
    return std::nullopt;
}

std::vector<int> SoundsMatching(const QString& text) {
    if (const std::optional<int> one = FindSound(text)) {
        return {*one};
    }
    std::vector<int> sounds;
    const QString part = text.simplified();
    if (part.isEmpty()) {
        return sounds;
    }
    for (int sound = 0; sound < SoundCount; ++sound) {
        if (SoundName(sound).simplified().contains(part, Qt::CaseInsensitive)) {
            sounds.push_back(sound);
        }
    }
    return sounds;
}

}  // namespace tamboril
