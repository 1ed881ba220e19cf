#pragma once

#include <QString>

namespace glossa {

class MainFlow;

// For runs without a display (scripts/run-example.sh): once the editor window is shown, saves
// a picture of it to pngPath and closes it without applying. With previewPngPath set, it first
// presses the preview button and saves a picture of the preview window there too.
void ScheduleScreenshots(MainFlow& flow, const QString& pngPath, const QString& previewPngPath);

} // namespace glossa
