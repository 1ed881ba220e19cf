// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

namespace glossa {

// Which IDE Glossa works with. The Windows IDE runs tools on its live editor; the Linux and
// macOS IDE runs them on a saved copy of the source (file mode). The three also differ in
// their key codes for shortcuts.
enum class IdePlatform { Windows, Linux, MacOS };

// The platform Glossa was built for.
constexpr IdePlatform currentIdePlatform() {
#if defined(Q_OS_WIN)
    return IdePlatform::Windows;
#elif defined(Q_OS_MACOS)
    return IdePlatform::MacOS;
#else
    return IdePlatform::Linux;
#endif
}

} // namespace glossa
