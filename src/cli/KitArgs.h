// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/KitWords.h"
#include "kit/FileIO.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace tamboril::cli {

// A plain decimal number of at most `digits` digits, leading zeros allowed
// ("07"), blanks around it ignored; nullopt for anything else.
std::optional<int> DecimalNumber(const QString& text, int digits);

// Pad by index ("0".."13") or by its pad list name ("SNARE 2"). Case and
// runs of blanks do not matter.
std::optional<int> FindPad(const QString& text);

// Sound by number ("0".."255"), by its sound list entry ("49 808 K1") or by
// its name ("808 K1"). Case and runs of blanks do not matter, so "99 rocks"
// finds "99 RockS " with its trailing blank.
std::optional<int> FindSound(const QString& text);

// What to tell a user whose pad or sound was not found.
QString PadNotFoundText(const QString& text);
QString SoundNotFoundText(const QString& text);

// A warning for a file of fileSize bytes read as a kit file (197 bytes) or
// as a bulk file (12608 bytes): how the difference is read. Empty when the
// size is the expected one.
QString KitSizeWarning(const QString& path, qint64 fileSize);
QString BulkSizeWarning(const QString& path, qint64 fileSize);

// A command-line argument as text. File names go through QFile::decodeName
// so that they name the same file the shell did.
QString ArgText(const std::string& arg);
QString ArgPath(const std::string& arg);

// A reason without its closing full stop, for a sentence that goes on
// ("It is a folder, not a file" + ". Nothing was written.").
QString WithoutFullStop(const QString& reason);

// What a failed write left: `usual` ("The file was left as it was."), or
// where the old content is when the file may be damaged.
QString AfterFailedWrite(const FileError& failure, const QString& usual);

// A failed write in one sentence: "cannot write FILE: REASON. " and what
// AfterFailedWrite says it left.
QString CannotWriteText(const FileError& failure, const QString& usual);

// A byte as "0xF0", and text with control characters shown as '.': the
// words both front ends share.
using tamboril::HexByte;
using tamboril::Printable;

}  // namespace tamboril::cli
