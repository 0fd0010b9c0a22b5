#pragma once

#include <string>

#include "engine/Captions.h"

class QLabel;
class QStatusBar;
class QWidget;

namespace brodix {

class Shell;

// A label's caption as the engine reads and writes it.
class LabelCaption final : public Caption {
  public:
    explicit LabelCaption(QLabel& label) : m_label(label) {}
    std::string Text() const override;
    void SetText(const std::string& text) override;

  private:
    QLabel& m_label;
};

// The status bar's one line of text.
class StatusCaption final : public Caption {
  public:
    explicit StatusCaption(QStatusBar& bar) : m_bar(bar) {}
    std::string Text() const override;
    // Replaces the text only when it differs from what is shown.
    void SetText(const std::string& text) override;

  private:
    QStatusBar& m_bar;
};

// The engine's refusals, shown by the program's message box over owner.
class ShellMessages final : public MessageSink {
  public:
    ShellMessages(Shell& shell, QWidget* owner) : m_shell(shell), m_owner(owner) {}
    void ShowMessage(const std::string& text, const std::string& title) override;

  private:
    Shell& m_shell;
    QWidget* m_owner;
};

}  // namespace brodix
