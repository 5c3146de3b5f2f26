// How the disk scan tells which catalogue game a found file belongs to.
// Every text comparison here is over the whole text: an empty catalogue
// field, or one that only begins like the file's text, never counts.

#include "VQCore/gamelib/ScanGame.h"

#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/GameId.h"
#include "common/ComScope.h"
#include "common/ExecutableInfo.h"
#include "common/IniFile.h"
#include "common/Md5.h"
#include "common/PathText.h"
#include "common/Shortcut.h"
#include "common/TextUtil.h"

#include <cstdlib>
#include <memory>

namespace Tessar {

const wchar_t kProgramExtension[] = L".exe";
const wchar_t kShortcutExtension[] = L".lnk";
const wchar_t kIniExtension[] = L".ini";

namespace {

const wchar_t kFlashConfigName[] = L"config.ini";
const wchar_t kFlashSection[] = L"main";

// Games that share a launcher file name: a file of that name found through
// the exe-name index counts only when a companion file of the game is there.
struct LauncherGame {
    const wchar_t* launcher;
    const wchar_t* gameName;  // the record's GameName
    uint32_t base;            // 0 the file's folder, 1 its parent
    const wchar_t* companion1;
    const wchar_t* companion2;
};

const LauncherGame kLauncherGames[] = {
    {L"QQLogin.exe", L"CF穿越火线", 0, L"crossfire.exe", L"CFSelWorld.exe"},
    {L"QQLogin.exe", L"战地之王", 0, L"Avalauncher.exe", L"AvaDistrict.exe"},
    {L"Client.exe", L"QQ堂", 0, L"InstTXSSO.exe", L"QQTLiveUpdate.exe"},
    {L"Client.exe", L"英雄联盟", 1, L"patcher_update.exe", L"lol.launcher_tencent.exe"},
    {L"Client.exe", L"大明龙权", 1, L"dp.exe", L"LQLoaderCom.exe"},
    {L"Client.exe", L"第九大陆", 1, L"c9.exe", L"C9ConfigOption.exe"},
};

bool SameTextNoCase(const std::wstring& a, const std::wstring& b) {
    return CompareNoCase(a, b, std::wstring::npos) == 0;
}

// Both texts given and equal but for letter case.
bool SameField(const std::wstring& text, const std::wstring& field) {
    return !text.empty() && !field.empty() && SameTextNoCase(text, field);
}

// The folder part of a path (either separator), trailing separators off;
// empty when the path has none.
std::wstring FolderOf(const std::wstring& path) {
    size_t pos = path.find_last_of(kPathSeparators);
    if (pos == std::wstring::npos)
        return std::wstring();
    std::wstring folder = path.substr(0, pos);
    TrimRightChars(folder, kPathSeparators);
    return folder;
}

}  // namespace

// What is read of one program, each at most once however many records of
// an exe-name chain are scored against it.
struct VQScanGame::FileFacts {
    explicit FileFacts(const std::wstring& programPath) : path(programPath) {}

    ExecutableInfo& Info() {
        if (!info)
            info.reset(new ExecutableInfo(path));
        return *info;
    }
    void ReadVersionTexts() {
        if (versionRead)
            return;
        versionRead = true;
        ExecutableInfo& executable = Info();
        if (!executable.LoadVersionInfo())
            return;
        executable.GetFileDescription(description);
        executable.GetCompanyName(company);
        executable.GetInternalName(internalName);
        executable.GetOriginalFilename(originalName);
    }
    const std::wstring& Signer() {
        if (!signerRead) {
            signerRead = true;
            signer = Info().GetSignerName();
        }
        return signer;
    }
    // Upper-case hex; empty when the file is too large or cannot be read.
    const std::wstring& Md5() {
        if (!md5Read) {
            md5Read = true;
            if (IsHashableFile(path))
                md5 = Md5OfFile(path);
            MakeUpper(md5);
        }
        return md5;
    }

