#include "VQCore/app/operations/DownloadTasks.h"

#include <new>

#include "VQCore/download/BTTask.h"
#include "VQCore/download/HttpTask.h"
#include "VQCore/gamelib/Settings.h"
#include "common/DriveUtil.h"
#include "common/PathText.h"

namespace Tessar {

std::wstring GetDownloadFolder() {
    std::wstring folder = VQSettings::Instance().GetString(L"CacheDir");
    if (folder.empty() || !IsOnFixedDrive(folder)) folder = CombinePath(L"C:\\", kDefaultDownloadFolder);
    return folder;
}

VQDownloadTask* MakeDownloadTask(uint32_t gameId, uint32_t downloadType) {
    const std::wstring folder = GetDownloadFolder();
    if (downloadType == kBTTaskKind) return new (std::nothrow) VQBTTask(gameId, folder, std::wstring());
    return new (std::nothrow) VQHttpTask(gameId, folder, std::wstring());
}

}  // namespace Tessar
