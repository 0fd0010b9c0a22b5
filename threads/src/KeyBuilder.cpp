#include "threads/KeyBuilder.h"

#include <cstdio>
#include <map>

#include "threads/Floss.h"

namespace brodix::threads {

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string HexColour(TColor colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", RedOf(colour), GreenOf(colour),
                  BlueOf(colour));
    return text;
}

namespace {

void MatchThreads(PatternKey& key, const ThreadCatalogue& catalogue) {
    std::vector<TColor> colours;
    for (const KeyRow& row : key.rows)
        colours.push_back(row.color);
    const std::vector<LabColour> labs = ToLab(colours);
    std::map<int, std::size_t> totalOf;  // thread index -> entry of key.threads
    for (std::size_t i = 0; i < key.rows.size(); ++i) {
        KeyRow& row = key.rows[i];
        const ColourMatcher::Match match = catalogue.matcher->Nearest(labs[i]);
        row.hasThread = true;
        row.thread = catalogue.threads[static_cast<std::size_t>(match.index)];
        row.deltaE = match.deltaE;
        const auto [at, added] = totalOf.emplace(match.index, key.threads.size());
        if (added)
            key.threads.push_back({row.thread, {}, 0, 0.0, 0});
        ThreadTotal& total = key.threads[at->second];
        total.symbols.push_back(row.symbol);
        total.stitches += row.stitches;
    }
    for (ThreadTotal& total : key.threads) {
        total.metres = FlossMetres(total.stitches, key.floss);
        total.skeins = Skeins(total.metres);
        for (int symbol : total.symbols) {
            for (int other : total.symbols) {
                if (other != symbol)
                    key.rows[static_cast<std::size_t>(symbol)].sameThreadAs.push_back(other);
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

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string Padded(const std::string& text, std::size_t width, bool right = false) {
    if (text.size() >= width)
        return text;
    const std::string blanks(width - text.size(), ' ');
    return right ? blanks + text : text + blanks;
}

}  // namespace

PatternKey BuildPatternKey(const Census& census, const ThreadCatalogue* catalogue,
                           const FlossModel& floss) {
    PatternKey key;
    key.floss = floss;
    for (std::size_t i = 0; i < census.palette.size(); ++i) {
        KeyRow row;
        row.symbol = static_cast<int>(i);
        row.color = census.palette[i].color;
        row.stitches = census.palette[i].count;
        row.metres = FlossMetres(row.stitches, floss);
        row.skeins = Skeins(row.metres);
        key.rows.push_back(std::move(row));
    }
    if (catalogue != nullptr && catalogue->matcher && !key.rows.empty()) {
        key.catalogueTitle = catalogue->title;
        MatchThreads(key, *catalogue);
    }
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
    std::string text = "Threads: " + (key.catalogueTitle.empty() ? "none" : key.catalogueTitle) +
                       "\n" + FlossModelText(key.floss) + "\n\n";
    text += "Symbol  Colour   Thread  Name                    ΔE00  Stitches  Metres  Skeins\n";
    for (const KeyRow& row : key.rows) {
        text += Padded(std::to_string(SymbolNumber(row.symbol)), 6, true) + "  " +
                HexColour(row.color) + "  ";
        if (row.hasThread) {
            text += Padded(row.thread.number, 6) + "  " + Padded(row.thread.name, 22) + "  " +
                    Padded(Fixed(row.deltaE, 1), 4, true);
        } else {
            text += Padded("-", 6) + "  " + Padded("-", 22) + "  " + Padded("-", 4, true);
        }
        text += "  " + Padded(std::to_string(row.stitches), 8, true) + "  " +
                Padded(Fixed(row.metres, 2), 6, true) + "  " +
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
    return text + "\n";
}

std::string KeyCsv(const PatternKey& key) {
    std::string text =
        "symbol,colour,thread,name,delta_e00,stitches,metres,skeins,same_thread_as\n";
    for (const KeyRow& row : key.rows) {
        text += std::to_string(SymbolNumber(row.symbol)) + "," + HexColour(row.color) + ",";
        if (row.hasThread) {
            text += CsvField(row.thread.number) + "," + CsvField(row.thread.name) + "," +
                    Fixed(row.deltaE, 2);
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
