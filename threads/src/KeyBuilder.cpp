#include "threads/KeyBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <span>
#include <string_view>

#include "engine/SymbolSheet.h"
#include "raster/Color.h"
#include "threads/Floss.h"

namespace brodix::threads {

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string MetresText(double metres, int decimals) {
    const double least = std::pow(10.0, -decimals);
    if (metres > 0 && metres < least / 2)
        return "< " + Fixed(least, decimals);
    return Fixed(metres, decimals);
}

std::string HexColour(TColor colour) {
    return HexRgb(colour).insert(0, 1, '#');
}

namespace {

// Each row's thread: the one chosen for it by hand, else the catalogue's nearest (none
// without a catalogue). Rows on the same thread share its total: by catalogue entry, or by
// number once a thread was chosen by hand, since a chosen thread need not come from the
// catalogue the key is matched to now.
void MatchThreads(PatternKey& key, const ThreadCatalogue* catalogue,
                  std::span<const std::optional<Thread>> chosen) {
    std::vector<TColor> colours;
    for (const KeyRow& row : key.rows)
        colours.push_back(row.color);
    const std::vector<LabColour> labs = ToLab(colours);
    std::map<int, std::size_t> totalOf;                // thread index -> entry of key.threads
    std::map<std::string, std::size_t> totalOfNumber;  // with threads chosen by hand
    for (std::size_t i = 0; i < key.rows.size(); ++i) {
        KeyRow& row = key.rows[i];
        if (row.blank)
            continue;
        const bool byHand = i < chosen.size() && chosen[i].has_value();
        std::size_t total = key.threads.size();
        if (byHand) {
            row.thread = *chosen[i];
            row.deltaE = DeltaE00(labs[i], ToLab(row.thread.color));
        } else if (catalogue != nullptr) {
            const ColourMatcher::Match match = catalogue->matcher->Nearest(labs[i]);
            row.thread = catalogue->ThreadAt(match.index);
            row.deltaE = match.deltaE;
            if (chosen.empty())
                total = totalOf.emplace(match.index, total).first->second;
        } else {
            continue;
        }
        row.hasThread = true;
        if (!chosen.empty())
            total = totalOfNumber.emplace(row.thread.number, total).first->second;
        if (total == key.threads.size())
            key.threads.push_back({row.thread, {}, 0, 0.0, 0});
        key.threads[total].symbols.push_back(row.symbol);
        key.threads[total].stitches += row.stitches;
    }
    for (ThreadTotal& total : key.threads) {
        total.metres = FlossMetres(total.stitches, key.floss);
        total.skeins = Skeins(total.metres);
        for (int symbol : total.symbols) {
            for (int other : total.symbols) {
                if (other != symbol)
                    key.Row(symbol).sameThreadAs.push_back(other);
            }
        }
    }
}

KeyTotals TotalsOf(const PatternKey& key) {
    KeyTotals totals;
    for (const KeyRow& row : key.rows) {
        totals.stitches += row.stitches;
        totals.metres += row.metres;
        if (key.threads.empty())
            totals.skeins += row.skeins;
    }
    for (const ThreadTotal& thread : key.threads)
        totals.skeins += thread.skeins;
    return totals;
}

// Catalogue text as a terminal may be shown it: control characters (C0, DEL and C1, which
// move the cursor, retitle windows or clear the screen) become '?'.
std::string Printable(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            shown += '?';
            ++i;
        } else {
            shown += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
        }
    }
    return shown;
}

