#pragma once

#include <optional>
#include <string>

#include <QObject>

#include "engine/Census.h"
#include "engine/MakeOptions.h"
#include "threads/PatternKey.h"
#include "threads/ThreadCatalogue.h"
#include "ui/FileDialog.h"

class QMenu;
class QPoint;

namespace brodix {

class Shell;
class TF_main;

// The pattern's part of the context menu of the legend and the chart (which the menu key also
// opens, anywhere in the window) and the choices it holds for this run only: the thread catalogue,
// fabric count and strands of the key, and the options that refine Make's colours. When a catalogue
// is chosen, each legend row's tooltip names its thread. A change of Make's options reruns Make
// when AutoMake is ticked, as a level change does.
class PatternMenu : public QObject {
    Q_OBJECT

  public:
    PatternMenu(TF_main& window, Shell& shell);
    ~PatternMenu() override;

    // What Make takes from the choices.
    MakeOptions Options() const;
    // Called after every Make that is done: the key follows the window's last census.
    void MakeDone();

    // Fills menu with the pattern's entries, in groups separated by lines.
    void FillMenu(QMenu& menu);
    // Builds the whole context menu (FillImageMenu) and runs it at globalPos.
    void Popup(const QPoint& globalPos);

    // The choices, as the entries set them (each runs through the window's failure guard).
    void ChooseCatalogue(const std::string& path);  // empty: none
    void ChooseOtherCatalogue();
    void SetFabricCount(double count);
    void SetStrands(int strands);
    void SetSnap(bool on);
    void SetClean(bool on);
    void SetMinStitches(int stitches);
    void SetMaxColours(int colours);

    const std::optional<threads::ThreadCatalogue>& Catalogue() const { return m_catalogue; }
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
    TFileDialog m_catalogueDialog;
    std::optional<threads::ThreadCatalogue> m_catalogue;
    threads::FlossModel m_floss;
    bool m_snap = false;
    bool m_clean = false;
    int m_minStitches = 0;
    int m_maxColours = 0;
    threads::PatternKey m_key;
};

}  // namespace brodix
