#pragma once

#include <optional>
#include <string>

#include <QObject>

#include "threads/PatternKey.h"
#include "threads/PatternSettings.h"
#include "ui/FileDialog.h"

class QAction;
class QMenu;
class QString;

namespace brodix {

namespace threads {
struct PatternOption;
}

class Shell;
class TF_main;

// The pattern's part of the context menu of the legend and the chart (which the menu key also
// opens, anywhere in the window): it edits the window's pattern settings (the thread catalogue,
// fabric count and strands of the key, and the options that refine Make's colours), remembered
// between runs; the choices that change no stitch take effect on the window's pattern at once.
// Until a catalogue is chosen the legend and the chart show a tooltip naming the menu and what it
// holds; then each legend row's tooltip names its thread. A refining choice runs Make at once when
// there is a picture, as the Make button does, whatever AutoMake says (refused, the choice is
// taken back); only the choices about the stitcher are remembered; fabric, strands and a
// catalogue without snap rebuild the key only. The PDF's paper and chart style, beside "Save
// PDF...", are remembered for the next PDF and change nothing else.
class PatternMenu : public QObject {
    Q_OBJECT

  public:
    // settings is the window's own, which this menu edits; it outlives the menu.
    PatternMenu(TF_main& window, Shell& shell, threads::PatternSettings& settings);
    ~PatternMenu() override;

    // Fills menu with the pattern's entries, in groups separated by lines.
    void FillMenu(QMenu& menu);
    // Fills menu with the PDF's paper and chart style, the entries beside "Save PDF...".
    void FillPdfMenu(QMenu& menu);

    // The choices, as the entries set them (each runs through the window's failure guard).
    void ChooseCatalogue(const std::string& path);  // empty: none
    void ChooseOtherCatalogue();
    void SetFabricCount(double count);
    void SetStrands(int strands);
    // "Fabric colour...": the colour the stitched preview shows the fabric in, asked for
    // through the shell.
    void SetFabricColour(TColor colour);
    void AskFabricColour();
    void SetStitchWhite(bool on);
    void SetSnap(bool on);
    void SetClean(bool on);
    void SetMinStitches(int stitches);
    void SetMaxColours(int colours);
    // "Other..." of the colour budget: any number of colours, asked for through the shell.
    void AskMaxColours();
    void SetDither(bool on);
    // "Reset Pattern Choices": every choice that changes the pattern back at its default.
    void ResetChoices();
    void SetReport(bool on);
    // "Stitchability Report...": the report of the last Make in the program's message box.
    void ShowReport();
    // Make took the photo defaults (a colour budget, the clean, and snap to the chosen
    // catalogue, else to the default one when found, which becomes the choice): settings hold
    // them, and the menu shows them from now on.
    void PhotoDefaultsTaken(const threads::PatternSettings& settings);

    // The key of the current pattern with the current choices (rows without threads when no
    // catalogue is chosen; none before the first Make).
    const threads::PatternKey& Key() const;
    // The tooltip of the legend at y in its own pixels (the menu's hint until a catalogue is
    // chosen); empty where there is none.
    std::string LegendTooltip(int y) const;
    // The tooltip over the legend and the chart naming the menu; empty once a catalogue is
    // chosen.
    std::string ImageHint() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void AddThreadEntries(QMenu& menu);
    void AddFlossEntries(QMenu& menu);
    void AddRefineEntries(QMenu& menu);
    void AddReportEntries(QMenu& menu);
    // A submenu of a word option's captions, the current one ticked.
    void AddWordChoices(QMenu& menu, const QString& title, const threads::PatternOption& option);
    QAction* AddToggle(QMenu& menu, const QString& text, bool on, void (PatternMenu::*set)(bool));
    void OptionsChanged(const threads::PatternSettings& before);
    void ShowHints();
    void Remember();

    TF_main& m_window;
    Shell& m_shell;
    threads::PatternSettings& m_settings;
    TFileDialog m_catalogueDialog;
};

}  // namespace brodix
