// Follows the XML parser's own reading of the text (TinyXML: what starts an
// element, a comment, a CDATA section, a declaration or an unknown node,
// how names, attributes and quoted values end) without building anything,
// counting how deep elements nest. Where the parser would stop with an
// error it cannot nest any deeper, so the scan stops there too.
#include "ui/MarkupDepth.h"

#include <cctype>
#include <cstring>

namespace Tessar {

namespace {

class DepthScanner {
public:
    DepthScanner(const char* text, size_t length) : m_text(text), m_length(length) {}

    bool Within(int maxDepth) {
        int depth = 0;
        while (m_at < m_length) {
            if (m_text[m_at] != '<') {
                ++m_at;  // text runs to the next '<'
                continue;
            }
            if (Starts("</")) {
                // An end tag closes the element or is an error; either way
                // nothing nests deeper here.
                if (!SkipPast(">")) return true;
                if (depth > 0) --depth;
            } else if (Starts("<?xml", true)) {
                if (!Declaration()) return true;
            } else if (Starts("<!--")) {
                m_at += 4;
                SkipPast("-->");
            } else if (Starts("<![CDATA[")) {
                m_at += 9;
                SkipPast("]]>");
            } else if (m_at + 1 < m_length && (IsAlpha(m_text[m_at + 1]) || m_text[m_at + 1] == '_')) {
                ++m_at;
                if (!ReadName()) return true;
                bool empty = false;
                if (!StartTagEnd(empty)) return true;
                if (!empty && ++depth > maxDepth) return false;
            } else {
                // "<!..." and anything else: an unknown node up to the next '>'.
                ++m_at;
                SkipPast(">");
            }
        }
        return true;
    }

private:
    static bool IsAlpha(char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return u >= 127 || std::isalpha(u);
    }
    static bool IsAlphaNum(char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return u >= 127 || std::isalnum(u);
    }
    static bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

    bool Starts(const char* word, bool ignoreCase = false) const {
        size_t n = std::strlen(word);
        if (m_at + n > m_length) return false;
        for (size_t k = 0; k < n; ++k) {
            char a = m_text[m_at + k];
            char b = word[k];
            if (ignoreCase ? std::tolower(static_cast<unsigned char>(a)) != b : a != b) return false;
        }
        return true;
    }
    // Moves past the next `terminator`; false (at the end) when there is none.
    bool SkipPast(const char* terminator) {
        size_t n = std::strlen(terminator);
        for (size_t k = m_at; k + n <= m_length; ++k) {
            if (std::memcmp(m_text + k, terminator, n) == 0) {
                m_at = k + n;
                return true;
            }
        }
        m_at = m_length;
        return false;
    }
    void SkipSpace() {
        while (m_at < m_length && IsSpace(m_text[m_at])) ++m_at;
    }
    bool ReadName() {
        if (m_at >= m_length || !(IsAlpha(m_text[m_at]) || m_text[m_at] == '_')) return false;
        while (m_at < m_length) {
            char c = m_text[m_at];
            if (!(IsAlphaNum(c) || c == '_' || c == '-' || c == '.' || c == ':')) break;
            ++m_at;
        }
        return true;
    }
    // name = value, the value quoted or running to a blank, '/' or '>'.
    bool Attribute() {
        SkipSpace();
        if (!ReadName()) return false;
        SkipSpace();
        if (m_at >= m_length || m_text[m_at] != '=') return false;
        ++m_at;
        SkipSpace();
        if (m_at >= m_length) return false;
        char c = m_text[m_at];
        if (c == '\'' || c == '"') {
            ++m_at;
            const char end[2] = {c, 0};
            return SkipPast(end);
        }
        while (m_at < m_length) {
            c = m_text[m_at];
            if (IsSpace(c) || c == '/' || c == '>') break;
            if (c == '\'' || c == '"') return false;
            ++m_at;
        }
        return true;
    }
    // After an element's name: attributes up to "/>" or ">".
    bool StartTagEnd(bool& empty) {
        for (;;) {
            SkipSpace();
            if (m_at >= m_length) return false;
            char c = m_text[m_at];
            if (c == '/') {
                if (m_at + 1 >= m_length || m_text[m_at + 1] != '>') return false;
                m_at += 2;
                empty = true;
                return true;
            }
            if (c == '>') {
                ++m_at;
                return true;
            }
            if (!Attribute()) return false;
        }
    }
    bool Declaration() {
        m_at += 5;
        while (m_at < m_length) {
            if (m_text[m_at] == '>') {
                ++m_at;
                return true;
            }
            SkipSpace();
            if (m_at >= m_length) return false;
            if (Starts("version", true) || Starts("encoding", true) || Starts("standalone", true)) {
                if (!Attribute()) return false;
            } else {
                while (m_at < m_length && m_text[m_at] != '>' && !IsSpace(m_text[m_at])) ++m_at;
            }
        }
        return false;
    }

    const char* m_text;
    size_t m_length;
    size_t m_at = 0;
};

}  // namespace

bool MarkupDepthWithin(const char* text, size_t length, int maxDepth) {
    if (text == nullptr) return true;
    // The parser reads up to the first zero byte.
    const void* zero = std::memchr(text, 0, length);
    if (zero != nullptr) length = static_cast<const char*>(zero) - text;
    return DepthScanner(text, length).Within(maxDepth);
}

}  // namespace Tessar
