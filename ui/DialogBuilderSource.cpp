// Where the builder's markup comes from: wide text in memory, a file, or a
// resource of the skin's resource module. Every source is bounded in size
// and nesting before the XML parser sees it.
#include "ui/DialogBuilder.h"

#include <tinyxml.h>

#include <cwctype>

#include "common/Buffer.h"
#include "common/CodePage.h"
#include "common/FileHandle.h"
#include "common/PathText.h"
#include "ui/MarkupDepth.h"
#include "ui/SkinManager.h"

namespace Tessar {

namespace {

// Layouts and styles are a few kilobytes; anything far larger is not one.
const uint64_t kMaxMarkupBytes = 32u * 1024 * 1024;

bool ReadMarkupFile(const std::wstring& path, VQBuffer<unsigned char>& bytes) {
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info)) return false;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > kMaxMarkupBytes) return false;
    return ReadFileToBuffer(path, bytes) && bytes.size > 0 && bytes.size <= kMaxMarkupBytes;
}

// A resource name or type: all digits (or "#digits") names a numbered one.
std::wstring ResourceKey(const std::wstring& text, LPCWSTR& key) {
    std::wstring digits = text;
    if (!digits.empty() && digits[0] == L'#') digits.erase(0, 1);
    bool numeric = !digits.empty() && digits.size() <= 5;
    for (wchar_t c : digits)
        if (!std::iswdigit(c)) numeric = false;
    if (numeric) {
        unsigned long id = wcstoul(digits.c_str(), nullptr, 10);
        if (id > 0 && id <= 0xFFFF) {
            key = MAKEINTRESOURCEW(id);
            return std::wstring();
        }
    }
    key = nullptr;
    return text;
}

}  // namespace

bool VQDialogBuilder::ParseNarrow(const char* text, size_t length) {
    m_document.reset();
    if (text == nullptr || length == 0 || length > kMaxMarkupBytes) return false;
    if (!MarkupDepthWithin(text, length, kMaxDepth)) return false;
    // The parser reads up to a terminating zero; resources and files have none.
    std::string copy(text, length);
    std::unique_ptr<TiXmlDocument> document(new TiXmlDocument);
    document->Parse(copy.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    if (document->Error() || document->FirstChildElement() == nullptr) return false;
    m_document = std::move(document);
    return true;
}

bool VQDialogBuilder::Load(const std::wstring& markup, int sourceKind, const std::wstring& resourceType,
                           bool lookInSkinFolder) {
    m_document.reset();
    m_builtIn = sourceKind == MarkupFromMemory || sourceKind == MarkupFromResource;
    switch (sourceKind) {
    case MarkupFromMemory: {
        std::string narrow = WideToCodePage(kMarkupCodePage, markup);
        return ParseNarrow(narrow.data(), narrow.size());
    }
    case MarkupFromFile: {
        if (markup.empty()) return false;
        std::wstring path = markup;
        if (lookInSkinFolder && !FileExists(path)) path = VQSkinManager::Instance().GetResourceFolder() + markup;
        VQBuffer<unsigned char> bytes;
        if (!ReadMarkupFile(path, bytes)) return false;
        return ParseNarrow(reinterpret_cast<const char*>(bytes.data), bytes.size);
    }
    case MarkupFromResource: {
        if (markup.empty() || resourceType.empty()) return false;
        HINSTANCE module = VQSkinManager::Instance().GetResourceModule();
        LPCWSTR nameKey = nullptr;
        LPCWSTR typeKey = nullptr;
        std::wstring name = ResourceKey(markup, nameKey);
        std::wstring type = ResourceKey(resourceType, typeKey);
        HRSRC found = ::FindResourceW(module, nameKey ? nameKey : name.c_str(), typeKey ? typeKey : type.c_str());
        if (!found) return false;
        DWORD size = ::SizeofResource(module, found);
        HGLOBAL loaded = ::LoadResource(module, found);
        const void* data = loaded ? ::LockResource(loaded) : nullptr;
        if (!data || size == 0) return false;
        return ParseNarrow(static_cast<const char*>(data), size);
    }
    default:
        return false;
    }
}

}  // namespace Tessar
