#include "VQCore/app/pages/RecommendXmlFile.h"

#include <tinyxml.h>

#include <cwchar>

#include "common/FileUtil.h"
#include "common/HttpGetter.h"
#include "common/Md5.h"
#include "common/PathText.h"
#include "common/RemoteFileInfo.h"
#include "common/ScrambledXmlFile.h"
#include "common/SystemUtil.h"
#include "common/TempFile.h"
#include "common/XmlDocument.h"
#include "common/XmlElement.h"

namespace Tessar {

const char* const VQRecommendXmlFile::kListNames[kKindLists] = {"PC", "ONLINE", "FLASH", "WEBGAME", "TOOL"};

namespace {

// Compared without case over the shorter of the two lengths.
bool SamePrefixNoCase(const std::wstring& a, const std::wstring& b) {
    const size_t n = std::min(a.size(), b.size());
    return _wcsnicmp(a.c_str(), b.c_str(), n) == 0;
}

}  // namespace

VQRecommendXmlFile::VQRecommendXmlFile(const std::wstring& path, uint32_t type) : VQXmlFile(path), m_type(type) {}

VQRecommendXmlFile::~VQRecommendXmlFile() {
    Close();
}

void VQRecommendXmlFile::Close() {
    DeleteDocument();
    for (std::vector<int32_t>& list : m_lists) list.clear();
}

bool VQRecommendXmlFile::Load() {
    Close();
    if (LoadScrambledXmlFile(*this, m_path) != kScrambledLoaded) return false;
    if (!ParseRawText() || !m_document) return false;
    for (const char* name : {"VERSION", "MD5"}) {
        const TiXmlElement* element = m_document->FirstChildElement(name);
        const char* text = element ? element->GetText() : nullptr;
        if (text && *text) (name[0] == 'V' ? m_version : m_md5) = MakeWideString(text);
    }
    const TiXmlElement* top = m_document->FirstChildElement(m_type == AdvertList ? "ADVERT" : "HOT");
    if (!top) return true;
    for (const TiXmlElement* list = top->FirstChildElement(); list; list = list->NextSiblingElement()) {
        for (int i = 0; i < kKindLists; ++i) {
            if (std::strcmp(list->Value(), kListNames[i]) != 0) continue;
            for (const TiXmlElement* entry = list->FirstChildElement(); entry; entry = entry->NextSiblingElement()) {
                const char* text = entry->GetText();
                if (text) m_lists[i].push_back(std::atoi(text));
            }
        }
    }
    return true;
}

bool VQRecommendXmlFile::Refresh(const std::wstring& query) {
    std::wstring url = query;
    if (!m_version.empty()) url += L"&ver=" + m_version;
    std::wstring osName;
    uint32_t major = 0;
    GetOsName(osName, &major);
    const wchar_t* os = major == 6 ? L"win7" : major == 5 ? L"winxp" : major == 4 ? L"win9x" : nullptr;
    if (os) url += std::wstring(L"&os=") + os;
    VQRemoteFileInfo info;
    if (!FetchDownloadInfo(url, info)) return false;
    if (SamePrefixNoCase(info.downloadUrl, L"None")) return true;
    TempFileHolder temp;
    std::wstring tempPath;
    if (!CreateTempFile(temp, tempPath)) return false;
    if (!HttpGetToFile(info.downloadUrl, tempPath, nullptr, 0)) return false;
    if (!info.md5.empty()) {
        const std::wstring md5 = Md5OfFile(tempPath);
        if (md5.empty() || !SamePrefixNoCase(md5, info.md5)) return false;
    }
    std::wstring folder, separator, name;
    SplitFolderAndName(m_path, folder, separator, name);
    if (!folder.empty() && !FolderExists(folder)) CreateFolderChain(folder);
    // Replaced in one step, so a reader never sees half a list.
    if (!MoveFileExW(tempPath.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) return false;
    temp.owned = false;
    return true;
}

}  // namespace Tessar
