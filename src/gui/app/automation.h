// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

#include <functional>

namespace glossa {

class MainFlow;

// What scripts and tests make a run do once its editor window is shown, read from the
// environment in this one place (empty: nothing, the user drives the window):
// - GLOSSA_SCREENSHOT=PNG (and GLOSSA_SCREENSHOT_PREVIEW=PNG): save pictures of the window (and
//   the preview), then close without applying (run-example, the Wine tests);
// - GLOSSA_PREVIEW_AND_APPLY: open the preview, list the mapped files, apply (package test);
// - GLOSSA_STARTUP_REPORT: print where start-up spent its time, counted from mainEnteredMsecs
//   (milliseconds since the epoch), then close (start-up benchmark).
std::function<void(MainFlow&)> automationFromEnvironment(qint64 mainEnteredMsecs);

} // namespace glossa
