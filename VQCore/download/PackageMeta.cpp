#include "VQCore/download/PackageMeta.h"

#include "VQCore/download/ByteOrder.h"

namespace Tessar {

const wchar_t kMetaEntryName[] = L"vqmeta";
const wchar_t kMetaFolder[] = L"vqfolder";
const wchar_t kMetaExe[] = L"vqexe";
const wchar_t kMetaArgs[] = L"vqargs";
const wchar_t kTasksEntryName[] = L"##tasks##.txt";

namespace {

void AppendText(std::string& out, const std::wstring& text) {
    AppendU32(out, static_cast<uint32_t>(text.size()));
    AppendUtf16(out, text);
}

class VQMetaReader {
public:
    VQMetaReader(const unsigned char* data, uint32_t size) : m_data(data), m_size(size) {}

    bool ReadU32(uint32_t& value) {
        if (m_size - m_at < 4)
            return false;
        value = LoadU32(m_data + m_at);
        m_at += 4;
        return true;
    }

    bool ReadText(std::wstring& text) {
        uint32_t count = 0;
        if (!ReadU32(count) || count > (m_size - m_at) / 2)
            return false;
        text = LoadUtf16(m_data + m_at, count);
        m_at += 2 * count;
        return true;
    }

private:
    const unsigned char* m_data;
    uint32_t m_size;
    uint32_t m_at = 0;
};

}  // namespace

std::string EncodePackageMeta(const std::map<std::wstring, std::wstring>& values) {
    std::string out;
    AppendU32(out, static_cast<uint32_t>(values.size()));
    for (const auto& pair : values) {
        AppendText(out, pair.first);
        AppendText(out, pair.second);
    }
    return out;
}

bool DecodePackageMeta(const unsigned char* data, uint32_t size, std::map<std::wstring, std::wstring>& values) {
    if (data == nullptr && size > 0)
        return false;
    VQMetaReader reader(data, size);
    uint32_t count = 0;
    if (!reader.ReadU32(count))
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        std::wstring key;
        std::wstring value;
        if (!reader.ReadText(key) || !reader.ReadText(value))
            return false;
        values.insert(std::make_pair(key, value));
    }
    return true;
}

}  // namespace Tessar
