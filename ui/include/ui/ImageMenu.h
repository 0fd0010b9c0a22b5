#pragma once

#include <initializer_list>

class QMenu;
class QWidget;

namespace brodix {

class TF_main;

// The context menu of the main window's legend and chart. Every entry is added by
// FillImageMenu, one line per feature, each feature's entry living in its own file. Opened on
// legend row legendRow (-1: elsewhere), it holds that row's entries too.
void FillImageMenu(QMenu& menu, TF_main& window, int legendRow = -1);

// Opens the menu on a right click over each of views, and over the legend on the menu key
// pressed anywhere in the window.
void InstallImageMenu(TF_main& window, std::initializer_list<QWidget*> views);

// The entries, one function per feature.
void AddOpenAnyPictureEntry(QMenu& menu, TF_main& window);
void AddSavePdfEntry(QMenu& menu, TF_main& window);
void AddSaveOxsEntry(QMenu& menu, TF_main& window);
// Threads, fabric count, strands and the options that refine Make (PatternMenu.cpp).
void AddPatternEntries(QMenu& menu, TF_main& window);
// The PDF's paper and chart style (PatternMenu.cpp).
void AddPdfChoiceEntries(QMenu& menu, TF_main& window);

}  // namespace brodix
