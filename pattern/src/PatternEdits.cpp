#include "pattern/PatternEdits.h"

#include <algorithm>
#include <utility>

#include "engine/ColourDifference.h"
#include "engine/SymbolSheet.h"

namespace brodix {

namespace {

const std::string kNothing;

constexpr const char* kTooManyColours =
    "The pattern already has 255 colours, the most a chart can hold, so no colour can be added. "
    "Merge two colours or remove one first, then try again.";
constexpr const char* kNoFabric =
    "White is stitched in this pattern, so no stitch can be left as bare fabric. Turn off "
    "\"Stitch white\" in the pattern menu first, or paint with a colour instead.";
constexpr const char* kLastColour =
    "This is the pattern's only colour, and a pattern keeps at least one. Add another colour "
    "first, then remove this one.";

std::size_t RowsBytes(const PatternEditor::Rows& rows) {
    std::size_t bytes =
        rows.palette.size() * sizeof(PaletteEntry) + rows.colours.size() * sizeof(PatternColour);
    for (const PatternColour& colour : rows.colours) {
        if (colour.chosenThread)
            bytes += colour.chosenThread->number.size() + colour.chosenThread->name.size();
        bytes += colour.catalogue.size();
    }
    return bytes;
}

std::size_t BytesOf(const PatternEditor::Change& change) {
    std::size_t bytes = sizeof change + change.name.size() + change.verb.size();
    for (const PatternEditor::Step& step : change.steps) {
        bytes += sizeof step;
        if (const auto* edits = std::get_if<std::vector<PatternEditor::StitchEdit>>(&step))
            bytes += edits->size() * sizeof(PatternEditor::StitchEdit);
        else if (const auto* rows = std::get_if<PatternEditor::RowsChange>(&step))
            bytes += RowsBytes(rows->before) + RowsBytes(rows->after);
    }
    return bytes;
}

// The first symbol of order that no colour takes by symbolOf; kNoSymbol when all are taken.
template <typename SymbolOf>
int FirstFreeSymbol(std::span<const PatternColour> colours, std::span<const int> order,
                    SymbolOf symbolOf) {
    std::vector<bool> taken(static_cast<std::size_t>(kSymbolCount), false);
    for (const PatternColour& colour : colours) {
        const int symbol = symbolOf(colour);
        if (symbol >= 0 && symbol < kSymbolCount)
            taken[static_cast<std::size_t>(symbol)] = true;
    }
    for (int symbol : order) {
        if (!taken[static_cast<std::size_t>(symbol)])
            return symbol;
    }
    return kNoSymbol;
}

PatternEditor::Change Named(std::string name) {
    PatternEditor::Change change;
    change.name = std::move(name);
    return change;
}

PatternEditor::Change OfStitches(std::string verb) {
    PatternEditor::Change change;
    change.verb = std::move(verb);
    return change;
}

}  // namespace

std::string StitchesChangeName(const std::string& verb, int n) {
    return verb + " " + std::to_string(n) + (n == 1 ? " Stitch" : " Stitches");
}

PatternEditor::PatternEditor(Pattern pattern) : m_pattern(std::move(pattern)) {}

void PatternEditor::ChangeChoices(const threads::PatternSettings& settings) {
    m_pattern.ChangeChoices(settings);
}

PatternEditor::Rows PatternEditor::RowsNow() const {
    return {m_pattern.m_census.palette, m_pattern.m_colours};
}

void PatternEditor::SetRows(const Rows& rows) {
    m_pattern.m_census.palette = rows.palette;
    m_pattern.m_colours = rows.colours;
    std::vector<int>& symbols = m_pattern.m_census.symbols;
    symbols.clear();
    bool moved = false;
    for (std::size_t k = 0; k < rows.colours.size(); ++k) {
        symbols.push_back(rows.colours[k].sheetSymbol);
        moved = moved || rows.colours[k].sheetSymbol != static_cast<int>(k);
    }
    if (!moved)
        symbols.clear();
    m_pattern.KeepSymbolsUnderSettings();
}

void PatternEditor::Apply(const Step& step, bool forward) {
    Census& census = m_pattern.m_census;
    if (const auto* edits = std::get_if<std::vector<StitchEdit>>(&step)) {
        const auto change = [&](const StitchEdit& edit) {
            const std::uint8_t from = forward ? edit.before : edit.after;
            const std::uint8_t to = forward ? edit.after : edit.before;
            census.stitches[edit.at] = to;
            --census.palette[from].count;
            ++census.palette[to].count;
            m_touched.stitches.push_back(edit.at);
            m_touched.rows.push_back(from);
            m_touched.rows.push_back(to);
        };
        if (forward)
            std::for_each(edits->begin(), edits->end(), change);
        else
            std::for_each(edits->rbegin(), edits->rend(), change);
    } else if (const auto* rows = std::get_if<RowsChange>(&step)) {
        SetRows(forward ? rows->after : rows->before);
        m_touched.allRows = true;
    } else {
        const Renumber& renumber = std::get<Renumber>(step);
        const auto& table = forward ? renumber.forward : renumber.inverse;
        for (std::uint8_t& stitch : census.stitches)
            stitch = table[stitch];
    }
    m_pattern.m_key.reset();
}

void PatternEditor::AddStep(Change& change, Step step) {
    Apply(step, true);
    change.steps.push_back(std::move(step));
}

std::vector<PatternEditor::StitchEdit> PatternEditor::EditsTo(std::span<const std::uint32_t> at,
                                                              int k) const {
    std::vector<StitchEdit> edits;
    const auto to = static_cast<std::uint8_t>(k);
    for (std::uint32_t i : at) {
        const std::uint8_t before = m_pattern.m_census.stitches[i];
        if (before != to)
            edits.push_back({i, before, to});
    }
    return edits;
}

void PatternEditor::Record(Change change) {
    if (change.steps.empty())
        return;
    while (m_changes.size() > m_done) {
        m_bytes -= m_changes.back().bytes;
        m_changes.pop_back();
    }
    change.bytes = BytesOf(change);
    change.serial = m_nextSerial++;
    m_bytes += change.bytes;
    m_changes.push_back(std::move(change));
    ++m_done;
    m_pattern.m_changedByHand = true;
    while (m_bytes > kMaxHistoryBytes && !m_changes.empty()) {
        m_bytes -= m_changes.front().bytes;
        m_baseSerial = m_changes.front().serial;
        m_changes.pop_front();
        --m_done;
        ++m_dropped;
    }
}

const std::string& PatternEditor::UndoName() const {
    return CanUndo() ? m_changes[m_done - 1].name : kNothing;
}

const std::string& PatternEditor::RedoName() const {
    return CanRedo() ? m_changes[m_done].name : kNothing;
}

void PatternEditor::Undo() {
    m_touched = {};
    if (!CanUndo())
        return;
    const Change& change = m_changes[--m_done];
    for (auto step = change.steps.rbegin(); step != change.steps.rend(); ++step)
        Apply(*step, false);
}

void PatternEditor::Redo() {
    m_touched = {};
    if (!CanRedo())
        return;
    const Change& change = m_changes[m_done++];
    for (const Step& step : change.steps)
        Apply(step, true);
}

std::uint64_t PatternEditor::SerialNow() const {
    return m_done > 0 ? m_changes[m_done - 1].serial : m_baseSerial;
}

bool PatternEditor::SavedNow() const {
    return SerialNow() == m_savedSerial;
}

void PatternEditor::MarkSaved() {
    m_savedSerial = SerialNow();
}

void PatternEditor::MergeSteps(Change& change, int from, int into) {
    const auto source = static_cast<std::uint8_t>(from);
    std::vector<std::uint32_t> at;
    const std::vector<std::uint8_t>& stitches = m_pattern.m_census.stitches;
    for (std::size_t i = 0; i < stitches.size(); ++i) {
        if (stitches[i] == source)
            at.push_back(static_cast<std::uint32_t>(i));
    }
    if (!at.empty())
        AddStep(change, EditsTo(at, into));
    RowsChange rows{RowsNow(), RowsNow()};
    const auto row = static_cast<std::ptrdiff_t>(from);
    rows.after.palette.erase(rows.after.palette.begin() + row);
    rows.after.colours.erase(rows.after.colours.begin() + row);
    AddStep(change, std::move(rows));
    Renumber renumber{};
    for (int i = 0; i < 256; ++i) {
        renumber.forward[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(i > from ? i - 1 : i);
        renumber.inverse[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(i >= from && i < 255 ? i + 1 : i);
    }
    AddStep(change, renumber);
}

std::variant<int, EditRefusal> PatternEditor::AddColourSteps(
    Change& change, TColor colour, std::optional<threads::Thread> thread) {
    const std::vector<PatternColour>& colours = m_pattern.m_colours;
    if (colours.size() >= static_cast<std::size_t>(kMaxColors))
        return EditRefusal{kTooManyColours};
    RowsChange rows{RowsNow(), RowsNow()};
    PatternColour added;
    added.colour = colour;
    added.blank = threads::LeftAsFabric(colour, m_pattern.m_settings.stitchWhite);
    added.sheetSymbol = FirstFreeSymbol(colours, SheetOrder(),
                                        [](const PatternColour& c) { return c.sheetSymbol; });
    if (!added.blank) {
        added.printedSymbol = FirstFreeSymbol(
            colours, SheetOrder(), [](const PatternColour& c) { return c.printedSymbol; });
    }
    added.chosenThread = std::move(thread);
    rows.after.palette.push_back({colour, 0});
    rows.after.colours.push_back(std::move(added));
    AddStep(change, std::move(rows));
    return static_cast<int>(colours.size()) - 1;
}

std::variant<int, EditRefusal> PatternEditor::FabricRow(Change& change) {
    const std::vector<PatternColour>& colours = m_pattern.m_colours;
    const auto blank = std::find_if(colours.begin(), colours.end(),
                                    [](const PatternColour& c) { return c.blank; });
    if (blank != colours.end())
        return static_cast<int>(blank - colours.begin());
    if (!threads::LeftAsFabric(clWhite, m_pattern.m_settings.stitchWhite))
        return EditRefusal{kNoFabric};
    return AddColourSteps(change, clWhite, std::nullopt);
}

void PatternEditor::ChangeThread(int k, const threads::Thread& thread, bool takeColour) {
    m_touched = {};
    const std::vector<PatternColour>& colours = m_pattern.m_colours;
    const TColor colour = takeColour ? thread.color : colours[static_cast<std::size_t>(k)].colour;
    const threads::PatternKey& key = m_pattern.Key();
    Change change = Named("Change Thread");
    for (std::size_t j = 0; j < colours.size(); ++j) {
        const auto other = static_cast<int>(j);
        const threads::KeyRow& row = key.Row(other);
        const bool sameThread = row.hasThread && row.thread.number == thread.number;
        if (other != k && !colours[j].blank && (sameThread || colours[j].colour == colour)) {
            MergeSteps(change, k, other);
            Record(std::move(change));
            return;
        }
    }
    RowsChange rows{RowsNow(), RowsNow()};
    rows.after.palette[static_cast<std::size_t>(k)].color = colour;
    PatternColour& changed = rows.after.colours[static_cast<std::size_t>(k)];
    changed.colour = colour;
    changed.chosenThread = thread;
    changed.catalogue.clear();
    if (rows.after.colours != rows.before.colours)
        AddStep(change, std::move(rows));
    Record(std::move(change));
}

void PatternEditor::Merge(int from, int into) {
    m_touched = {};
    if (from == into)
        return;
    Change change = Named("Merge Colours");
    MergeSteps(change, from, into);
    Record(std::move(change));
}

std::optional<EditRefusal> PatternEditor::Remove(int k, bool toFabric) {
    m_touched = {};
    const std::vector<PatternColour>& colours = m_pattern.m_colours;
    Change change = Named("Remove Colour");
    int target = -1;
    if (!toFabric) {
        const LabColour lab = ToLab(colours[static_cast<std::size_t>(k)].colour);
        double nearest = 0.0;
        for (std::size_t j = 0; j < colours.size(); ++j) {
            if (static_cast<int>(j) == k || colours[j].blank)
                continue;
            const double difference = DeltaE00(lab, ToLab(colours[j].colour));
            if (target < 0 || difference < nearest) {
                target = static_cast<int>(j);
                nearest = difference;
            }
        }
    }
    if (target < 0) {
        for (std::size_t j = 0; j < colours.size() && target < 0; ++j) {
            if (static_cast<int>(j) != k && colours[j].blank)
                target = static_cast<int>(j);
        }
    }
    if (target < 0) {
        if (colours.size() == 1 && !toFabric)
            return EditRefusal{kLastColour};
        if (colours[static_cast<std::size_t>(k)].blank)
            return EditRefusal{kLastColour};
        const std::variant<int, EditRefusal> fabric = FabricRow(change);
        if (const auto* refusal = std::get_if<EditRefusal>(&fabric))
            return *refusal;
        target = std::get<int>(fabric);
    }
    MergeSteps(change, k, target);
    Record(std::move(change));
    return std::nullopt;
}

int PatternEditor::PaintAt(Change change, std::span<const TPoint> points, int k, bool stroke) {
    const Census& census = m_pattern.m_census;
    std::vector<std::uint32_t> at;
    for (const TPoint& point : points) {
        if (point.x >= 0 && point.y >= 0 && point.x < census.width && point.y < census.height)
            at.push_back(static_cast<std::uint32_t>(GridIndex(point.x, point.y, census.width)));
    }
    std::sort(at.begin(), at.end());
    at.erase(std::unique(at.begin(), at.end()), at.end());
    std::vector<StitchEdit> edits = EditsTo(at, k);
    const int changed = static_cast<int>(edits.size());
    if (changed == 0) {
        for (auto step = change.steps.rbegin(); step != change.steps.rend(); ++step)
            Apply(*step, false);
        return 0;
    }
    const bool joins =
        stroke && change.steps.empty() && CanUndo() && !CanRedo() &&
        m_changes.back().verb == change.verb && m_changes.back().strokeColour == k &&
        std::holds_alternative<std::vector<StitchEdit>>(m_changes.back().steps.back());
    if (joins) {
        Change& last = m_changes.back();
        auto& lastEdits = std::get<std::vector<StitchEdit>>(last.steps.back());
        Apply(Step(edits), true);
        lastEdits.insert(lastEdits.end(), edits.begin(), edits.end());
        last.name = StitchesChangeName(last.verb, static_cast<int>(lastEdits.size()));
        m_bytes += edits.size() * sizeof(StitchEdit);
        last.bytes += edits.size() * sizeof(StitchEdit);
        last.serial = m_nextSerial++;
        return changed;
    }
    change.name = StitchesChangeName(change.verb, changed);
    change.strokeColour = k;
    AddStep(change, std::move(edits));
    Record(std::move(change));
    return changed;
}

int PatternEditor::Paint(std::span<const TPoint> points, int k, bool stroke) {
    m_touched = {};
    return PaintAt(OfStitches("Paint"), points, k, stroke);
}

int PatternEditor::Fill(TPoint at, int k) {
    m_touched = {};
    const Census& census = m_pattern.m_census;
    if (at.x < 0 || at.y < 0 || at.x >= census.width || at.y >= census.height)
        return 0;
    const std::uint8_t area = census.stitches[GridIndex(at.x, at.y, census.width)];
    if (area == k)
        return 0;
    std::vector<bool> seen(census.stitches.size(), false);
    std::vector<TPoint> points;
    std::vector<TPoint> todo{at};
    seen[GridIndex(at.x, at.y, census.width)] = true;
    while (!todo.empty()) {
        const TPoint point = todo.back();
        todo.pop_back();
        points.push_back(point);
        for (const TPoint step : {TPoint{1, 0}, TPoint{-1, 0}, TPoint{0, 1}, TPoint{0, -1}}) {
            const TPoint next{point.x + step.x, point.y + step.y};
            if (next.x < 0 || next.y < 0 || next.x >= census.width || next.y >= census.height)
                continue;
            const std::size_t i = GridIndex(next.x, next.y, census.width);
            if (!seen[i] && census.stitches[i] == area) {
                seen[i] = true;
                todo.push_back(next);
            }
        }
    }
    return PaintAt(OfStitches("Fill"), points, k, false);
}

std::variant<int, EditRefusal> PatternEditor::Erase(std::span<const TPoint> points, bool stroke) {
    m_touched = {};
    Change change = OfStitches("Erase");
    const std::variant<int, EditRefusal> fabric = FabricRow(change);
    if (const auto* refusal = std::get_if<EditRefusal>(&fabric))
        return *refusal;
    return PaintAt(std::move(change), points, std::get<int>(fabric), stroke);
}

std::variant<int, EditRefusal> PatternEditor::AddThread(const threads::Thread& thread) {
    m_touched = {};
    Change change = Named("Add Thread");
    std::variant<int, EditRefusal> added = AddColourSteps(change, thread.color, thread);
    Record(std::move(change));
    return added;
}

}  // namespace brodix
