#include "VQUpdate/UpdateInfo.h"

#include "VQUpdate/UpdateDownload.h"
#include "common/CodePage.h"
#include "common/ServerAddresses.h"

#include <tinyxml.h>

#include <cstdlib>
#include <cstring>

namespace Tessar {

namespace {

// Reply element names, compared exactly.
const char kVersionElement[] = "VERSION";
const char kFileElement[] = "FILE";
const char kDownloadUrlElement[] = "DownloadUrl";
const char kMd5Element[] = "Md5";
const char kFileSizeElement[] = "FileSize";
const char kFileNameElement[] = "FileName";

}  // namespace

bool FetchUpdateInfo(std::string& reply) {
    reply.clear();
    VQBuffer<unsigned char> buffer;
    if (!HttpGetToBuffer(GetEndpointUrl(kUpdaterUpdateEndpoint), buffer))
        return false;
    reply.assign(reinterpret_cast<const char*>(buffer.data));
    return !reply.empty();
}

bool ParseUpdateInfo(const std::string& reply, VQVersion& remote, VQUpdateInfo& info) {
    TiXmlDocument document;
    document.Parse(reply.c_str());
    if (document.Error())
        return false;
    const TiXmlElement* version = document.FirstChildElement(kVersionElement);
    if (version == nullptr || version->GetText() == nullptr)
        return false;
    // A malformed version keeps zeros in the fields it does not reach.
    ParseVersionText(NarrowToWide(version->GetText()), remote);

    const TiXmlElement* file = document.FirstChildElement(kFileElement);
    if (file == nullptr)
        return true;
    for (const TiXmlElement* child = file->FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        const char* text = child->GetText();
        if (text == nullptr)
            continue;
        const std::string& name = child->ValueStr();
        if (name == kDownloadUrlElement)
            info.downloadUrl = NarrowToWide(text);
        else if (name == kMd5Element)
            info.md5 = NarrowToWide(text);
        else if (name == kFileSizeElement)
            info.fileSize = _wtoi(NarrowToWide(text).c_str());
        else if (name == kFileNameElement)
            info.fileName = NarrowToWide(text);
    }
    return true;
}

bool CheckForUpdate(VQUpdateInfo& info, std::wstring& localVersion, std::wstring& remoteVersion) {
    info.upToDate = 1;
    VQVersion local;
    GetLocalVersion(local);
    localVersion = FormatVersion(local);

    std::string reply;
    if (!FetchUpdateInfo(reply))
        return false;
    VQVersion remote;
    if (!ParseUpdateInfo(reply, remote, info))
        return false;
    remoteVersion = FormatVersion(remote);
    if (IsOlderVersion(local, remote))
        info.upToDate = 0;
    return true;
}

}  // namespace Tessar
