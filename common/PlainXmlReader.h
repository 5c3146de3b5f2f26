#pragma once
// A forward reader of plain XML text: elements without attributes, text
// with the five named entities, nothing else. It reads that text exactly
// as TinyXML does (blank runs condensed to one space, leading and trailing
// blanks dropped, blank texts left out, TinyXML's rules for names and
// blanks in the C runtime's current locale) but keeps no tree, so a large
// file is read many times faster. Anything outside that form (attributes,
// comments, declarations, CDATA, numeric or unknown entities, a byte order
// mark, a text that runs to the end) makes it decline: the caller then
// parses the text with TinyXML, which decides what it means.
//
// The text must end in a zero byte; the reader never looks past it.

#include <cstddef>
#include <string>

namespace Tessar {

class VQPlainXmlReader {
public:
    // What comes next inside an element, blanks skipped.
    enum Item {
        kChild,    // a child element's start tag
        kText,     // text up to the next tag
        kEnd,      // the element's end tag
        kDecline,  // anything outside the plain form
    };

    explicit VQPlainXmlReader(const char* text);

    // False when the text is not in the plain form from its start (a byte
    // order mark) or TinyXML is set to keep blanks.
    bool CanRead() const { return m_canRead; }

    // At the document's level: true when only blanks are left.
    bool AtDocumentEnd();
    // At the document's level: true when an element starts here.
    bool AtElement();
    // Inside an element.
    Item Next();

    // Reads a start tag ("<name>", or "<name/>" when empty is set); the
    // name stays valid until the next call. False: declined.
    bool ReadStartTag(std::string& name, bool& empty);
    // Reads a text as TinyXML keeps it (possibly empty when blank).
    bool ReadText(std::string& text);
    // Reads the end tag of the element of that name.
    bool ReadEndTag(const std::string& name);
    // Reads the rest of an element whose start tag was read, keeping the
    // text that comes first (firstText, hasText) and nothing else.
    bool ReadBody(const std::string& name, std::string& firstText, bool& hasText);

private:
    bool ReadBodyAt(const std::string& name, std::string& firstText, bool& hasText, int depth);
    void SkipBlanks();
    bool IsBlank(char c) const { return m_blank[static_cast<unsigned char>(c)]; }

    const char* m_at;
    bool m_canRead;
    bool m_blank[256];
    bool m_nameStart[256];
    bool m_nameChar[256];
    std::string m_scratch;
};

}  // namespace Tessar
