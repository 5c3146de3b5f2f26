#pragma once
// A typed store of option values by section and key, read from and written
// to one plain XML file:
//   <VERSION>text</VERSION>
//   <OPTIONS><SECTION><KEY>value</KEY>...</SECTION>...</OPTIONS>
// It knows no particular option; the settings store, the import of an older
// installation and the peer-to-peer manager each keep their own in one.
// No locking: one owner uses a store from one thread at a time.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class TiXmlDocument;

namespace Tessar {

class VQXmlDocument;

class OptionValue {
public:
    enum : uint32_t { kNone = 0, kInt = 1, kText = 2 };

    void SetInt(int32_t value);
    void SetText(const std::wstring& text);
    // The integer when the kind is 1 and exactly 4 bytes are held.
    int32_t GetInt(int32_t defaultValue) const;
    // The text up to its first zero when the kind is 2 and bytes are held.
    std::wstring GetText(const std::wstring& defaultValue) const;

    uint32_t Kind() const { return m_kind; }
    const std::vector<unsigned char>& Bytes() const { return m_bytes; }

private:
    uint32_t m_kind = kNone;
    // Kind 1: the signed 32-bit integer in machine order; kind 2: the
    // UTF-16 text followed by one 16-bit zero.
    std::vector<unsigned char> m_bytes;
};

class OptionStore {
public:
    // Names are ordered by UTF-16 code unit, so files list them sorted.
    typedef std::map<std::wstring, OptionValue> Section;
    typedef std::map<std::wstring, Section> Sections;

    OptionStore();
    ~OptionStore();
    OptionStore(const OptionStore&) = delete;
    OptionStore& operator=(const OptionStore&) = delete;

    // A new store in out (null when it cannot be allocated); false then.
    static bool Create(OptionStore*& out);
    // Destroys the store the holder points to and clears the holder.
    static void Close(OptionStore*& holder);

    // False, changing nothing, when no file is at the path; otherwise loads
    // it (loaded follows the load) and returns true.
    bool Open(const std::wstring& path);
    // Replaces all sections by the file's (the version is kept unless the
    // file gives one). False only when no document could be allocated: a
    // file that is missing or not well-formed leaves no sections.
    bool LoadFile(const std::wstring& path);
    // Adds the document's sections; one with a parse error adds none.
    // False only for a null document.
    bool ParseDocument(const TiXmlDocument* document);
    // Rebuilds the document from the sections and writes it through a
    // temporary file; false when the file could not be written (the old
    // file then stays as it was).
    bool Save(const std::wstring& path);

    std::wstring GetText(const std::wstring& section, const std::wstring& key,
                         const std::wstring& defaultValue) const;
    // A text value counts by its leading decimal digits (low 32 bits).
    uint32_t GetInt(const std::wstring& section, const std::wstring& key, uint32_t defaultValue) const;
    // Null when the section or the key is missing.
    const OptionValue* Find(const std::wstring& section, const std::wstring& key) const;
    // The slot for the pair, created empty (no kind) when missing.
    OptionValue& ValueAt(const std::wstring& section, const std::wstring& key);

    std::wstring GetVersion() const { return m_version; }
    void SetVersion(const std::wstring& version) { m_version = version; }
    bool IsLoaded() const { return m_loaded; }
    const std::wstring& GetFilePath() const { return m_filePath; }
    const Sections& GetSections() const { return m_sections; }
    // True when the last load or parse met a well-formed document with an
    // OPTIONS element; owners tell a damaged file from an empty one by it.
    bool FoundOptions() const { return m_foundOptions; }

private:
    Sections m_sections;
    std::wstring m_version;
    bool m_loaded;
    std::wstring m_filePath;
    VQXmlDocument* m_document;
    bool m_foundOptions;
};

}  // namespace Tessar
