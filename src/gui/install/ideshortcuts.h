#pragma once

#include "install/ideplatform.h"

#include <cstdint>
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

    std::int32_t For(IdePlatform platform) const;
};

// The IDE's menu items with their default shortcuts (0 for none).
std::span<const IdeMenuShortcut> IdeMenuShortcuts();

// What the IDE counts as taken whatever its preferences say: Alt with the first character of
// its menu titles, Tab and Shift+Tab, and the combinations reserved on the platform.
std::vector<std::int32_t> IdeAlwaysTakenShortcuts(IdePlatform platform);

} // namespace glossa
