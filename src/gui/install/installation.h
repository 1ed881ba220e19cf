// SPDX-License-Identifier: MIT
#pragma once

#include "install/installtool.h"

namespace glossa {

// The real surroundings of an installation on this platform: the two picker windows, a
// warning box for a file that can't be written, the IDE's folder and file names, and the
// running executable's full path.
InstallEnvironment systemInstallEnvironment(IdePlatform platform);

// The installation run (runInstallation of installtool.h) on this platform with the real windows
// and message boxes.
int runInstallation();

} // namespace glossa