    std::wstring path;
    std::unique_ptr<ExecutableInfo> info;
    bool versionRead = false;
    std::wstring description;
    std::wstring company;
    std::wstring internalName;
    std::wstring originalName;
    bool signerRead = false;
    std::wstring signer;
    bool md5Read = false;
    std::wstring md5;
};

bool VQScanGame::HasExtension(const std::wstring& path, const wchar_t* extension) {
    size_t length = wcslen(extension);
    if (path.size() < length)
        return false;
    for (size_t i = 0, at = path.size() - length; i < length; ++i, ++at) {
        if (ToLowerChar(path[at]) != ToLowerChar(extension[i]))
            return false;
    }
    return true;
}

bool VQScanGame::ClassifyFile(const std::wstring& path, std::wstring& target, std::wstring& arguments,
                              std::wstring& workingFolder) {
    target.clear();
    arguments.clear();
    workingFolder.clear();
    if (HasExtension(path, kProgramExtension) || HasExtension(path, kIniExtension)) {
        target = path;
        return true;
    }
    if (!HasExtension(path, kShortcutExtension))
        return false;
    VQComScope apartment;
    uint32_t attributes = 0;
    if (!ReadShortcutTarget(path, target, attributes, workingFolder, arguments) ||
        !HasExtension(target, kProgramExtension)) {
        target.clear();
        arguments.clear();
        workingFolder.clear();
        return false;
    }
    return true;
}

// The size comes from the file's attributes rather than from an opened
// handle: opening costs a round trip to the system per program, and a file
// that cannot be opened is not hashed by Md5OfFile either.
bool VQScanGame::IsHashableFile(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return size <= kMaxHashedFileSize;
}

const VQGameRecord* VQScanGame::FindRecordById(uint32_t id) const {
    const VQDatabaseXmlFile* database = Database();
    return database != nullptr ? database->FindById(id) : nullptr;
}

const VQGameRecord* VQScanGame::MatchKnownGame(const std::wstring& path) const {
    const VQDatabaseXmlFile* database = Database();
    if (database == nullptr)
        return nullptr;
    FileFacts facts(path);

    // A game whose program has a known hash: final, whatever its name.
    if (!facts.Md5().empty()) {
        if (const VQGameRecord* first = database->FindByMd5(facts.Md5())) {
            if (first->NextSameKey == nullptr)
                return first;
            std::wstring folderName = GetFileName(FolderOf(path));
            for (const VQGameRecord* record = first->NextSameKey; record != nullptr; record = record->NextSameKey) {
                if (SameField(folderName, record->GameName))
                    return record;
            }
            return first;
        }
    }

    std::wstring fileName = GetFileName(path);
    std::wstring key = fileName;
    MakeLower(key);
    const VQGameRecord* best = nullptr;
    int32_t bestScore = 0;
    for (const VQGameRecord* record = database->FindByExeName(key); record != nullptr;
         record = record->NextSameKey) {
        int32_t score = 0;
        if (ScoreRecordMatch(score, *record, facts) && score > bestScore) {
            best = record;
            bestScore = score;
        }
    }
    if (best == nullptr)
        return nullptr;

    for (const LauncherGame& row : kLauncherGames) {
        if (SameTextNoCase(fileName, row.launcher) && SameTextNoCase(best->GameName, row.gameName))
            return CheckCompanionFiles(row.base, path, row.companion1, row.companion2) ? best : nullptr;
    }
    return best;
}

bool VQScanGame::ScoreRecordMatch(int32_t& score, const VQGameRecord& record, FileFacts& facts) const {
    facts.ReadVersionTexts();
    score = 0;
    if (facts.description.empty() && facts.company.empty() && facts.internalName.empty() &&
        facts.originalName.empty())
        score += 1;
    // The signature is read only when the record names a signer to compare.
    if (!record.DigitalSignature.empty() && SameField(facts.Signer(), record.DigitalSignature))
        score += 2;
    if (SameField(facts.description, record.Description))
        score += 1;
    if (SameField(facts.company, record.Company))
        score += 1;
    if (SameField(facts.internalName, record.InternalName))
        score += 1;
    if (SameField(facts.originalName, record.OriginalName))
        score += 1;
    if (score >= 3)
        return true;
    return !record.Md5.empty() && SameField(facts.Md5(), record.Md5);
}

bool VQScanGame::CheckCompanionFiles(uint32_t base, const std::wstring& path, const std::wstring& companion1,
                                     const std::wstring& companion2) {
    std::wstring folder = FolderOf(path);
    if (base == 1)
        folder = FolderOf(folder);
    else if (base != 0)
        return false;
    if (folder.empty())
        return false;
    if (!companion1.empty() && FileExists(CombinePath(folder, companion1)))
        return true;
    return !companion2.empty() && FileExists(CombinePath(folder, companion2));
}

bool VQScanGame::ReadFlashGameIni(std::wstring& swfPath, const std::wstring& fileName, const std::wstring& folder,
                                  std::wstring& name) {
    swfPath.clear();
    name.clear();
    if (!SameTextNoCase(fileName, kFlashConfigName))
        return false;
    IniFile ini(CombinePath(folder, fileName));
    std::wstring gameName = ini.ReadString(kFlashSection, L"name");
    std::wstring swf = ini.ReadString(kFlashSection, L"swf");
    std::wstring help = ini.ReadString(kFlashSection, L"help");
    if (gameName.empty() || swf.empty() || help.empty())
        return false;
    std::wstring swfFile = CombinePath(folder, swf);
    if (!FileExists(swfFile) || !FileExists(CombinePath(folder, help)))
        return false;
    swfPath = swfFile;
    name = gameName;
    return true;
}

const VQGameRecord* VQScanGame::MatchFlashGameFolder(const std::wstring& fileName, const std::wstring& folder) const {
    std::wstring swfPath, name;
    if (!ReadFlashGameIni(swfPath, fileName, folder, name))
        return nullptr;
    // The swf file is named by the game's id.
    int id = _wtoi(GetFileTitle(swfPath).c_str());
    if (id <= 0 || !IsFlashGameId(static_cast<uint32_t>(id)))
        return nullptr;
    const VQGameRecord* record = FindRecordById(static_cast<uint32_t>(id));
    return record != nullptr && record->GameName == name ? record : nullptr;
}

}  // namespace Tessar
