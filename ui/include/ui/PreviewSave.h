#pragma once

#include <vector>

#include "ui/PatternFileSave.h"

class QMenu;

namespace brodix {

class TF_main;

// "Save Preview...": the pattern of the last Make as it will look stitched, a PNG picture at
// the default pixels a stitch.
PatternFileSave MakePreviewSave();

// The dialog filter of "Save Preview...": "png".
std::vector<FileFilter> PreviewFileFilters();

// "Save Preview..." of the legend's and the chart's menu.
void AddSavePreviewEntry(QMenu& menu, TF_main& window);

}  // namespace brodix
