#include "common/RemoteFileInfo.h"

#include "common/Buffer.h"
#include "common/CodePage.h"
#include "common/ServerNumber.h"
#include "common/TextUtil.h"
#include "common/XmlDocument.h"
#include "common/XmlElement.h"

#include <cstring>

namespace Tessar {

namespace {

// Names of the reply's elements.
const char kFileElement[] = "FILE";
const char kIncrementElement[] = "Increment";
const char kDownloadUrlElement[] = "DownloadUrl";
const char kSpareUrlElement[] = "SpareUrl";
const char kMd5Element[] = "Md5";
const char kFileSizeElement[] = "FileSize";
const char kFileNameElement[] = "FileName";
const char kDownloadTypeElement[] = "DownloadType";
const char kTorrentUrlElement[] = "TorrentUrl";

bool IsUtf8Document(const std::string& text, const TiXmlDocument& document) {
    if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
        static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF)
        return true;
    for (const TiXmlNode* node = document.FirstChild(); node != nullptr; node = node->NextSibling()) {
        const TiXmlDeclaration* declaration = node->ToDeclaration();
        if (declaration == nullptr)
            continue;
        std::wstring encoding = NarrowToWide(declaration->Encoding());
        MakeLower(encoding);
        return encoding == L"utf-8" || encoding == L"utf8";
    }
    return false;
}

bool ReadText(const TiXmlElement* element, bool utf8, std::wstring& text) {
    if (!utf8)
        return GetElementText(element, text);
    text.clear();
    const TiXmlNode* first = element->FirstChild();
    if (first == nullptr || first->ToText() == nullptr)
        return false;
    text = Utf8ToWide(std::string(first->Value()));
    return true;
}

// Stores one child. Numbers are read from their leading digits, as the
// server's own clients always have: "2 " or "2x" is peer-to-peer.
void ApplyField(const char* name, const std::wstring& text, VQRemoteFileInfo& info) {
    if (std::strcmp(name, kIncrementElement) == 0) {
        info.increment = LeadingNumber(text) == 1 ? 1 : 0;
    } else if (std::strcmp(name, kDownloadTypeElement) == 0) {
        uint64_t type = LeadingNumber(text);
        info.downloadType = type > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(type);
    } else if (std::strcmp(name, kFileSizeElement) == 0) {
        // Kept as text; its readers decide what a size they can use is.
        info.fileSize = text;
    } else if (std::strcmp(name, kDownloadUrlElement) == 0) {
        info.downloadUrl = text;
    } else if (std::strcmp(name, kSpareUrlElement) == 0) {
        info.spareUrl = text;
    } else if (std::strcmp(name, kMd5Element) == 0) {
        info.md5 = text;
    } else if (std::strcmp(name, kFileNameElement) == 0) {
        info.fileName = text;
    } else if (std::strcmp(name, kTorrentUrlElement) == 0) {
        info.torrentUrl = text;
    }
}

}  // namespace

VQRemoteFileInfo::VQRemoteFileInfo() : downloadType(1), increment(1) {}

VQRemoteFileInfo::~VQRemoteFileInfo() = default;

bool ParseDownloadInfo(const unsigned char* bytes, uint32_t length, VQRemoteFileInfo& info) {
    info = VQRemoteFileInfo();
    if (bytes == nullptr || length == 0)
        return false;
    const char* begin = reinterpret_cast<const char*>(bytes);
    const void* zero = std::memchr(begin, 0, length);
    std::string text(begin, zero != nullptr ? static_cast<const char*>(zero) : begin + length);

    VQXmlDocument document;
    if (!document.ParseText(text.c_str()))
        return false;
    const TiXmlElement* file = document.FirstChildElement(kFileElement);
    if (file == nullptr)
        return false;
    bool utf8 = IsUtf8Document(text, document);

    VQRemoteFileInfo parsed;
    for (const TiXmlElement* child = file->FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        std::wstring value;
        if (!ReadText(child, utf8, value) || value.empty())
            continue;
        ApplyField(child->Value(), value, parsed);
    }
    if (parsed.downloadUrl.empty())
        return false;
    info = parsed;
    return true;
}

bool FetchDownloadInfo(const std::wstring& url, VQRemoteFileInfo& info, const VQHttpGetLimits& limits) {
    VQBuffer<unsigned char> reply;
    uint32_t length = 0;
    if (HttpGetToMemoryBounded(url, limits, reply, length) != VQBoundedGetResult::Done) {
        info = VQRemoteFileInfo();
        return false;
    }
    bool parsed = ParseDownloadInfo(reply.data, length, info);
    reply.Resize(0);
    return parsed;
}

}  // namespace Tessar
