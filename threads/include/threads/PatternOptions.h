#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "threads/PatternSettings.h"

namespace brodix::threads {

// How a pattern option's value is written, on the command line and in the stored settings.
enum class OptionForm {
    Catalogue,  // a catalogue's title or path, looked up when used: no number
    Flag,       // given or not ("--snap"); stored as 1 or 0
    Whole,      // a whole number in decimal digits ("--strands 3")
    Decimal,    // decimal digits with an optional point ("--fabric 14.5")
    Word,       // one of its words, in any letter case ("--paper letter")
    Colour,     // six hexadecimal digits, red first, with or without '#' ("--fabric-colour F0E6D2")
};

// A word of a Word option: as typed and stored, and as the window's menu shows it.
struct OptionWord {
    std::string_view word;     // "letter"
    std::string_view caption;  // "US Letter"
};

// One choice of PatternSettings on every surface that offers it: brodix-chart's option (its
// name, value, refusal and --help text), the window's stored setting and its menu's values.
// Every value is a number in [low, high]: a flag's is 0 or 1, a word's its index in words,
// which is the value of its enum. The catalogue has only its name, key and help: it is a file
// or a title, looked up by whoever uses it.
struct PatternOption {
    std::string_view name{};        // "--strands"
    std::string_view settingKey{};  // "pattern/strands"
    // Kept between the window's runs: a choice about the stitcher (threads, floss, paper).
    // A choice that changes the pattern's stitches or key starts at its default at each run,
    // so that nothing unseen acts on a new picture.
    bool remembered = true;
    OptionForm form = OptionForm::Flag;
    std::string_view valueName{};  // "N" of "--strands N"; a word option shows its words
    // What a refused value lacks: "stitches per inch" (Decimal), or what an unknown word
    // was meant to name: "paper" (Word).
    std::string_view noun{};
    double low = 0;  // both ends allowed
    double high = 1;
    std::vector<OptionWord> words{};
    std::vector<double> menuValues{};  // what the window's menu offers, in its order; 0 is "Off"
    std::string help{};                // --help's text: whole lines, each ending in '\n'
    double (*get)(const PatternSettings& settings) = nullptr;
    void (*set)(PatternSettings& settings, double value) = nullptr;

    // The value of settings that no one has chosen.
    double Default() const;
    // The value that text writes, when it is one of this option's in its range.
    std::optional<double> Read(std::string_view text) const;
    // value written as Read reads it back: its stored form, and a value the command line takes.
    std::string Text(double value) const;
    // Why text is refused, naming the option ("--strands needs a whole number from 1 to 6, not
    // '9'").
    std::string Refusal(std::string_view text) const;
    // The option with its value's form: "--strands N", "--paper a4|letter", "--snap".
    std::string Heading() const;
};

// Every choice of PatternSettings, in the order of brodix-chart's --help.
std::span<const PatternOption> PatternOptions();
// Every choice that is not remembered between runs back at its default.
void ResetPatternChoices(PatternSettings& settings);
// The option of that name ("--strands"); a name not in the table raises std::out_of_range.
const PatternOption& PatternOptionNamed(std::string_view name);

// A number as the options write it, in decimal digits whatever the locale: "14", "14.5".
std::string NumberText(double value);

}  // namespace brodix::threads
