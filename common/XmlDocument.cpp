#include "common/XmlDocument.h"

#include "common/CodePage.h"
#include "common/FileReplace.h"

#include <windows.h>

#include <io.h>

#include <cstdio>
#include <cstring>
#include <new>

namespace Tessar {

VQXmlDocument::VQXmlDocument() : m_loaded(0) {}

VQXmlDocument::VQXmlDocument(const std::wstring& path)
    : TiXmlDocument(WideToNarrow(path).c_str()), m_path(path), m_loaded(0) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr)
        return;
    if (LoadFile(file))
        m_loaded = 1;
    std::fclose(file);
}

bool VQXmlDocument::ParseText(const char* text) {
    Clear();
    ClearError();
    if (text == nullptr)
        return false;
    Parse(text);
    m_loaded = Error() ? 0 : 1;
    return m_loaded != 0;
}

bool SaveXmlDocument(const TiXmlDocument& document, const std::wstring& path) {
    return WriteFileReplacing(path, [&document](const std::wstring& temp) {
        FILE* file = _wfopen(temp.c_str(), L"w");
        if (file == nullptr)
            return false;
        bool written = document.SaveFile(file);
        written = std::fflush(file) == 0 && written;
        // On the disk before the rename puts it in place: a power loss then
        // leaves the old file or the new one, never a renamed empty one.
        const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
        written = handle != INVALID_HANDLE_VALUE && ::FlushFileBuffers(handle) != FALSE && written;
        return std::fclose(file) == 0 && written;
    });
}

bool PrintXmlToBuffer(const TiXmlNode* node, VQBuffer<char>& buffer) {
    if (node == nullptr)
        return false;
    TiXmlPrinter printer;
    if (!node->Accept(&printer))
        return false;
    size_t length = printer.Size();
    if (length >= UINT32_MAX)
        return false;
    try {
        VQBuffer<char> text(static_cast<uint32_t>(length + 1));
        std::memcpy(text.data, printer.CStr(), length);
        text.data[length] = '\0';
        buffer = std::move(text);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace Tessar
