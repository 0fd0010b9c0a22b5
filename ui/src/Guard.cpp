#include "ui/Guard.h"

#include <QWidget>
#include <exception>

#include "engine/Messages.h"
#include "raster/Exceptions.h"
#include "ui/Shell.h"

namespace brodix {

std::optional<std::string> RunCatching(const std::function<void()>& work) {
    try {
        work();
        return std::nullopt;
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return std::string(e.what());
    } catch (...) {
        // It must not unwind through Qt, and an empty box would tell the user nothing.
        return std::string(kUnknownFailure);
    }
}

void Guard(Shell& shell, QWidget* owner, const std::function<void()>& handler) {
    const auto failure = RunCatching(handler);
    if (!failure)
        return;
    // A control that grabbed the mouse would keep it while the box is open.
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    shell.ShowExceptionMessage(ExceptionBoxText(*failure), owner);
}

}  // namespace brodix
