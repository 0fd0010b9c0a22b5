#pragma once

#include <optional>
#include <string>

#include <QObject>

#include "threads/PatternKey.h"
#include "threads/PatternSettings.h"
#include "ui/FileDialog.h"

class QMenu;

namespace brodix {

class Shell;
class TF_main;

// The pattern's part of the context menu of the legend and the chart (which the menu key also
// opens, anywhere in the window): it edits the window's pattern settings, for this run only (the
// thread catalogue, fabric count and strands of the key, and the options that refine Make's
// colours), and keeps the key of the last Make under them. When a catalogue is chosen, each
// legend row's tooltip names its thread. A change of Make's options reruns Make when AutoMake is
// ticked, as a level change does.
class PatternMenu : public QObject {
    Q_OBJECT

  public:
    // settings is the window's own, which this menu edits; it outlives the menu.
    PatternMenu(TF_main& window, Shell& shell, threads::PatternSettings& settings);
    ~PatternMenu() override;

    // Called after every Make that is done: the key follows the window's last census.
    void MakeDone();

    // Fills menu with the pattern's entries, in groups separated by lines.
    void FillMenu(QMenu& menu);

    // The choices, as the entries set them (each runs through the window's failure guard).
    void ChooseCatalogue(const std::string& path);  // empty: none
    void ChooseOtherCatalogue();
    void SetFabricCount(double count);
    void SetStrands(int strands);
    void SetSnap(bool on);
    void SetClean(bool on);
    void SetMinStitches(int stitches);
    void SetMaxColours(int colours);

    // The key of the last Make with the current choices (rows without threads when no
    // catalogue is chosen).
    const threads::PatternKey& Key() const { return m_key; }
    // The tooltip of the legend at y in its own pixels; empty where there is none.
    std::string LegendTooltip(int y) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void AddThreadEntries(QMenu& menu);
    void AddFlossEntries(QMenu& menu);
    void AddRefineEntries(QMenu& menu);
    void OptionsChanged();
    void RebuildKey();

    TF_main& m_window;
    Shell& m_shell;
    threads::PatternSettings& m_settings;
    TFileDialog m_catalogueDialog;
    threads::PatternKey m_key;
};

}  // namespace brodix
