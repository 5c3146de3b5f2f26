#pragma once
// A TinyXML document together with the wide path it belongs to. TinyXML
// works on narrow text in the system ANSI code page; names, texts and paths
// cross that border through the code-page helpers (see XmlElement.h).

#include "common/Buffer.h"

#include <tinyxml.h>

#include <cstdint>
#include <string>

namespace Tessar {

class VQXmlDocument : public TiXmlDocument {
public:
    // Empty document, empty path, not loaded.
    VQXmlDocument();
    // Loads the file (opened by its wide path, so that names outside the
    // code page work too); usable either way, empty when the load failed.
    explicit VQXmlDocument(const std::wstring& path);

    // Parses narrow XML text from its first byte up to its first zero byte;
    // false on a parse error. The loaded flag follows the result.
    bool ParseText(const char* text);

    const std::wstring& GetPath() const { return m_path; }
    void SetPath(const std::wstring& path) { m_path = path; }
    bool IsLoaded() const { return m_loaded != 0; }

private:
    std::wstring m_path;
    uint32_t m_loaded;  // 1 after a successful load or parse
};

// Prints the document with TinyXML's file printer into the file, written
// through a temporary file (text mode, as TinyXML writes files). False when
// nothing could be written; the old file then stays as it was.
bool SaveXmlDocument(const TiXmlDocument& document, const std::wstring& path);

// Prints a node (normally the document) and copies the text into the
// buffer followed by one zero byte (size = text length + 1). False for a
// null node or a failed print; the buffer is then unchanged.
bool PrintXmlToBuffer(const TiXmlNode* node, VQBuffer<char>& buffer);

}  // namespace Tessar
