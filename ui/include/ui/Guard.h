#pragma once

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace brodix {

class Shell;

// What the exception box says of a failure that carries no text of its own.
inline constexpr const char* kUnknownFailure =
    "An unexpected error stopped the command; what it had done before stays";

// The one place where failures are caught on their way out of the program's code: runs work
// and returns the message of whatever it threw, or nothing when it finished.
std::optional<std::string> RunCatching(const std::function<void()>& work);

// Runs an event handler. A failure ends the handler (what it did before stays) and is shown by
// the exception message box; then the program goes on. Every handler of both windows runs
// through here, so no exception ever reaches Qt's event loop.
void Guard(Shell& shell, QWidget* owner, const std::function<void()>& handler);

}  // namespace brodix
