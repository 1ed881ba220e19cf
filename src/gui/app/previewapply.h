#pragma once

namespace glossa {

class MainFlow;

// For the test of an installed Glossa (GLOSSA_PREVIEW_AND_APPLY): once the editor window is
// shown, presses the preview button, writes the path of every file the process has mapped to
// standard error (lines "glossa-mapped PATH"; Linux only), then presses Apply.
void SchedulePreviewAndApply(MainFlow& flow);

} // namespace glossa
