#include "VQUpdate/UpgradeRun.h"

#include "VQUpdate/MarkerFile.h"
#include "VQUpdate/UpgradeMarkers.h"
#include "VQUpdate/Upgrader.h"
#include "VQUpdate/UpgradeJournal.h"
#include "VQUpdate/UpgradeSeam.h"
#include "VQCore/gamelib/AppFolder.h"
#include "common/FileUtil.h"
#include "common/Md5.h"
#include "common/PathText.h"
#include "common/TextUtil.h"

#include <vector>

namespace Tessar {

namespace {

const wchar_t kProgramExtension[] = L".exe";

bool IsProgramFile(const std::wstring& path) {
    std::wstring extension = GetFileExtension(path);
    return extension.size() == 4 && CompareNoCase(extension, kProgramExtension, 4) == 0;
}

}  // namespace

std::wstring ApplyUpgrade() {
    VQUpgrader upgrader;
    if (ReadUpgradeMarker(upgrader, false).empty())
        upgrader.SetWorkFolder(GetCurrentFolder());
    std::wstring programFolder = ReadUpgradeMarker(upgrader, false);
    if (!programFolder.empty()) {
        std::vector<std::wstring> files;
        bool listed = ReadDownloadMarker(upgrader, files, false);
        UpgradeSeamPoint(L"markers");
        if (listed && files.size() == 1 && IsProgramFile(files.front())) {
            std::wstring folder = NormalizeText(GetFullPathFolder(files.front()), kNormalizeNoTrailingSeparator);
            RunAndWait(upgrader, files.front(), std::wstring(), folder, true);
        }
    }
    // The job is over (applied, refused or failed): only now are its
    // markers and work files consumed.
    upgrader.CleanUp();
    DeleteFolderTree(upgrader.WorkPath(kReleaseFolderName));
    RestartProgram(upgrader);
    return programFolder;
}

VQPendingUpgrade StartPendingUpgrade(const std::wstring& parameters) {
    if (!IsUpgradeRunning())
        RecoverInterruptedUpgrade(GetAppFolder());
    VQUpgrader upgrader;
    if (upgrader.WorkFolder().empty())
        return kNoPendingUpgrade;
    if (!FileExists(upgrader.WorkPath(kUpgradeMarkerName))) {
        upgrader.CleanUp();
        return kNoPendingUpgrade;
    }
    VQUpgradeRecord record;
    if (!ReadUpgradeRecord(upgrader, record))
        return kPendingUpgradeNotStarted;
    std::wstring md5 = Md5OfFile(record.updaterCopy);
    if (md5.empty() || md5 != record.updaterMd5 || !upgrader.IsInWorkFolder(record.updaterCopy))
        return kPendingUpgradeNotStarted;
    if (!WriteRestartMarker(upgrader, std::wstring(), std::wstring(), parameters))
        return kPendingUpgradeNotStarted;
    if (!RunAndWait(upgrader, record.updaterCopy, kUpgradeArgument, upgrader.WorkFolder(), false))
        return kPendingUpgradeNotStarted;
    return kPendingUpgradeStarted;
}

}  // namespace Tessar
