#pragma once

#include <optional>
#include <span>
#include <string>

#include "engine/Census.h"
#include "threads/PatternKey.h"
#include "threads/ThreadCatalogue.h"

namespace brodix::threads {

// The key of a census: one row per palette colour with its stitches and floss and, when a
// catalogue is given, its nearest thread by CIEDE2000 and the other symbols matched to the
// same thread. White is a blank row (bare fabric) unless stitchWhite asks for it to be
// stitched like any colour. chosen[k], when given, is the thread chosen by hand for colour k,
// named in its row in place of the nearest (with or without a catalogue).
PatternKey BuildPatternKey(const Census& census, const ThreadCatalogue* catalogue,
                           const FlossModel& floss, bool stitchWhite = false,
                           std::span<const std::optional<Thread>> chosen = {});

// "= symbol 12" (and ", 14" for each further one) when other rows share the row's thread;
// empty otherwise.
std::string SameThreadNote(const KeyRow& row);

// What the key's totals of metres and skeins are of, said under them wherever they are shown:
// the rows are rounded to the decimals shown, so their sum may differ a little.
inline constexpr const char* kTotalsNote =
    "Totals are of the unrounded lengths, so they may differ a little from the sum of the rows.";

// The key as an aligned text table, and as CSV (RFC 4180, a header line first): symbol
// number (in the table followed by the symbol's character), colour, thread, name, delta E
// 2000, stitches, metres, skeins, shared thread. Both end with the floss model's line (in the
// table) and totals, the table with kTotalsNote.
std::string KeyTable(const PatternKey& key);
std::string KeyCsv(const PatternKey& key);

// The key's figures as text, wherever they are shown: value with decimals places ("%.*f"), and
// a colour as "#RRGGBB".
std::string Fixed(double value, int decimals);
// Metres of floss with decimals places; an amount that would round to nothing reads "< 0.1"
// (or "< 0.01"), never as none.
std::string MetresText(double metres, int decimals);
std::string HexColour(TColor colour);

// The tooltip of a legend row: thread number and name, delta E 2000, stitches and skeins.
std::string RowTooltip(const KeyRow& row);

}  // namespace brodix::threads
