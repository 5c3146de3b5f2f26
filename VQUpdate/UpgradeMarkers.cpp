#include "VQUpdate/UpgradeMarkers.h"

#include "VQUpdate/MarkerFile.h"
#include "VQCore/gamelib/AppFolder.h"
#include "VQCore/gamelib/AppPaths.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/SystemUtil.h"
#include "common/TextUtil.h"

#include <shellapi.h>

namespace Tessar {

const wchar_t kManagerWindowTitle[] = L"Tovana\u6E38\u620F";
const wchar_t kBackgroundArgument[] = L"-background";

bool ReadUpgradeRecord(const VQUpgrader& upgrader, VQUpgradeRecord& record) {
    if (upgrader.WorkFolder().empty())
        return false;
    return SplitRunRecord(ReadMarkerFile(upgrader.WorkPath(kUpgradeMarkerName)), record.updaterCopy,
                          record.updaterMd5, record.programFolder);
}

std::wstring ReadUpgradeMarker(VQUpgrader& upgrader, bool deleteAfterReading) {
    VQUpgradeRecord record;
    bool read = ReadUpgradeRecord(upgrader, record);
    if (deleteAfterReading && !upgrader.WorkFolder().empty())
        ForceDeleteFile(upgrader.WorkPath(kUpgradeMarkerName));
    // A relative folder would be taken from wherever the copy runs.
    if (!read || !IsAbsolutePath(record.programFolder) || !FolderExists(record.programFolder))
        return std::wstring();
    upgrader.SetProgramFolder(record.programFolder);
    return record.programFolder;
}

bool ReadDownloadMarker(VQUpgrader& upgrader, std::vector<std::wstring>& files, bool deleteAfterReading) {
    files.clear();
    if (upgrader.WorkFolder().empty())
        return false;
    std::wstring marker = upgrader.WorkPath(kDownloadMarkerName);
    std::wstring text = ReadMarkerFile(marker);
    if (deleteAfterReading)
        ForceDeleteFile(marker);
    SplitList(text, files);
    VQUpgrader releaseFolder;
    releaseFolder.SetWorkFolder(upgrader.WorkPath(kReleaseFolderName));
    for (const std::wstring& file : files) {
        if (!releaseFolder.IsInWorkFolder(file) || !FileExists(file)) {
            files.clear();
            return false;
        }
    }
    return !files.empty();
}

bool WriteRestartMarker(const std::wstring& program, const std::wstring& folder, const std::wstring& parameters) {
    return WriteRestartMarker(VQUpgrader(), program, folder, parameters);
}

bool WriteRestartMarker(const VQUpgrader& upgrader, const std::wstring& program, const std::wstring& folder,
                        const std::wstring& parameters) {
    if (upgrader.WorkFolder().empty())
        return false;
    std::wstring self = GetOwnModulePath();
    std::wstring selfFolder = NormalizeText(GetFullPathFolder(self), kNormalizeNoTrailingSeparator);
    std::vector<std::wstring> fields = {kMarkerRunWord, program.empty() ? self : program,
                                        folder.empty() ? selfFolder : folder, parameters};
    return WriteMarkerFile(upgrader.WorkPath(kRestartMarkerName), JoinList(fields));
}

bool ReadRestartMarker(std::wstring& program, std::wstring& folder, std::wstring& parameters) {
    return ReadRestartMarker(VQUpgrader(), program, folder, parameters);
}

bool ReadRestartMarker(const VQUpgrader& upgrader, std::wstring& program, std::wstring& folder,
                       std::wstring& parameters) {
    if (upgrader.WorkFolder().empty())
        return false;
    return SplitRunRecord(ReadMarkerFile(upgrader.WorkPath(kRestartMarkerName)), program, folder, parameters);
}

void DecideRestartMode(const VQUpgrader& upgrader) {
    HWND manager = FindWindowW(nullptr, kManagerWindowTitle);
    if (manager == nullptr || !IsWindowVisible(manager))
        return;
    std::wstring program;
    std::wstring folder;
    std::wstring parameters;
    if (ReadRestartMarker(upgrader, program, folder, parameters)) {
        if (parameters == kBackgroundArgument)
            WriteRestartMarker(upgrader, program, folder, std::wstring());
        return;
    }
    WriteRestartMarker(upgrader, GetAppPath(), NormalizeText(GetAppFolder(), kNormalizeNoTrailingSeparator),
                       std::wstring());
}

bool RestartProgram(const VQUpgrader& upgrader) {
    std::wstring program;
    std::wstring folder;
    std::wstring parameters;
    if (!ReadRestartMarker(upgrader, program, folder, parameters))
        return false;
    ForceDeleteFile(upgrader.WorkPath(kRestartMarkerName));
    HINSTANCE started = ShellExecuteW(upgrader.OwnerWindow(), L"open", program.c_str(),
                                      parameters.empty() ? nullptr : parameters.c_str(),
                                      folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;
}

}  // namespace Tessar