// A field that a spreadsheet would run as a formula gets a leading apostrophe inside quotes,
// as OWASP recommends against CSV injection: it then shows as text. (Tab and carriage return,
// the other starts OWASP names, are already '?' here.)
std::string CsvField(const std::string& written) {
    const std::string text = Printable(written);
    const bool formula =
        !text.empty() && std::string_view("=+-@").find(text[0]) != std::string_view::npos;
    if (!formula && text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = formula ? "\"'" : "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

// Padded to width characters as shown, not bytes: "Orange‑Red" is 10 wide in 12 bytes.
std::string Padded(const std::string& text, std::size_t width, bool right = false) {
    const auto shown = static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
    if (shown >= width)
        return text;
    const std::string blanks(width - shown, ' ');
    return right ? blanks + text : text + blanks;
}

}  // namespace

PatternKey BuildPatternKey(const Census& census, const ThreadCatalogue* catalogue,
                           const FlossModel& floss, bool stitchWhite,
                           std::span<const std::optional<Thread>> chosen) {
    PatternKey key;
    key.floss = floss;
    for (std::size_t i = 0; i < census.palette.size(); ++i) {
        KeyRow row;
        row.symbol = static_cast<int>(i);
        row.color = census.palette[i].color;
        row.blank = LeftAsFabric(row.color, stitchWhite);
        row.stitches = row.blank ? 0 : census.palette[i].count;
        row.metres = FlossMetres(row.stitches, floss);
        row.skeins = Skeins(row.metres);
        key.rows.push_back(std::move(row));
    }
    const bool matched = catalogue != nullptr && catalogue->matcher && !key.rows.empty();
    if (matched)
        key.catalogueTitle = catalogue->title;
    if (matched || !chosen.empty())
        MatchThreads(key, matched ? catalogue : nullptr, chosen);
    key.totals = TotalsOf(key);
    return key;
}

std::string SameThreadNote(const KeyRow& row) {
    std::string note;
    for (int other : row.sameThreadAs) {
        note.append(note.empty() ? "= symbol " : ", ");
        note.append(std::to_string(SymbolNumber(other)));
    }
    return note;
}

std::string KeyTable(const PatternKey& key) {
    std::string text =
        "Threads: " + (key.catalogueTitle.empty() ? "none" : Printable(key.catalogueTitle)) + "\n" +
        FlossModelText(key.floss) + "\n\n";
    text += "Symbol    Colour   Thread  Name                    ΔE00  Stitches  Metres  Skeins\n";
    for (const KeyRow& row : key.rows) {
        // The number, and the character that stands for the symbol where text shows it.
        const std::string character = row.blank ? " " : SymbolText(row.symbol);
        text += Padded(std::to_string(SymbolNumber(row.symbol)), 6, true) + " " + character + "  " +
                HexColour(row.color) + "  ";
        if (row.hasThread) {
            text += Padded(Printable(row.thread.number), 6) + "  " +
                    Padded(Printable(row.thread.name), 22) + "  " +
                    Padded(Fixed(row.deltaE, 1), 4, true);
        } else if (row.blank) {
            text += Padded("-", 6) + "  " + Padded(kBlankRowText, 22) + "  " + Padded("-", 4, true);
        } else {
            text += Padded("-", 6) + "  " + Padded("-", 22) + "  " + Padded("-", 4, true);
        }
        text += "  " + Padded(std::to_string(row.stitches), 8, true) + "  " +
                Padded(MetresText(row.metres, 2), 6, true) + "  " +
                Padded(std::to_string(row.skeins), 6, true);
        const std::string note = SameThreadNote(row);
        if (!note.empty())
            text.append("  ").append(note);
        text += "\n";
    }
    const KeyTotals& totals = key.totals;
    text += "\nTotal: " + std::to_string(totals.stitches) + " stitches, " +
            Fixed(totals.metres, 2) + " m, " + std::to_string(totals.skeins) + " skeins";
    if (!key.threads.empty())
        text += " of " + std::to_string(key.threads.size()) + " threads";
    return text + "\n" + kTotalsNote + "\n";
}

std::string KeyCsv(const PatternKey& key) {
    std::string text =
        "symbol,colour,thread,name,delta_e00,stitches,metres,skeins,same_thread_as\n";
    for (const KeyRow& row : key.rows) {
        text += std::to_string(SymbolNumber(row.symbol)) + "," + HexColour(row.color) + ",";
        if (row.hasThread) {
            text += CsvField(row.thread.number) + "," + CsvField(row.thread.name) + "," +
                    Fixed(row.deltaE, 2);
        } else if (row.blank) {
            text += std::string(",") + kBlankRowText + ",";
        } else {
            text += ",,";
        }
        std::string same;
        for (int other : row.sameThreadAs) {
            same.append(same.empty() ? "" : " ");
            same.append(std::to_string(SymbolNumber(other)));
        }
        text.append(",").append(std::to_string(row.stitches));
        text.append(",").append(Fixed(row.metres, 2));
        text.append(",").append(std::to_string(row.skeins));
        text.append(",").append(same).append("\n");
    }
    return text;
}

std::string RowTooltip(const KeyRow& row) {
    if (row.blank)
        return kBlankRowText;
    std::string text;
    if (row.hasThread) {
        text = row.thread.number + (row.thread.name.empty() ? "" : " " + row.thread.name) +
               "\nΔE00 " + Fixed(row.deltaE, 1) + "\n";
    }
    text += std::to_string(row.stitches) + (row.stitches == 1 ? " stitch, " : " stitches, ") +
            std::to_string(row.skeins) + (row.skeins == 1 ? " skein" : " skeins");
    const std::string note = SameThreadNote(row);
    return note.empty() ? text : text + "\n" + note;
}

}  // namespace brodix::threads
