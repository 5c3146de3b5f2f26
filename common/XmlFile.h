#pragma once
// Base of the XML data files (catalogue, installed, download and
// recommendation lists, search data): records are elements, fields are
// child elements with text. Not thread-safe: one thread at a time.

#include "common/Buffer.h"

#include <string>

namespace Tessar {

class VQXmlDocument;

class VQXmlFile {
public:
    explicit VQXmlFile(const std::wstring& path = std::wstring());
    // Virtual so that a data file deleted through its base frees what the
    // subclass holds too.
    virtual ~VQXmlFile();
    VQXmlFile(const VQXmlFile&) = delete;
    VQXmlFile& operator=(const VQXmlFile&) = delete;

    virtual bool Load() = 0;
    virtual void Close() = 0;

    const std::wstring& GetPath() const { return m_path; }
    // Null until a load or save made one.
    VQXmlDocument* GetDocument() const { return m_document; }
    // Plaintext of the last scrambled load, followed by a zero byte.
    VQBuffer<char>& RawText() { return m_raw; }
    const VQBuffer<char>& RawText() const { return m_raw; }

protected:
    // The raw text when there is one ending in its zero byte (so a reader
    // stays inside it); null otherwise.
    const char* TerminatedRawText() const;
    // Replaces the document by a fresh one that parses the raw text; false
    // on a parse error (the document then stays, empty or partial).
    bool ParseRawText();
    // Replaces the document by a fresh empty one and returns it.
    VQXmlDocument* NewDocument();
    void DeleteDocument();

    std::wstring m_path;
    std::wstring m_md5;      // the MD5 text read from the file
    std::wstring m_version;  // the VERSION text read from the file
    VQXmlDocument* m_document;
    VQBuffer<char> m_raw;
};

}  // namespace Tessar
