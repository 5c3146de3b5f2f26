// The seed list file "seeds.xml": root "Seeds", one "Seed" per seed in list
// order, each with the children "gameId" (decimal) and "resume" (the path
// of the finished game's torrent file).
#include "VQCore/download/BTManager.h"

#include "common/FileUtil.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "common/TextUtil.h"
#include "common/XmlDocument.h"
#include "common/XmlElement.h"


namespace Tessar {

namespace {

const wchar_t kSeedsRoot[] = L"Seeds";
const wchar_t kSeedElement[] = L"Seed";
const wchar_t kGameIdElement[] = L"gameId";
const wchar_t kResumeElement[] = L"resume";

bool IsDecimal(const std::wstring& text) {
    if (text.empty() || text.size() > 20)
        return false;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return false;
    }
    return true;
}

}  // namespace

std::wstring VQBTManager::GetSeedsFilePath() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_seedsPath;
}

bool VQBTManager::SaveSeeds() {
    std::lock_guard<std::mutex> hold(m_lock);
    return SaveSeedsLocked();
}

bool VQBTManager::SaveSeedsLocked() {
    // Written under m_lock: the file always shows the list of the last
    // change, never an older snapshot that another thread wrote late.
    if (m_seedsPath.empty())
        return false;
    VQXmlDocument document;
    TiXmlElement* root = AddChildElement(&document, nullptr, kSeedsRoot);
    if (root == nullptr)
        return false;
    for (const auto& seed : m_seeds) {
        TiXmlElement* element = AddElement(root, kSeedElement);
        AddElementText(AddElement(element, kGameIdElement), UInt64ToString(seed->GetId()));
        AddElementText(AddElement(element, kResumeElement), seed->GetResumePath());
    }
    return SaveXmlDocument(document, m_seedsPath);
}

bool VQBTManager::LoadSeeds() {
    std::wstring path = GetSeedsFilePath();
    if (path.empty() || !FileExists(path))
        return false;
    VQXmlDocument document(path);
    TiXmlElement* root = FindChildElement(&document, kSeedsRoot);
    if (!document.IsLoaded() || root == nullptr)
        return false;
    for (TiXmlElement* seed = root->FirstChildElement(); seed != nullptr; seed = seed->NextSiblingElement()) {
        if (MakeWideString(seed->Value()) != kSeedElement)
            continue;
        std::wstring id, resume;
        if (!GetElementText(FindChildElement(seed, kGameIdElement), id) ||
            !GetElementText(FindChildElement(seed, kResumeElement), resume) || !IsDecimal(id) || resume.empty())
            continue;
        if (AddSeedFromFile(StringToUInt64(id), resume))
            continue;
        // A torrent file the engine rejects goes, but the list is plain XML
        // anyone can edit: nothing outside the download folder is touched.
        if (IsInsideDownloadFolder(resume))
            ForceDeleteFile(resume);
    }
    return true;
}

void VQBTManager::MoveSeedsFile(const std::wstring& folder) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_folder = folder;
    m_seedsPath = CombinePath(folder, L"seeds.xml");
    SaveSeedsLocked();
}

bool VQBTManager::IsInsideDownloadFolder(const std::wstring& path) const {
    std::wstring folder;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        folder = m_folder;
    }
    std::wstring fullFolder, fullPath;
    size_t namePos = 0;
    if (folder.empty() || !GetFullPath(folder, fullFolder, namePos) || !GetFullPath(path, fullPath, namePos))
        return false;
    while (!fullFolder.empty() && (fullFolder.back() == L'\\' || fullFolder.back() == L'/'))
        fullFolder.pop_back();
    fullFolder += L'\\';
    return fullPath.size() > fullFolder.size() && CompareNoCase(fullPath, fullFolder, fullFolder.size()) == 0;
}

}  // namespace Tessar
