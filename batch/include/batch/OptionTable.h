#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace brodix {

struct BatchOptions;

// What an option takes after it: nothing, a value ("--red 4" or "--red=4"), or a value only
// when written with '=' ("--key", "--key=csv"); such a value reaches its setter with the '=',
// so that "--key=" is told from "--key".
enum class Takes { Nothing, Value, ValueAfterEquals };

// One option of brodix-chart: everything parsing, the usage line, --help and the manual page
// check know of it. A new option is a new row here (and its lines in the manual page); a
// pattern choice's row takes its name, value, check and text from the pattern options
// (threads/PatternOptions.h), which the window's menu and settings read too.
struct OptionRow {
    std::string name;   // "--red"
    std::string alias;  // "-z", or empty
    Takes takes = Takes::Nothing;
    // Sets what the option asks for; value is empty for an option that takes nothing. Raises
    // UsageError for a value it refuses.
    std::function<void(BatchOptions& options, const std::string& value)> set;
    std::string usage;        // "[--red LEVEL]" in the usage line; empty: not there
    bool usageBreak = false;  // the usage line continues on a new line before it
    // In --help: a section title opening before the row, the row's heading ("--red LEVEL,
    // --green LEVEL, --blue LEVEL"; empty: described with the row above), its text and what
    // closes the section after it (an example).
    std::string section;
    std::string heading;
    std::string text;
    std::string after;
};

// brodix-chart's options, in the order of the usage line and of --help.
std::span<const OptionRow> OptionTable();

// The row named (by its name or alias), or null.
const OptionRow* FindOption(std::string_view name);

// The usage lines: the options' forms from the table, then the other forms.
std::string UsageText();
// The whole help: the usage, what the program does, every option's text from the table and
// the exit statuses.
std::string HelpText();

}  // namespace brodix
