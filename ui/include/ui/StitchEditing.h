#pragma once

#include <string>

#include <QObject>

#include "raster/Geometry.h"

class QAction;
class QMenu;

namespace brodix {

class Shell;
class TF_main;

// The changes by hand of the window's pattern: the current colour, chosen by a left click on a
// legend row (marked on screen only); the legend row's entries of the context menu ("Change
// Thread...", "Merge Into...", "Remove Colour", "Add Thread..."); the "Edit Stitches" mode, in
// which a left click or drag on the chart applies the tool (Paint, Fill, Erase); undo and redo.
// Every change goes through the pattern's editor (pattern/PatternEdits.h); the window redraws
// the pattern after it and the note names the current colour and tool.
class StitchEditing : public QObject {
    Q_OBJECT

  public:
    enum class Tool { Paint, Fill, Erase };

    StitchEditing(TF_main& window, Shell& shell);

    // The legend row's entries for row (none when row is not a row of the pattern), then the
    // stitch editing entries and undo and redo.
    void FillMenu(QMenu& menu, int row);

    // The current colour's row; -1 when none is chosen.
    int CurrentColour() const { return m_colour; }
    void ChooseColour(int row);
    bool Editing() const;
    void SetEditing(bool on);
    Tool CurrentTool() const { return m_tool; }
    void SetTool(Tool tool);

    void ChangeThread(int row);
    void MergeInto(int row, int into);
    void RemoveColour(int row, bool toFabric);
    void AddThread();
    // The tool at a stitch of the chart; stroke joins a drag into one change.
    void ApplyTool(TPoint stitch, bool stroke);
    void Undo();
    void Redo();

    // A new pattern was made: no colour is current.
    void PatternMade();
    // What the note says of the current colour and tool; empty when there is nothing to say.
    std::string NoteText() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The pattern drawn again after a change, then ShowColour.
    void Changed();
    // The current colour's row marked, the menu's undo and redo named and the note written.
    void ShowColour();
    void UpdateActions();
    void Refused(const std::string& text);

    TF_main& m_window;
    Shell& m_shell;
    int m_colour = -1;
    Tool m_tool = Tool::Paint;
    bool m_dragging = false;
    QAction* m_edit = nullptr;
    QAction* m_tools[3] = {};
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
};

}  // namespace brodix
