#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brodix {

// An attribute as it stands in the file: its value between the quotes, references undecoded.
struct XmlAttribute {
    std::string_view name;
    std::string_view value;
};

// Why the text is no well-formed XML, and the offset where that was found. The description is
// worded as pugixml, the XML library of the program's other files, words the same fault.
struct XmlFault {
    // Well-formed as far as read, but beyond what the scanner holds: elements nested deeper
    // than kMaxDepth, or one with more than kMaxAttributes attributes.
    enum class Limit { None, Depth, Attributes };
    const char* description;
    std::size_t offset;
    Limit limit = Limit::None;
};

// Walks the elements of an XML text one by one without building a tree: what it holds at any
// time is the chain of open elements and the attributes of the last start tag, so a file of
// millions of elements costs no more memory than its own bytes. Text, comments, processing
// instructions, CDATA sections and the document type are skipped. A fault raises XmlFault; so
// do nesting and attribute lists beyond the limits, far beyond what a chart needs, which would
// otherwise cost memory in proportion to the file.
class XmlScanner {
  public:
    static constexpr std::size_t kMaxDepth = 256;
    static constexpr std::size_t kMaxAttributes = 256;

    enum class Event { Start, End, Done };

    explicit XmlScanner(std::string_view text);

    // The next element's start or end. An empty element gives both. After Done, the text was
    // well-formed and held at least one element.
    Event Next();

    // The element just started or ended, and its depth (0 for a top-level element).
    std::string_view Name() const { return m_name; }
    std::size_t Depth() const { return m_open.size() - (m_lastWasStart ? 1 : 0); }
    // The attributes of the element just started.
    std::span<const XmlAttribute> Attributes() const { return m_attributes; }
    // The first attribute of that name; nothing when it has none.
    std::optional<std::string_view> Attribute(std::string_view name) const;

  private:
    [[noreturn]] void Fail(const char* description) const;
    void SkipPast(std::string_view end, const char* description);
    void SkipDocumentType();
    std::string_view ReadName();
    void ReadStartTag();
    void ReadEndTag();
    bool AtEnd() const { return m_at >= m_text.size(); }

    std::string_view m_text;
    std::size_t m_at = 0;
    std::vector<std::string_view> m_open;
    std::vector<XmlAttribute> m_attributes;
    std::string_view m_name;
    bool m_lastWasStart = false;
    bool m_pendingEnd = false;  // an empty element's end, given by the next call
    bool m_sawElement = false;
};

// A value with its character references (&#49; &#x31;) and the five named ones (&amp; &lt;
// &gt; &quot; &apos;) replaced by the characters they stand for, in UTF-8. A reference that is
// not one of those stays as it is written.
std::string DecodedXmlValue(std::string_view value);

}  // namespace brodix
