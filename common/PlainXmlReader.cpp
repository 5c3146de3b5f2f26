#include "common/PlainXmlReader.h"

#include <tinyxml.h>

#include <cctype>
#include <cstring>

namespace Tessar {

namespace {

// Elements nested deeper are left to TinyXML.
const int kMaxDepth = 32;

struct NamedEntity {
    const char* text;
    size_t length;
    char value;
};
const NamedEntity kEntities[] = {
    {"&amp;", 5, '&'}, {"&lt;", 4, '<'}, {"&gt;", 4, '>'}, {"&quot;", 6, '"'}, {"&apos;", 6, '\''},
};

}  // namespace

VQPlainXmlReader::VQPlainXmlReader(const char* text) : m_at(text), m_canRead(text != nullptr) {
    // TinyXML's own tests of a byte, asked of the same runtime: bytes from
    // 127 up count as letters of a name.
    for (int c = 0; c < 256; ++c) {
        m_blank[c] = c != 0 && (std::isspace(c) != 0 || c == '\n' || c == '\r');
        m_nameStart[c] = c != 0 && ((c < 127 ? std::isalpha(c) != 0 : true) || c == '_');
        m_nameChar[c] = c != 0 && ((c < 127 ? std::isalnum(c) != 0 : true) || c == '_' || c == '-' || c == '.' ||
                                   c == ':');
    }
    if (!TiXmlBase::IsWhiteSpaceCondensed())
        m_canRead = false;
    // TinyXML reads a text behind a byte order mark as UTF-8.
    if (m_canRead && static_cast<unsigned char>(text[0]) == 0xEF && static_cast<unsigned char>(text[1]) == 0xBB &&
        static_cast<unsigned char>(text[2]) == 0xBF)
        m_canRead = false;
}

void VQPlainXmlReader::SkipBlanks() {
    while (IsBlank(*m_at))
        ++m_at;
}

bool VQPlainXmlReader::AtDocumentEnd() {
    SkipBlanks();
    return *m_at == '\0';
}

bool VQPlainXmlReader::AtElement() {
    SkipBlanks();
    return m_at[0] == '<' && m_nameStart[static_cast<unsigned char>(m_at[1])];
}

VQPlainXmlReader::Item VQPlainXmlReader::Next() {
    SkipBlanks();
    if (*m_at == '\0')
        return kDecline;
    if (*m_at != '<')
        return kText;
    if (m_at[1] == '/')
        return kEnd;
    return m_nameStart[static_cast<unsigned char>(m_at[1])] ? kChild : kDecline;
}

bool VQPlainXmlReader::ReadStartTag(std::string& name, bool& empty) {
    if (m_at[0] != '<' || !m_nameStart[static_cast<unsigned char>(m_at[1])])
        return false;
    const char* start = m_at + 1;
    const char* p = start;
    while (m_nameChar[static_cast<unsigned char>(*p)])
        ++p;
    name.assign(start, static_cast<size_t>(p - start));
    while (IsBlank(*p))
        ++p;
    if (p[0] == '/' && p[1] == '>') {
        empty = true;
        m_at = p + 2;
        return true;
    }
    if (p[0] == '>') {
        empty = false;
        m_at = p + 1;
        return true;
    }
    return false;  // attributes, a broken tag or the end of the text
}

bool VQPlainXmlReader::ReadText(std::string& text) {
    text.clear();
    const char* p = m_at;
    bool blank = false;
    for (;;) {
        const char c = *p;
        if (c == '<')
            break;
        if (c == '\0')
            return false;  // TinyXML fails a text without an end
        if (IsBlank(c)) {
            blank = true;
            ++p;
            continue;
        }
        // A run of blanks inside the text is one space.
        if (blank) {
            text += ' ';
            blank = false;
        }
        if (c == '&') {
            const NamedEntity* found = nullptr;
            for (const NamedEntity& entity : kEntities)
                if (std::strncmp(p, entity.text, entity.length) == 0)
                    found = &entity;
            if (found == nullptr)
                return false;  // numeric and unknown entities are TinyXML's
            text += found->value;
            p += found->length;
            continue;
        }
        const char* run = p;
        while (*p != '\0' && *p != '<' && *p != '&' && !IsBlank(*p))
            ++p;
        text.append(run, static_cast<size_t>(p - run));
    }
    m_at = p;
    return true;
}

bool VQPlainXmlReader::ReadEndTag(const std::string& name) {
    const char* p = m_at;
    if (p[0] != '<' || p[1] != '/')
        return false;
    p += 2;
    if (std::strncmp(p, name.c_str(), name.size()) != 0)
        return false;
    p += name.size();
    while (IsBlank(*p))
        ++p;
    if (*p != '>')
        return false;
    m_at = p + 1;
    return true;
}

bool VQPlainXmlReader::ReadBody(const std::string& name, std::string& firstText, bool& hasText) {
    return ReadBodyAt(name, firstText, hasText, 1);
}

bool VQPlainXmlReader::ReadBodyAt(const std::string& name, std::string& firstText, bool& hasText, int depth) {
    hasText = false;
    firstText.clear();
    bool first = true;
    for (;;) {
        switch (Next()) {
        case kEnd:
            return ReadEndTag(name);
        case kText:
            // A text begins with a byte that is no blank, so TinyXML keeps it.
            if (!ReadText(first ? firstText : m_scratch))
                return false;
            hasText = hasText || first;
            break;
        case kChild: {
            if (depth >= kMaxDepth)
                return false;
            std::string child, ignored;
            bool empty = false;
            bool childText = false;
            if (!ReadStartTag(child, empty))
                return false;
            if (!empty && !ReadBodyAt(child, ignored, childText, depth + 1))
                return false;
            break;
        }
        case kDecline:
            return false;
        }
        first = false;
    }
}

}  // namespace Tessar
