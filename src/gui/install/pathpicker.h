// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace glossa {

// The line shown for a folder: whether it already holds a tools.prefs (anything of that name,
// a folder too, counts).
QString toolsPrefsFolderMessage(const QString& folder);

// Lets the user confirm the folder of tools.prefs in a window with a folder tree, a folder list
// and a status bar, running its own event loop. Starts at startFolder (which need not exist).
// Returns the confirmed folder ending in the platform's separator, or empty when the window is
// closed.
QString PathPicker(const QString& startFolder);

} // namespace glossa
