#include "XmlScanner.h"

#include <charconv>
#include <cstdint>

#include "raster/Utf8.h"

namespace brodix {

namespace {

constexpr const char* kBadTag = "Could not determine tag type";
constexpr const char* kBadDeclaration = "Error parsing document declaration/processing instruction";
constexpr const char* kBadComment = "Error parsing comment";
constexpr const char* kBadCdata = "Error parsing CDATA section";
constexpr const char* kBadDocumentType = "Error parsing document type declaration";
constexpr const char* kBadStartTag = "Error parsing start element tag";
constexpr const char* kBadAttribute = "Error parsing element attribute";
constexpr const char* kBadEndTag = "Error parsing end element tag";
constexpr const char* kMismatch = "Start-end tags mismatch";
constexpr const char* kNoElement = "No document element found";

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Letters, '_', ':' and any byte of a character beyond ASCII may start a name; digits, '-' and
// '.' may follow.
bool StartsName(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || byte == '_' ||
           byte == ':' || byte >= 0x80;
}

bool InName(char c) {
    return StartsName(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

}  // namespace

XmlScanner::XmlScanner(std::string_view text) : m_text(text) {
    if (m_text.starts_with("\xEF\xBB\xBF"))
        m_at = 3;
}

void XmlScanner::Fail(const char* description) const {
    throw XmlFault{description, m_at < m_text.size() ? m_at : m_text.size()};
}

void XmlScanner::SkipPast(std::string_view end, const char* description) {
    const std::size_t found = m_text.find(end, m_at);
    if (found == std::string_view::npos) {
        m_at = m_text.size();
        Fail(description);
    }
    m_at = found + end.size();
}

// "<!DOCTYPE" has been read: up to the '>' that closes it, past the declarations of an
// internal subset (each "<!" opens one that a '>' closes), quoted text, comments and
// processing instructions; any other '<' is a fault.
void XmlScanner::SkipDocumentType() {
    if (!m_open.empty())
        Fail(kBadDocumentType);
    int open = 0;
    while (!AtEnd()) {
        const std::string_view rest = m_text.substr(m_at);
        if (rest.starts_with("<!--")) {
            m_at += 4;
            SkipPast("-->", kBadDocumentType);
        } else if (rest.starts_with("<![")) {
            m_at += 3;
            SkipPast("]]>", kBadDocumentType);
        } else if (rest.starts_with("<!-")) {
            Fail(kBadDocumentType);
        } else if (rest.starts_with("<!")) {
            m_at += 2;
            ++open;
        } else if (rest.starts_with("<?")) {
            m_at += 2;
            SkipPast("?>", kBadDocumentType);
        } else if (rest.front() == '<') {
            Fail(kBadDocumentType);
        } else if (rest.front() == '"' || rest.front() == '\'') {
            ++m_at;
            SkipPast(rest.substr(0, 1), kBadDocumentType);
        } else {
            ++m_at;
            if (rest.front() == '>' && open-- == 0)
                return;
        }
    }
    Fail(kBadDocumentType);
}

std::string_view XmlScanner::ReadName() {
    const std::size_t start = m_at;
    while (!AtEnd() && InName(m_text[m_at]))
        ++m_at;
    return m_text.substr(start, m_at - start);
}

// '<' and a name's first character have been seen: the name, the attributes and the end of
// the tag.
void XmlScanner::ReadStartTag() {
    m_name = ReadName();
    m_attributes.clear();
    for (;;) {
        const std::size_t before = m_at;
        while (!AtEnd() && IsSpace(m_text[m_at]))
            ++m_at;
        if (AtEnd())
            Fail(kBadStartTag);
        const char c = m_text[m_at];
        if (c == '>') {
            ++m_at;
            break;
        }
        if (c == '/') {
            if (++m_at >= m_text.size() || m_text[m_at] != '>')
                Fail(kBadStartTag);
            ++m_at;
            m_pendingEnd = true;
            break;
        }
        // An attribute begins only after a blank.
        if (before == m_at && !m_attributes.empty() && StartsName(c))
            Fail(kBadAttribute);
        if (before == m_at || !StartsName(c))
            Fail(kBadStartTag);
        XmlAttribute attribute;
        attribute.name = ReadName();
        while (!AtEnd() && IsSpace(m_text[m_at]))
            ++m_at;
        if (AtEnd() || m_text[m_at] != '=')
            Fail(kBadAttribute);
        ++m_at;
        while (!AtEnd() && IsSpace(m_text[m_at]))
            ++m_at;
        if (AtEnd() || (m_text[m_at] != '"' && m_text[m_at] != '\''))
            Fail(kBadAttribute);
        const char quote = m_text[m_at++];
        const std::size_t close = m_text.find(quote, m_at);
        if (close == std::string_view::npos) {
            m_at = m_text.size();
            Fail(kBadAttribute);
        }
        attribute.value = m_text.substr(m_at, close - m_at);
        m_at = close + 1;
        if (m_attributes.size() >= kMaxAttributes)
            throw XmlFault{"", m_at, XmlFault::Limit::Attributes};
        m_attributes.push_back(attribute);
    }
    if (m_open.size() >= kMaxDepth)
        throw XmlFault{"", m_at, XmlFault::Limit::Depth};
    m_open.push_back(m_name);
    m_lastWasStart = true;
    m_sawElement = true;
}

// "</" has been read: the name, which must close the innermost open element.
void XmlScanner::ReadEndTag() {
    const std::string_view name = ReadName();
    if (m_open.empty() || name != m_open.back())
        Fail(kMismatch);
    while (!AtEnd() && IsSpace(m_text[m_at]))
        ++m_at;
    if (AtEnd() || m_text[m_at] != '>')
        Fail(kBadEndTag);
    ++m_at;
    m_name = name;
    m_open.pop_back();
    m_lastWasStart = false;
}

XmlScanner::Event XmlScanner::Next() {
    if (m_pendingEnd) {
        m_pendingEnd = false;
        m_open.pop_back();
        m_lastWasStart = false;
        return Event::End;
    }
    for (;;) {
        const std::size_t open = m_text.find('<', m_at);
        // A '<' that ends the text inside an element leaves the element open.
        if (open == std::string_view::npos || (open + 1 == m_text.size() && !m_open.empty())) {
            m_at = m_text.size();
            if (!m_open.empty())
                Fail(kMismatch);
            if (!m_sawElement)
                Fail(kNoElement);
            return Event::Done;
        }
        m_at = open + 1;
        const std::string_view rest = m_text.substr(m_at);
        if (rest.starts_with('?')) {
            ++m_at;
            if (AtEnd() || !StartsName(m_text[m_at]))
                Fail(kBadDeclaration);
            SkipPast("?>", kBadDeclaration);
        } else if (rest.starts_with("!-")) {
            if (!rest.starts_with("!--"))
                Fail(kBadComment);
            m_at += 3;
            SkipPast("-->", kBadComment);
        } else if (rest.starts_with("![")) {
            if (!rest.starts_with("![CDATA["))
                Fail(kBadCdata);
            m_at += 8;
            SkipPast("]]>", kBadCdata);
        } else if (rest.starts_with("!DOCTYPE")) {
            m_at += 8;
            SkipDocumentType();
        } else if (rest.starts_with('/')) {
            ++m_at;
            ReadEndTag();
            return Event::End;
        } else if (!rest.empty() && StartsName(rest.front())) {
            ReadStartTag();
            return Event::Start;
        } else {
            Fail(kBadTag);
        }
    }
}

std::optional<std::string_view> XmlScanner::Attribute(std::string_view name) const {
    for (const XmlAttribute& attribute : m_attributes) {
        if (attribute.name == name)
            return attribute.value;
    }
    return std::nullopt;
}

namespace {

// The character a reference stands for (the text between '&' and ';'); nothing when it is
// none that XML defines.
std::optional<char32_t> Referenced(std::string_view reference) {
    if (reference == "amp")
        return U'&';
    if (reference == "lt")
        return U'<';
    if (reference == "gt")
        return U'>';
    if (reference == "quot")
        return U'"';
    if (reference == "apos")
        return U'\'';
    if (!reference.starts_with('#') || reference.size() < 2)
        return std::nullopt;
    const bool hex = reference[1] == 'x';
    const std::string_view digits = reference.substr(hex ? 2 : 1);
    std::uint32_t code = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    return static_cast<char32_t>(code);
}

}  // namespace

std::string DecodedXmlValue(std::string_view value) {
    std::string decoded;
    decoded.reserve(value.size());
    std::size_t at = 0;
    for (std::size_t amp; (amp = value.find('&', at)) != std::string_view::npos;) {
        decoded.append(value.substr(at, amp - at));
        const std::size_t semicolon = value.find(';', amp + 1);
        const std::optional<char32_t> character =
            semicolon == std::string_view::npos
                ? std::nullopt
                : Referenced(value.substr(amp + 1, semicolon - amp - 1));
        if (!character) {
            decoded.push_back('&');
            at = amp + 1;
            continue;
        }
        decoded += Utf8Of(*character);
        at = semicolon + 1;
    }
    decoded.append(value.substr(at));
    return decoded;
}

}  // namespace brodix
