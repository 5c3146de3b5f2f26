#include "VQCore/download/RegParser.h"

#include "VQCore/download/RegValueData.h"
#include "common/CodePage.h"
#include "common/FileHandle.h"

#include <cstring>
#include <cwchar>
#include <stdexcept>

namespace Tessar {

namespace {

const char kAnsiHeader[] = "REGEDIT4";
const wchar_t kUtf16Header[] = L"Windows Registry Editor Version 5.00";

}  // namespace

void VQRegParser::LoadRegFile(const std::wstring& path) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL))
        throw std::runtime_error(kRegLoadFailed);
    uint64_t size = 0;
    bool loaded = GetFileHandleSize(file, size) && size < 0x7FFFFFFF;
    if (loaded) {
        m_file.Resize(static_cast<uint32_t>(size));
        uint32_t read = 0;
        loaded = size == 0 || (ReadFileHandle(file, m_file.data, m_file.size, &read) && read == m_file.size);
    }
    CloseFileHandle(file);
    if (!loaded) {
        m_file.Resize(0);
        throw std::runtime_error(kRegLoadFailed);
    }

    int format = DetectRegFileFormat();
    if (format == kFormatAnsi) {
        // The text ends at the first NUL.
        size_t length = strnlen(m_file.data, m_file.size);
        std::wstring text = NarrowToWideEx(m_file.data, length);
        ParseText(text.c_str(), true);
    } else if (format == kFormatUtf16) {
        std::wstring text(m_file.size / 2, L'\0');
        std::memcpy(&text[0], m_file.data, text.size() * 2);
        text.resize(wcsnlen(text.c_str(), text.size()));
        ParseText(text.c_str(), false);
    } else {
        throw std::runtime_error(kRegWrongFormat);
    }
}

int VQRegParser::DetectRegFileFormat() const {
    const size_t ansiLength = sizeof(kAnsiHeader) - 1;
    if (m_file.size >= ansiLength && std::memcmp(m_file.data, kAnsiHeader, ansiLength) == 0)
        return kFormatAnsi;
    const size_t wideLength = sizeof(kUtf16Header) / sizeof(wchar_t) - 1;
    if (m_file.size < 2 + 2 * wideLength)
        return kFormatUnknown;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(m_file.data);
    if (bytes[0] != 0xFF || bytes[1] != 0xFE)
        return kFormatUnknown;
    for (size_t i = 0; i < wideLength; ++i)
        if (bytes[2 + 2 * i] != kUtf16Header[i] || bytes[3 + 2 * i] != 0)
            return kFormatUnknown;
    return kFormatUtf16;
}

void VQRegParser::ParseText(const wchar_t* text, bool ansiFile) {
    m_ansiFile = ansiFile;
    VQRegFileParser<wchar_t> parser(this);
    if (!ParseRegFileText(text, &parser))
        throw VQRegParseError(kRegParsingFailed);
}

void VQRegParser::OnKey(const wchar_t* begin, const wchar_t* end) {
    m_keys.emplace_back(std::wstring(begin, end));
}

void VQRegParser::OnValue(const wchar_t* nameBegin, const wchar_t* nameEnd, const wchar_t* dataBegin,
                          const wchar_t* dataEnd) {
    if (m_keys.empty())
        throw VQRegParseError(kRegKeysListEmpty);
    VQRegValue value(REG_SZ, DecodeRegValueName(nameBegin, nameEnd));
    if (ParseRegValueData(dataBegin, dataEnd, m_ansiFile, value))
        m_keys.back().values.push_back(std::move(value));
}

}  // namespace Tessar
