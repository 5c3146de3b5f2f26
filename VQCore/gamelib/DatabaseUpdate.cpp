// Bringing the catalogue up to date from the update server: an increment
// applied in memory and saved, or a full copy that replaces the file.
#include "VQCore/gamelib/DatabaseXmlFile.h"

#include "VQCore/gamelib/GameRecordFields.h"
#include "common/Buffer.h"
#include "common/FileUtil.h"
#include "common/HttpGetter.h"
#include "common/Md5.h"
#include "common/RemoteFileInfo.h"
#include "common/TempFile.h"
#include "common/TextUtil.h"
#include "common/XmlDocument.h"
#include "common/XmlElement.h"

#include <cstring>

namespace Tessar {

namespace {

const wchar_t kVersionKey[] = L"&ver=";
// A DownloadUrl that begins so (in any case) means nothing is new.
const wchar_t kNothingNew[] = L"None";
const char kVersionElement[] = "VERSION";
const char kRemoveSection[] = "REMOVE";

// Both full 32-digit texts, in any letter case: a cut digest never passes.
bool SameMd5(const std::wstring& computed, const std::wstring& expected) {
    return !computed.empty() && computed.size() == expected.size() &&
           CompareNoCase(computed, expected, computed.size()) == 0;
}

}  // namespace

bool VQDatabaseXmlFile::UpdateFromServer(const std::wstring& request, bool& changed, bool& incremental) {
    changed = false;
    VQRemoteFileInfo reply;
    if (!FetchDownloadInfo(request + kVersionKey + m_version, reply))
        return false;
    if (PrefixCompareNoCase(reply.downloadUrl, kNothingNew) == 0)
        return true;
    if (!reply.increment) {
        incremental = false;
        return Download(request, &reply, changed);
    }

    VQBuffer<unsigned char> body;
    uint32_t length = 0;
    if (!HttpGetToMemory(reply.downloadUrl, body, length))
        return false;
    // An increment is checked like a full copy before anything of it is used.
    if (!reply.md5.empty() && !SameMd5(Md5OfBuffer(body.data, static_cast<int32_t>(length)), reply.md5))
        return false;
    if (!ApplyIncrement(body.data, length))
        return false;
    if (!Save())
        return false;
    changed = true;
    return true;
}

bool VQDatabaseXmlFile::ApplyIncrement(const unsigned char* bytes, uint32_t length) {
    const char* text = reinterpret_cast<const char*>(bytes);
    // A zero byte inside would end the parse early and apply a part.
    if (text == nullptr || std::strlen(text) != length)
        return false;
    if (!m_update)
        m_update.reset(new VQXmlDocument);
    if (!m_update->ParseText(text))
        return false;

    for (uint32_t list = kNewSingleList; list < kIdListCount; ++list)
        m_lists[list].clear();
    const TiXmlElement* version = m_update->FirstChildElement(kVersionElement);
    const char* versionText = version != nullptr ? GameElementText(version) : nullptr;
    if (versionText != nullptr)
        m_version = MakeWideString(versionText);
    AddGames();
    RemoveGames(m_update->FirstChildElement(kRemoveSection));
    ModifyGames();
    return true;
}

bool VQDatabaseXmlFile::Download(const std::wstring& request, const VQRemoteFileInfo* reply, bool& changed) {
    changed = false;
    VQRemoteFileInfo info;
    if (reply == nullptr || reply->downloadUrl.empty()) {
        if (!FetchDownloadInfo(request, info))
            return false;
    } else {
        info = *reply;
    }

    TempFileHolder temp;
    std::wstring tempPath;
    if (!CreateTempFile(temp, tempPath) || !HttpGetToFile(info.downloadUrl, tempPath, nullptr, 0))
        return false;
    if (!info.md5.empty() && !SameMd5(Md5OfFile(tempPath), info.md5))
        return false;
    {
        // A copy that would not load never replaces a catalogue that does.
        VQDatabaseXmlFile check(tempPath);
        if (!check.Load())
            return false;
    }
    CreateFolderChain(GetFullPathFolder(m_path));
    // Stored as it came: it is already in the enciphered file form.
    if (!MoveFileReplace(tempPath, m_path))
        return false;
    temp.owned = false;
    changed = true;
    return true;
}

}  // namespace Tessar
