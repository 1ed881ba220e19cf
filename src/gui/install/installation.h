#pragma once

#include "install/installtool.h"

#include <functional>

namespace glossa {

// Shows a message to the user (title, text).
using MessageSink = std::function<void(const QString& title, const QString& text)>;

// The real surroundings of an installation on this platform: the two picker windows, a
// warning box for a file that can't be written, the IDE's folder and file names, and the
// running executable's full path.
InstallEnvironment SystemInstallEnvironment(IdePlatform platform);

// The installation run: installs Glossa with the platform's values and, on success, passes the
// "Success!" title and text to showSuccess. Returns the process's exit code, 0.
int RunInstallation(IdePlatform platform, const InstallEnvironment& env,
                    const MessageSink& showSuccess);

// The same on this platform with the real windows and message boxes.
int RunInstallation();

} // namespace glossa
