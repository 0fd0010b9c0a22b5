#pragma once

#include <string>

namespace brodix {

// A line of text that the program shows and reads back: a label's caption, the status bar.
// The window implements it over its controls; headless callers over a plain string.
class Caption {
  public:
    virtual ~Caption() = default;
    virtual std::string Text() const = 0;
    virtual void SetText(const std::string& text) = 0;
};

class StringCaption final : public Caption {
  public:
    std::string Text() const override { return m_text; }
    void SetText(const std::string& text) override { m_text = text; }

  private:
    std::string m_text;
};

// The program's own message box: text, title, an OK button, no icon. Returns when closed.
class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
};

}  // namespace brodix
