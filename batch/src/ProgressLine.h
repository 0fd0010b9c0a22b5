#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "engine/Progress.h"

namespace brodix {

// How far a long run has come, on standard error when it is a terminal: one line rewritten in
// place ("brodix-chart: writing the PDF 40%"), shown only once the run has taken about a second,
// so that a quick run prints nothing, and never when standard error is a file or a pipe.
class ProgressLine {
  public:
    explicit ProgressLine(bool shown);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Show(std::string_view stage, int percent);
    // Wipes the line, so that what is printed next starts on a clean line.
    void Clear();
    // Show(), for the work that reports.
    ProgressReport Report();

  private:
    bool m_shown;
    std::chrono::steady_clock::time_point m_start;
    std::size_t m_length = 0;  // of the line now shown
    std::string m_last;        // the line last shown, not shown again
};

}  // namespace brodix
