// SPDX-License-Identifier: GPL-3.0-or-later
#include "sounds/PadSounds.h"

#include <array>
#include <cassert>

namespace tamboril {

namespace {

constexpr std::array<const char*, PadCount> padNames = {
    "KICK 1", "KICK 2", "SNARE 1", "SNARE 2", "CLOSED HH", "OPEN HH", "HIT 1",
    "RIDE",   "HIT 2",  "CRASH",   "HIT 3",   "PERC 1",    "PERC 2",  "BASS",
};

// The instrument's internal sounds, sixteen to a line: each line shares the
// high hexadecimal digit.
constexpr std::array<const char*, SoundCount> soundNames = {
    "FingB1", "FingB2", "FingB3", "PickB1", "PickB2", "SlapB1", "SlapB2", "SlapB3", "AcosB1",
    "AcosB2", "WoodB1", "WoodB2", "FrtlsB", "Acid B", "DistTB", "SqswTB", "DsinTB", "DublTB",
    "SqurTB", "ResoTB", "DsawTB", "Saw TB", "AcosTB", "TBPadB", "SolidB", "HouseB", "TechnB",
    "SineB1", "SineB2", "BreakB", "Soul B", "OrganB", "5thOgB", "ResOgB", "101 B1", "101 B2",
    "101 B3", "MG B1",  "MG B2",  "SquarB", "Saw B1", "Saw B2", "Saw B3", "Hi-PFB", "ElecB1",
    "ElecB2", "SwPnkB", "NoizB1", "NoizB2", "808 K1", "808 K2", "808 K3", "909 K1", "909 K2",
    "606DSK", "707 K",  "AbstrK", "Jazz K", "Cave K", "BriteK", "BreakK", "PillwK", "HiHpK1",
    "HiHpK2", "HiHpK3", "Dist K", "ElectK", "MG bdK", "PB300K", "TightK", "JnglK1", "JnglK2",
    "ScrbdK", "Gate K", "Roll K", "SmashK", "Dark K", "99Teck", "Lofi K", "KnockK", "808 S1",
    "808 S2", "909 S1", "909 S2", "606DSS", "707 S",  "CR78 S", "HpdisS", "East S", "Pop S",
    "AbstrS", "JazzS1", "HipHpS", "UrbanS", "Drmn S", "JnglS1", "JnglS2", "HeadzS", "ScrchS",
    "RockS ", "BigBtS", "ElecS1", "StandS", "Fat1 S", "HpRm S", "RegaeS", "R8tapS", "Brasrl",
    "OldElS", "JazzS2", "LightS", "78scrS", "FatdsS", "ElecS2", "RitRmS", "WoodyS", "Tamb S",
    "HpFatS", "Slap S", "DrmRmS", "LooseS", "Cool S", "77mt S", "TecRmS", "Clap S", "Perc S",
    "Slit S", "JBeatS", "BreakS", "808RIM", "909RIM", "PB30Rm", "RagaRm", "Click",  "DryStk",
    "6DSCLP", "88DSCP", "909CLP", "RealCP", "ClapCP", "FnkyCP", "FunkCP", "DwnCP",  "SnarCP",
    "ShtCLP", "AtcCLP", "Snap",   "FngSNP", "808Tm1", "808Tm2", "808Tm3", "909Tm1", "909Tm2",
    "909Tm3", "DRTom1", "DRTom2", "DRTom3", "ElecT1", "ElecT2", "ElecT3", "OLDTm1", "OLDTm2",
    "808 CH", "909 CH", "707CHH", "78 CHH", "ElecCH", "HpHpCH", "NOIZCH", "JnglHH", "RelCH1",
    "RelCH2", "Pop CH", "808 OH", "909 OH", "707OHH", "HpHpOH", "NOIZOH", "RelOH1", "RelOH2",
    "Pop OH", "BrekOH", "PdlCHH", "808Cym", "909Cym", "CrashC", "DrumnC", "SplshC", "707RdC",
    "909RdC", "RideC1", "RideC2", "RidBlC", "808Cow", "Cowbel", "808Cng", "BongoH", "BongoL",
    "CongaH", "CongaL", "CongMT", "Marcas", "Shaker", "SurdMT", "SurdOP", "SrdOPL", "Tamb1",
    "Tamb2",  "TimblH", "TimblL", "TriaOP", "TriaMt", "GuiroS", "GuiroL", "Claves", "AgogoH",
    "AgogoL", "MtCuia", "OpCuia", "Bell",   "WhislL", "WhislS", "Bounce", "IrnDor", "ComeOn",
    "TBShot", "HpHpHT", "PinkHT", "WhitHT", "BackHT", "Philly", "RecrdN", "Scrt 1", "Scrt 2",
    "Scrt 3", "Scrt 4", "Scrt 5", "Scrt 6", "Scrt 7", "Scrt 8", "WindNZ", "CowHit", "TeckBP",
    "Beep",   "Bombb",  "MGBLIR", "MGBLP1", "MGBLP2", "REZNIZ", "RevClp", "RevSnr", "Rev HH",
    "RevCym", "RevTmb", "RevFx1", "RevFx2",
};

// Upper-case hexadecimal text without leading zeros: one digit for 0..15,
// two for 16..255.
QString hexText(int value) {
    return QString::number(value, 16).toUpper();
}

// The digit callers pass always converts; a failure can only come from a
// broken table and counts as 0, as an empty conversion result always has.
int hexDigit(const QString& text) {
    return Hex2Dec(text).value_or(0);
}

}  // namespace

QString PadName(int pad) {
    assert(pad >= 0 && pad < PadCount);
    return QString::fromLatin1(padNames[static_cast<std::size_t>(pad)]);
}

QString SoundName(int sound) {
    assert(sound >= 0 && sound < SoundCount);
    return QString::fromLatin1(soundNames[static_cast<std::size_t>(sound)]);
}

QString SoundEntry(int sound) {
    const QString number =
        sound <= 9 ? QStringLiteral("0") + QString::number(sound) : QString::number(sound);
    return number + QLatin1Char(' ') + SoundName(sound);
}

std::optional<int> Hex2Dec(const QString& text) {
    // Digits only: no sign, prefix or blanks. Seven digits keep any result
    // inside int.
    if (text.isEmpty() || text.size() > 7) {
        return std::nullopt;
    }
    int value = 0;
    for (const QChar c : text) {
        const auto digit = QStringView(u"0123456789ABCDEF").indexOf(c.toUpper());
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<int>(digit);
    }
    return value;
}

QString Hex2DecErrorText(const QString& text) {
    return QStringLiteral("Error: Can Not Convert: ") + text + QStringLiteral(" to Decimal.");
}

std::uint8_t Onebyte(int sound) {
    // The hexadecimal text of 0..15 has one digit, which is the low digit.
    if (sound < 16) {
        return 0;
    }
    return static_cast<std::uint8_t>(hexDigit(hexText(sound).left(1)));
}

std::uint8_t Twobyte(int sound) {
    return static_cast<std::uint8_t>(hexDigit(hexText(sound).right(1)));
}

void StorePadSound(KitData& kit, int pad, int sound) {
    assert(pad >= 0 && pad < PadCount);
    assert(sound >= 0 && sound < SoundCount);
    const auto high = PadBytesFirst + 2 * static_cast<std::size_t>(pad);
    kit[high] = Onebyte(sound);
    kit[high + 1] = Twobyte(sound);
}

int PadSound(const KitData& kit, int pad) {
    assert(pad >= 0 && pad < PadCount);
    const auto high = PadBytesFirst + 2 * static_cast<std::size_t>(pad);
    const QString joined = hexText(kit[high]) + hexText(kit[high + 1]);
    return hexDigit(joined.left(1) + joined.right(1));
}

}  // namespace tamboril
