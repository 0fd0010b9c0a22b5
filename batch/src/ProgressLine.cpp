#include "ProgressLine.h"

#include <iostream>
#include <string>

namespace brodix {

namespace {

constexpr std::chrono::milliseconds kQuiet{1000};

}  // namespace

ProgressLine::ProgressLine(bool shown)
    : m_shown(shown), m_start(std::chrono::steady_clock::now()) {}

ProgressLine::~ProgressLine() {
    Clear();
}

void ProgressLine::Show(std::string_view stage, int percent) {
    if (!m_shown || std::chrono::steady_clock::now() - m_start < kQuiet)
        return;
    std::string line = "brodix-chart: ";
    line.append(stage).append(" ").append(std::to_string(percent)).append("%");
    if (line == m_last)
        return;
    m_last = line;
    // The rest of a longer line before is blanked out.
    const std::size_t shown = line.size();
    if (line.size() < m_length)
        line.append(m_length - line.size(), ' ');
    std::cerr << '\r' << line << std::flush;
    m_length = shown;
}

void ProgressLine::Clear() {
    if (m_length == 0)
        return;
    std::cerr << '\r' << std::string(m_length, ' ') << '\r' << std::flush;
    m_length = 0;
    m_last.clear();
}

ProgressReport ProgressLine::Report() {
    return [this](std::string_view stage, int percent) { Show(stage, percent); };
}

}  // namespace brodix
