#include "ui/ControlCaptions.h"

#include <QLabel>
#include <QStatusBar>

#include "ui/Shell.h"

namespace brodix {

std::string LabelCaption::Text() const {
    return m_label.text().toStdString();
}

void LabelCaption::SetText(const std::string& text) {
    m_label.setText(QString::fromStdString(text));
}

std::string StatusCaption::Text() const {
    return m_bar.currentMessage().toStdString();
}

void StatusCaption::SetText(const std::string& text) {
    const QString value = QString::fromStdString(text);
    if (value == m_bar.currentMessage())
        return;
    if (value.isEmpty())
        m_bar.clearMessage();
    else
        m_bar.showMessage(value);
}

void ShellMessages::ShowMessage(const std::string& text, const std::string& title) {
    m_shell.ShowProgramMessage(text, title, m_owner);
}

}  // namespace brodix
