#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "pattern/Pattern.h"
#include "raster/Geometry.h"
#include "threads/PatternKey.h"

namespace brodix {

// The most the undo history holds; past it the oldest changes go.
inline constexpr std::size_t kMaxHistoryBytes = std::size_t{64} << 20;

// Why a change by hand cannot be made: what to tell the user, in plain English.
struct EditRefusal {
    std::string text;
};

// A pattern changed by hand, with its undo history. Each change is kept as what it changed (the
// stitches with their colours before and after, the colours' rows before and after), never as a
// copy of the pattern. The legend's rows keep their places: a colour changed keeps its row and
// its symbols; a colour added takes a new last row and the first free symbols; a colour taken
// away frees its row (the rows below move up) and its symbols.
class PatternEditor {
  public:
    explicit PatternEditor(Pattern pattern);

    const Pattern& Document() const { return m_pattern; }
    // The choices that change no stitch (Pattern::ChangeChoices); not a change by hand.
    void ChangeChoices(const threads::PatternSettings& settings);

    // Colour k takes thread's colour (when takeColour) and is named by it. A colour that ends on
    // the same thread as another (or the same colour) becomes one with it: the other keeps its
    // row and symbol.
    void ChangeThread(int k, const threads::Thread& thread, bool takeColour);
    // Every stitch of colour from takes colour into; from's row goes.
    void Merge(int from, int into);
    // Colour k's row goes; its stitches take the nearest remaining stitched colour by
    // CIEDE2000, or bare fabric when toFabric (or when no stitched colour remains).
    std::optional<EditRefusal> Remove(int k, bool toFabric);
    // The stitches at points take colour k (points outside the pattern are passed over). With
    // stroke set, the stitches join the last change when it was a Paint of the same colour and
    // nothing was undone since: one drag of the mouse is one change. Returns how many changed.
    int Paint(std::span<const TPoint> points, int k, bool stroke = false);
    // The area of one colour joined to at by edges (not corners) takes colour k.
    int Fill(TPoint at, int k);
    // The stitches at points become bare fabric, as Paint does.
    std::variant<int, EditRefusal> Erase(std::span<const TPoint> points, bool stroke = false);
    // A new colour in a new last row, named by thread (of thread's colour); its index.
    std::variant<int, EditRefusal> AddThread(const threads::Thread& thread);

    bool CanUndo() const { return m_done > 0; }
    bool CanRedo() const { return m_done < m_changes.size(); }
    // What Undo and Redo would do, as the menu names it: "Paint 12 Stitches".
    const std::string& UndoName() const;
    const std::string& RedoName() const;
    void Undo();
    void Redo();
    // Whether undo reaches back to the pattern as made (no change dropped for room), and how
    // many changes it can take back.
    bool UndoReachesMade() const { return m_dropped == 0; }
    int UndoableChanges() const { return static_cast<int>(m_done); }
    // The changes made by hand that are in the pattern now.
    int ChangesInEffect() const { return static_cast<int>(m_dropped + m_done); }
    // The pattern now is the one last marked saved (or as made, when none was).
    bool SavedNow() const;
    void MarkSaved();
    std::size_t HistoryBytes() const { return m_bytes; }

    // What the last change, undo or redo touched, for drawing only that again: the stitches
    // whose colour changed and the rows whose counts did (repeats possible); allRows when rows
    // themselves changed, so that everything is to be drawn again.
    struct Touched {
        std::vector<std::uint32_t> stitches;
        std::vector<int> rows;
        bool allRows = false;
    };
    const Touched& LastTouched() const { return m_touched; }

    // The change of a stitch and of the counts: palette index before and after at a stitch.
    struct StitchEdit {
        std::uint32_t at;
        std::uint8_t before;
        std::uint8_t after;
    };
    // The colours' rows as a whole: the census palette and the pattern's colours.
    struct Rows {
        std::vector<PaletteEntry> palette;
        std::vector<PatternColour> colours;
    };
    struct RowsChange {
        Rows before;
        Rows after;
    };
    // Every stitch's index renumbered (after a row is taken away); inverse undoes it.
    struct Renumber {
        std::array<std::uint8_t, 256> forward;
        std::array<std::uint8_t, 256> inverse;
    };
    using Step = std::variant<std::vector<StitchEdit>, RowsChange, Renumber>;
    struct Change {
        std::string name;
        std::string verb;  // of a change of stitches: "Paint", "Fill", "Erase"
        std::vector<Step> steps;
        int strokeColour = -1;  // the colour of a stroke that the next one may join
        std::uint64_t serial = 0;
        std::size_t bytes = 0;
    };

  private:
    Rows RowsNow() const;
    void Apply(const Step& step, bool forward);
    void SetRows(const Rows& rows);
    // The change being built: its steps are applied as they are added.
    void AddStep(Change& change, Step step);
    // Stitches given their colours: the edits, applied, with no edit for a stitch already so.
    std::vector<StitchEdit> EditsTo(std::span<const std::uint32_t> at, int k) const;
    void Record(Change change);
    // Moves every stitch of from to into and takes from's row away.
    void MergeSteps(Change& change, int from, int into);
    std::variant<int, EditRefusal> AddColourSteps(Change& change, TColor colour,
                                                  std::optional<threads::Thread> thread);
    // The row that stands for bare fabric, added when there is none.
    std::variant<int, EditRefusal> FabricRow(Change& change);
    // The stitches at points take colour k, in change (which may hold a step already).
    int PaintAt(Change change, std::span<const TPoint> points, int k, bool stroke);
    // The state a change left, 0 for the pattern as made.
    std::uint64_t SerialNow() const;

    Pattern m_pattern;
    std::deque<Change> m_changes;
    std::size_t m_done = 0;  // changes in effect; those after are redone by Redo
    std::size_t m_dropped = 0;
    std::size_t m_bytes = 0;
    std::uint64_t m_nextSerial = 1;
    std::uint64_t m_savedSerial = 0;  // 0: as made
    std::uint64_t m_baseSerial = 0;   // the state undo reaches back to
    Touched m_touched;
};

// The name of a change of n stitches: "Paint 1 Stitch", "Fill 240 Stitches".
std::string StitchesChangeName(const std::string& verb, int n);

}  // namespace brodix
