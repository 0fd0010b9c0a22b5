#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/Census.h"
#include "threads/PatternKey.h"
#include "threads/PatternSettings.h"
#include "threads/ThreadCatalogue.h"

namespace brodix {

class PatternEditor;

// A symbol that no colour takes: a colour left as bare fabric has none where it is printed.
inline constexpr int kNoSymbol = -1;

// One colour of a pattern's palette, with the symbols it is shown by.
struct PatternColour {
    TColor colour = 0;
    // The cell of the symbol sheet the window's chart, its legend and the saved chart draw:
    // palette entry k takes cell k, the palette being in descending colour value.
    int sheetSymbol = 0;
    // The symbol the PDF and the OXS file give it, by use (the most stitched colour takes the
    // sheet's light mark, the next the sheet's next symbols); kNoSymbol when it is left as bare
    // fabric.
    int printedSymbol = kNoSymbol;
    // Left as bare fabric: white, unless the settings stitch it (threads::LeftAsFabric).
    bool blank = false;
    // The thread chosen for it by hand ("Change Thread..."), which the key names in place of
    // the nearest; none for a colour as made.
    std::optional<threads::Thread> chosenThread;
    // The catalogue chosenThread comes from when a chart file gave it ("DMC", as the file
    // names it); empty: the key's.
    std::string catalogue;
    friend bool operator==(const PatternColour&, const PatternColour&) = default;
};

// A colour's thread and symbol as a chart file gives them: the catalogue and the thread (no
// number when the file names none), and the printed symbol (kNoSymbol when it gives none the
// sheet has).
struct OwnThread {
    std::string catalogue;
    threads::Thread thread;
    int printedSymbol = kNoSymbol;
};

// The pattern document: what every output of a chart describes (the window's chart and legend,
// the PDF, the OXS file, the key, the report). Its stitches and palette as they were counted,
// each colour's symbols and thread, the settings it was made with and the picture it was made
// from. It is a value: made once by MakePattern, then changed through the operations below
// rather than worked out again from the picture.
class Pattern {
  public:
    // The pattern of a census: the symbols by use and the key are worked out once, here.
    // title is the chart's own (an OXS file's), kept whatever its file is called; empty: the
    // picture's name without folder and extension.
    Pattern(Census census, threads::PatternSettings settings, std::string pictureName,
            std::string title = {});

    int Width() const { return m_census.width; }
    int Height() const { return m_census.height; }
    // Every stitch's palette index and the palette with its counts, as the chart draws them.
    // As made, the palette is in descending colour value; after a change by hand it is in the
    // legend's rows, which keep their places (PatternEdits.h).
    const Census& Stitches() const { return m_census; }
    std::span<const PatternColour> Colours() const { return m_colours; }
    const PatternColour& Colour(int k) const { return m_colours[static_cast<std::size_t>(k)]; }
    // The key: each colour's thread, stitches and floss under the settings. Worked out again
    // when first asked for after a change, so that painting a stitch costs no thread matching.
    const threads::PatternKey& Key() const;
    const threads::PatternSettings& Settings() const { return m_settings; }
    // The picture's file as the user named it; its name titles the PDF and the OXS file.
    const std::string& PictureName() const { return m_pictureName; }
    // The title of the OXS file and the PDF's cover.
    std::string Title() const;

    // The choices that change no stitch take settings' values: the thread catalogue, the floss
    // model, the fabric's colour, white stitched or left as fabric, the report and the printed
    // pattern's paper and chart style. The key and the printed symbols follow. The choices that
    // refine the stitches (snap, clean, budget, merge, dither) stay those the pattern was made
    // with: changing them means making the pattern again.
    // After a change by hand, each colour keeps its symbols: one that becomes stitched takes
    // the first free printed symbol, one left as fabric gives its own up.
    void ChangeChoices(const threads::PatternSettings& settings);

    // Each stitched colour that one of own has (by colour, the first that has it) keeps its
    // thread where it is not the key's, and its symbol where no colour before took it; the
    // symbols these take from others are given again as a change by hand gives them. Nothing
    // changes when own gives the key's threads and the symbols by use.
    void KeepOwnThreads(std::span<const OwnThread> own);

    // The same stitches, colours, symbols, settings and picture name.
    friend bool operator==(const Pattern& a, const Pattern& b);

  private:
    friend class PatternEditor;

    void Derive();
    // Each colour's blank flag under the settings; printed symbols follow as ChangeChoices says.
    void KeepSymbolsUnderSettings();

    Census m_census;
    threads::PatternSettings m_settings;
    std::string m_pictureName;
    std::string m_title;
    std::vector<PatternColour> m_colours;
    // Set by the first change by hand: from then on the symbols are not given again by use.
    bool m_changedByHand = false;
    mutable std::optional<threads::PatternKey> m_key;
};

}  // namespace brodix
