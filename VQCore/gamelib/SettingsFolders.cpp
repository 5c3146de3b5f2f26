// The default download and install folders of the settings: on the fixed
// drive with the most free space, chosen on a worker thread because the
// drive queries can be slow.

#include "VQCore/gamelib/Settings.h"

#include "common/Thread.h"

#include <new>

namespace Tessar {

void VQSettings::StartFolderPass(uint32_t mask) {
    WaitFolderPass();
    m_request.settings = this;
    m_request.mask = mask;
    m_request.drives = m_drives;
    m_worker = new (std::nothrow) VQThread(RunFolderPass, &m_request);
    if (m_worker == nullptr || !m_worker->Start()) {
        DeleteThreadHolder(m_worker);
        m_worker = nullptr;
        RunFolderPass(&m_request);
    }
}

void VQSettings::RunFolderPass(void* argument) {
    FolderPassRequest* request = static_cast<FolderPassRequest*>(argument);
    std::wstring letter;
    if (!FindLargestFreeFixedDriveExcept(letter, std::vector<std::wstring>(), request->drives))
        return;
    std::wstring root = letter + L":\\";
    if (request->mask & 1)
        request->settings->SetString(L"CacheDir", root + kDefaultDownloadFolder);
    if (request->mask & 2)
        request->settings->SetString(L"InstallDir", root + kDefaultInstallFolder);
}

void VQSettings::WaitFolderPass() {
    if (m_worker == nullptr)
        return;
    m_worker->Wait();
    DeleteThreadHolder(m_worker);
    m_worker = nullptr;
}

bool VQSettings::LiesOnFixedDrive(const std::wstring& path) const {
    return m_onFixedDrive(path);
}

void VQSettings::SetDriveSource(const VQDriveSource& drives) {
    m_drives = drives;
    // IsOnFixedDrive's rule, asked of the given drives.
    m_onFixedDrive = [drives](const std::wstring& path) {
        std::wstring drive = path.substr(0, path.find(L'\\'));
        return !drive.empty() && drives.driveType(drive + L'\\') == DRIVE_FIXED;
    };
}

}  // namespace Tessar
