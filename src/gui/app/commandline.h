// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <QString>
#include <QStringList>

namespace glossa {

// What the command line asks for. Starts with every value zero, empty or off; options are
// applied from first to last, so a later one overrides what an earlier one set.
struct CommandLine {
    bool stayOnTop = false;       // "-sticky"
    std::int32_t searchMode = 0;  // "-search:"
    std::int32_t searchRange = 0; // "-searchrange:", never negative
    // "-winfont:" face|size|flags; each non-empty field overrides the earlier value.
    QString fontFace;
    std::int32_t fontSize = 0;
    std::int32_t fontFlags = 0;
    // File mode: the source file named by the last argument that is not an option, and the
    // raw value of "-caret:" (LINExCOLUMN or a byte offset; empty when not given).
    QString sourceFile;
    QString caret;
    // "-verbose": log what the run decides into glossa.log beside the settings file.
    bool verbose = false;

    bool operator==(const CommandLine&) const = default;
};

// Splits a raw command line at blanks (spaces and tabs); double quotes join blanks into one
// argument and are not part of it.
QStringList splitCommandLine(QStringView commandLine);

// Applies the arguments (without the program's own path) to a CommandLine, first to last.
// Options are recognised without regard to letter case; unknown options are ignored; a prefix
// option with nothing after its colon changes nothing.
CommandLine parseCommandLine(const QStringList& arguments, CommandLine start = {});

// Font flag bits of "-winfont:".
inline constexpr std::int32_t kFontUnderline = 0x4;
inline constexpr std::int32_t kFontStrikeOut = 0x8;
inline constexpr std::int32_t kFontHighQuality = 0x10;
inline constexpr std::int32_t kFontBold = 0x100;
inline constexpr std::int32_t kFontItalic = 0x200;

} // namespace glossa
