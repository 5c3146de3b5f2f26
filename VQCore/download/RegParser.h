#pragma once
// Loads a .reg file ("REGEDIT4" in the ANSI code page, or UTF-16LE with a
// byte-order mark and "Windows Registry Editor Version 5.00") into a list
// of keys with their values, in file order.

#include "VQCore/download/RegFileParser.h"
#include "VQCore/download/RegKey.h"
#include "common/Buffer.h"

#include <deque>
#include <string>

namespace Tessar {

class VQRegParser : public VQRegFileObserver<wchar_t> {
public:
    enum Format { kFormatUnknown = 0, kFormatAnsi = 1, kFormatUtf16 = 2 };

    VQRegParser() = default;
    ~VQRegParser() override = default;

    // Throws std::runtime_error kRegLoadFailed or kRegWrongFormat, and
    // VQRegParseError for text it cannot read (see RegValueData.h). A key
    // line naming a root outside the root table gives a key without root,
    // which is never written (the import reports it as not applied).
    void LoadRegFile(const std::wstring& path);
    // Of the loaded bytes.
    int DetectRegFileFormat() const;
    // Parses text (NUL-terminated, header line first) and appends its keys.
    void ParseText(const wchar_t* text, bool ansiFile);

    std::deque<VQRegKey>& Keys() { return m_keys; }
    const std::deque<VQRegKey>& Keys() const { return m_keys; }

    void OnKey(const wchar_t* begin, const wchar_t* end) override;
    void OnValue(const wchar_t* nameBegin, const wchar_t* nameEnd, const wchar_t* dataBegin,
                 const wchar_t* dataEnd) override;

private:
    VQBuffer<char> m_file;
    std::deque<VQRegKey> m_keys;
    bool m_ansiFile = false;
};

}  // namespace Tessar
