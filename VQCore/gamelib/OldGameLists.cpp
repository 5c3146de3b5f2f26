#include "VQCore/gamelib/OldGameLists.h"

#include "VQCore/gamelib/GameId.h"
#include "common/NumberText.h"
#include "common/XmlDocument.h"
#include "common/XmlElement.h"

#include <cstdlib>
#include <functional>

namespace Tessar {

namespace {

// Calls the visitor with each field's name and text of one entry.
void ForEachField(const TiXmlElement* entry,
                  const std::function<void(const std::wstring&, const std::wstring&)>& visit) {
    for (const TiXmlElement* field = entry->FirstChildElement(); field != nullptr;
         field = field->NextSiblingElement()) {
        std::wstring text;
        GetElementText(field, text);
        visit(MakeWideString(field->Value()), text);
    }
}

// Old ids of downloads may carry a tail after their digits.
uint32_t LeadingId(const std::wstring& text) {
    return static_cast<uint32_t>(StringToUInt64(text));
}

uint32_t CurrentState(const std::wstring& oldState) {
    return static_cast<uint32_t>(_wtoi(oldState.c_str())) + 1;
}

// Which old list an entry comes from: local.vqx gives fewer fields, under
// other names.
enum OldList { kLocalList, kUserList };

VQInstalledXmlFile::Record ReadInstalled(const TiXmlElement* entry, OldList from) {
    VQInstalledXmlFile::Record record(new VQGameInstalledInfo());
    VQGameInstalledInfo& info = *record;
    ForEachField(entry, [&info, from](const std::wstring& name, const std::wstring& text) {
        if (name == L"ID")
            info.ID = static_cast<uint32_t>(_wtoi(text.c_str()));
        else if (name == L"FullPath")
            info.FullPath = text;
        else if (from == kLocalList)
            return;
        else if (name == L"Name")
            info.Name = text;
        else if (name == L"RunArg")
            info.RunArg = text;
        else if (name == L"WorkingDir")
            info.WorkingDir = text;
        else if (name == L"SetupDir")
            info.SetupDir = text;
        else if (name == L"SetupTime")
            info.SetupTime = _wtoi64(text.c_str());
        else if (name == L"LastRunTime")
            info.LastRunTime = _wtoi64(text.c_str());
        else if (name == L"RunCount")
            info.RunCount = static_cast<uint32_t>(_wtoi(text.c_str()));
        else if (name == L"Registered")
            info.Registered = static_cast<uint32_t>(_wtoi(text.c_str()));
    });
    return record;
}

VQDownloadXmlFile::Record ReadDownload(const TiXmlElement* entry, OldList from) {
    VQDownloadXmlFile::Record record(new VQGameDownloadInfo());
    VQGameDownloadInfo& info = *record;
    const wchar_t* stateField = from == kLocalList ? L"DownloadState" : L"State";
    ForEachField(entry, [&info, from, stateField](const std::wstring& name, const std::wstring& text) {
        if (name == L"ID")
            info.ID = LeadingId(text);
        else if (name == L"DownloadUrl")
            info.URL = text;
        else if (name == L"LogPath")
            info.LogPath = text;
        else if (name == L"SetupPath" && from == kUserList)
            info.SetupPath = text;
        else if (name == stateField)
            info.State = CurrentState(text);
    });
    return record;
}

// local.vqx lists installed games only of the kinds that are installed on
// the disk; Flash, web and user-added games are not carried over.
bool IsLocalInstalledId(uint32_t id) {
    return IsSingleGameId(id) || IsOnlineGameId(id) || IsToolGameId(id);
}

void ReadInstalledList(const TiXmlElement* list, OldList from, VQInstalledXmlFile::Records& records) {
    for (const TiXmlElement* entry = list->FirstChildElement(); entry != nullptr; entry = entry->NextSiblingElement()) {
        VQInstalledXmlFile::Record record = ReadInstalled(entry, from);
        if (from == kUserList || IsLocalInstalledId(record->ID))
            records.push_back(record);
    }
}

void ReadDownloadList(const TiXmlElement* list, OldList from, VQDownloadXmlFile::Records& records) {
    for (const TiXmlElement* entry = list->FirstChildElement(); entry != nullptr; entry = entry->NextSiblingElement())
        records.push_back(ReadDownload(entry, from));
}

}  // namespace

void ReadOldLocalList(const std::wstring& path, VQOldGameLists& lists) {
    VQXmlDocument document(path);
    if (!document.IsLoaded())
        return;
    const TiXmlElement* root = FindChildElement(&document, L"LOCALGAME");
    if (root == nullptr)
        return;
    for (const TiXmlElement* list = root->FirstChildElement(); list != nullptr; list = list->NextSiblingElement()) {
        const std::wstring name = MakeWideString(list->Value());
        if (name == L"PC_GAME" || name == L"ONLINE_GAME")
            ReadInstalledList(list, kLocalList, lists.common);
        else if (name == L"GAME_TOOL")
            ReadInstalledList(list, kLocalList, lists.quick);
        else if (name == L"DOWNLOAD_GAME")
            ReadDownloadList(list, kLocalList, lists.downloads);
    }
}

void ReadOldUserList(const std::wstring& path, VQOldGameLists& lists) {
    VQXmlDocument document(path);
    if (!document.IsLoaded())
        return;
    const TiXmlElement* root = FindChildElement(&document, L"USERGAME");
    if (root == nullptr)
        return;
    for (const TiXmlElement* group = root->FirstChildElement(); group != nullptr; group = group->NextSiblingElement()) {
        const std::wstring groupName = MakeWideString(group->Value());
        if (groupName != L"GAME" && groupName != L"TOOL")
            continue;
        VQInstalledXmlFile::Records& installed = groupName == L"GAME" ? lists.common : lists.quick;
        for (const TiXmlElement* list = group->FirstChildElement(); list != nullptr;
             list = list->NextSiblingElement()) {
            const std::wstring name = MakeWideString(list->Value());
            if (name == L"INSTALL")
                ReadInstalledList(list, kUserList, installed);
            else if (name == L"DOWNLOAD")
                ReadDownloadList(list, kUserList, lists.downloads);
        }
    }
}

bool WriteCurrentGameLists(const VQOldGameLists& lists, const std::wstring& installListPath,
                           const std::wstring& downloadListPath) {
    VQInstalledXmlFile installed;
    installed.SetRecords(lists.common, lists.quick);
    if (!installed.Save(installListPath))
        return false;
    VQDownloadXmlFile downloads;
    downloads.SetRecords(lists.downloads);
    return downloads.Save(downloadListPath);
}

}  // namespace Tessar
