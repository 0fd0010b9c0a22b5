#pragma once

class QWidget;

namespace brodix {

// Makes the Enter key click every push button of window while the button has the focus, as the
// space bar does. Qt buttons outside dialogs take only the space bar.
void ClickButtonsOnEnter(QWidget& window);

}  // namespace brodix
