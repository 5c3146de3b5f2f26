#include "VQCore/app/start/PeerToPeerStart.h"

#include <cstdint>
#include <string>

#include "VQCore/download/BTManager.h"
#include "VQCore/app/operations/DownloadTasks.h"
#include "common/FileUtil.h"
#include "common/Singleton.h"

namespace Tessar {

namespace {
const uint32_t kSeedLimit = 5;
}  // namespace

void StartPeerToPeer() {
    VQBTManager& manager = VQSingleton<VQBTManager>::Instance();
    if (manager.GetSession() != nullptr) return;
    // The session is made on the download folder, which a first start (or a
    // newly chosen folder) has not made yet: without it there is no session
    // and every peer-to-peer download fails.
    const std::wstring downloadFolder = GetDownloadFolder();
    CreateFolderChain(downloadFolder);
    manager.StartInBackground(downloadFolder, kSeedLimit);
}

}  // namespace Tessar
