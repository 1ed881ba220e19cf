// SPDX-License-Identifier: MIT
#pragma once

#include "install/ideplatform.h"

#include <cstdint>
#include <QString>
#include <span>
#include <vector>

namespace glossa {

// One menu item of the IDE: its key in the group Shortcuts of the IDE's preferences and the
// shortcut the IDE gives it when that key is missing, in each platform's key codes.
struct IdeMenuShortcut {
    const char* key;
    std::int32_t onWindows;
    std::int32_t onLinux;
    std::int32_t onMacOS;

    std::int32_t forPlatform(IdePlatform platform) const;
};

// The IDE's menu items with their default shortcuts (0 for none).
std::span<const IdeMenuShortcut> ideMenuShortcuts();

// What the IDE counts as taken whatever its shortcut preferences say: Alt with the first
// character of each of its menu titles in the IDE's language (its CurrentLanguage, compared
// without regard to case; a language Glossa doesn't know has the English titles), Tab and
// Shift+Tab, and the combinations reserved on the platform.
std::vector<std::int32_t> ideAlwaysTakenShortcuts(IdePlatform platform, const QString& language);

} // namespace glossa
